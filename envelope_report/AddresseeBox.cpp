#include "envelope_report/AddresseeBox.h"

#include "envelope_report/EnvelopeLayout.h"
#include "postal/addresses/ReaderRules.h"
#include "reporting_engine/render/FontFace.h"
#include "reporting_engine/render/PageRenderer.h"

#include <cmath>
#include <memory>
#include <mutex>

namespace envelope {
namespace {

const EnvelopeLayout::Box &box() { return EnvelopeLayout::boxes()[0]; }

// Made on first use: a font needs the application's font database.
const engine::FontFace &smallestFace()
{
    static std::unique_ptr<engine::FontFace> face;
    static std::once_flag once;
    std::call_once(once, [] {
        const engine::TextStyle &style = box().style;
        face = std::make_unique<engine::FontFace>(style.family.value_or(QStringLiteral("Arial")),
                                                  postal::ReaderRules::minimumPointSize, style.bold.value_or(false),
                                                  style.italic.value_or(false));
    });
    return *face;
}

double blockHeight(const engine::FontFace &f, qsizetype lines)
{
    return f.lineSpacing() * double(lines - 1) + f.ascent() + f.descent();
}

} // namespace

QStringList AddresseeBox::fitProblems(const QString &block) { return fitProblems(engine::PageRenderer::splitLines(block)); }

QStringList AddresseeBox::fitProblems(const QStringList &lines)
{
    const engine::FontFace &f = smallestFace();
    const double width = box().rectTwips.width();
    const QString size = QStringLiteral("%1 pt").arg(postal::ReaderRules::minimumPointSize);
    QStringList out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const double advance = f.advance(lines.at(i));
        if (advance <= width)
            continue;
        const qsizetype chars = lines.at(i).size();
        const auto holds = qint64(std::floor(double(chars) * width / advance));
        out << QStringLiteral("line %1 is %2 characters; at %3 the box holds about %4").arg(i + 1).arg(chars).arg(size).arg(holds);
    }
    const double height = box().rectTwips.height();
    if (blockHeight(f, lines.size()) > height) {
        qsizetype fit = 1;
        while (blockHeight(f, fit + 1) <= height)
            ++fit;
        out << QStringLiteral("the block takes %1 lines; at %2 the box holds %3").arg(lines.size()).arg(size).arg(fit);
    }
    return out;
}

QString AddresseeBox::intelligentMailDistanceProblem(qsizetype lines)
{
    const double lastLineBottom = box().rectTwips.top() + blockHeight(smallestFace(), lines);
    return postal::ReaderRules::barcodeDistanceProblem(lastLineBottom, EnvelopeLayout::intelligentMailBox().top());
}

} // namespace envelope
