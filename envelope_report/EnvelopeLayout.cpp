#include "envelope_report/EnvelopeLayout.h"

#include "postal/codes/IntelligentMailEncoder.h"
#include "postal/addresses/ReaderRules.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/Twips.h"

#include <array>
#include <cmath>

namespace envelope {

std::span<const EnvelopeLayout::Box> EnvelopeLayout::boxes()
{
    using Kind = Box::Kind;
    static const QString times = QStringLiteral("Times New Roman");
    static const std::array<Box, 4> layout{{
        {QStringLiteral("fldAddress"), QRectF(6300, 2970, 3510, 1080), engine::TextStyle{times, {}, {}, {}}, Kind::Text, {}},
        {QStringLiteral("barPostNet"), QRectF(6300, 4050, 3510, 360), engine::TextStyle{QStringLiteral("Arial"), 8.0, false, false},
         Kind::Barcode, QStringLiteral("FooterBarCode")},
        // The name line's one extra style setting: bold, so the sender stands out.
        {QStringLiteral("fldReturnAddressName"), QRectF(360, 360, 4320, 360), engine::TextStyle{times, 14.5, true, {}}, Kind::Text, {}},
        {QStringLiteral("fldReturnAddress"), QRectF(360, 720, 3510, 810), engine::TextStyle{times, {}, {}, {}}, Kind::Text, {}},
    }};
    return layout;
}

namespace {

constexpr double sideClearance = engine::twips::fromInches(0.125);
constexpr double verticalClearance = engine::twips::fromInches(0.028);
using postal::ReaderRules;

QString inches(const QRectF &r) { return ReaderRules::inches(r); }

QSizeF envelopeSize()
{
    const auto paper = engine::PaperCatalog::paper(EnvelopeLayout::paperSize);
    return QSizeF(paper->heightTwips, paper->widthTwips); // landscape
}

engine::EngineError misplaced(const QRectF &imb, const QString &why)
{
    return engine::EngineError(QStringLiteral("The Intelligent Mail barcode's box (%1 from the envelope's top-left corner) %2.")
                                   .arg(inches(imb), why));
}

} // namespace

QRectF EnvelopeLayout::intelligentMailBox()
{
    const QRectF postnet = boxes()[1].rectTwips;
    constexpr double width = 4230;  // the symbol's 4218 and a little
    constexpr double height = 400;  // the bars' 209 and an Arial 8 line
    return QRectF(postnet.left(), postnet.top() + std::ceil(verticalClearance), width, height);
}

void EnvelopeLayout::checkIntelligentMailPlacement(std::span<const Box> layout, const QRectF &imb)
{
    using postal::IntelligentMailEncoder;
    if (imb.width() < IntelligentMailEncoder::symbolWidth || imb.height() < IntelligentMailEncoder::fullBarHeight)
        throw misplaced(imb, QStringLiteral("is smaller than the symbol (%1 x %2 in)")
                                 .arg(engine::twips::toInches(IntelligentMailEncoder::symbolWidth), 0, 'f', 3)
                                 .arg(engine::twips::toInches(IntelligentMailEncoder::fullBarHeight), 0, 'f', 3));
    const QRectF page(QPointF(0, 0), envelopeSize());
    const QRectF withClearance = imb.adjusted(-sideClearance, -verticalClearance, sideClearance, verticalClearance);
    if (!page.contains(withClearance))
        throw misplaced(imb, QStringLiteral("does not keep its clearance inside the envelope (%1)").arg(inches(page)));
    const QRectF clearZone = ReaderRules::barcodeClearZone(page.size());
    if (imb.intersects(clearZone))
        throw misplaced(imb, QStringLiteral("enters the postal service's barcode clear zone (%1)").arg(inches(clearZone)));
    for (const Box &box : layout) {
        // The barcode box is the one the Intelligent Mail barcode takes the place of.
        if (box.kind != Box::Kind::Barcode && withClearance.intersects(box.rectTwips))
            throw misplaced(imb, QStringLiteral("is nearer %1 (%2) than 0.125 in at its sides or 0.028 in above and below")
                                     .arg(box.name, inches(box.rectTwips)));
    }
}

void EnvelopeLayout::checkReaderPlacement(std::span<const Box> layout, const engine::PagePlacement &placement)
{
    // A page turned for a feeder that takes envelopes the other way round lands on an
    // envelope turned too: on the envelope, the offset is then the other way.
    const double sign = placement.rotated180 ? -1 : 1;
    const QPointF shift(sign * placement.offsetXTwips, sign * placement.offsetYTwips);
    const QSizeF envelope = envelopeSize();
    const QRectF clearZone = ReaderRules::barcodeClearZone(envelope);
    const QString moved = placement.isIdentity() ? QString()
                                                 : QStringLiteral("Moved %1 in right and %2 in down, ")
                                                       .arg(engine::twips::toInches(placement.offsetXTwips))
                                                       .arg(engine::twips::toInches(placement.offsetYTwips));
    for (const Box &box : layout) {
        const QRectF onEnvelope = box.rectTwips.translated(shift);
        if (&box == &layout.front()) {
            if (const QString why = ReaderRules::readAreaProblem(onEnvelope, envelope); !why.isEmpty())
                throw engine::EngineError(QStringLiteral("%1%2: %3.").arg(moved, box.name, why));
        }
        if (box.kind != Box::Kind::Barcode && onEnvelope.intersects(clearZone))
            throw engine::EngineError(QStringLiteral("%1%2 (%3) enters the barcode clear zone (%4), which only the barcode may use.")
                                          .arg(moved, box.name, inches(onEnvelope), inches(clearZone)));
    }
}

} // namespace envelope
