#include "envelope_report/rptCalibration.h"

#include "envelope_report/EnvelopeLayout.h"
#include "envelope_report/EnvelopeProduct.h"
#include "reporting_engine/base/Twips.h"
#include "reporting_engine/model/FilledBox.h"

#include <algorithm>
#include <vector>

namespace envelope {
namespace {

constexpr double inch = engine::twips::perInch;
constexpr double sixteenth = inch / 16;
constexpr double rule = inch / 100; // the thickness of every tick and cross bar
constexpr double crossArm = inch / 10;
constexpr double labelPoints = 7;
constexpr double labelHeight = 165; // a line of Arial 7 pt with a little room
constexpr double labelGap = 30;
// Nothing but the rulers and their numbers within this distance of an edge.
constexpr double rulerBand = 300;

double tickLength(int sixteenths)
{
    if (sixteenths % 16 == 0)
        return inch / 5;
    if (sixteenths % 4 == 0)
        return inch / 10;
    return inch / 20;
}

QString inches(double twips)
{
    QString s = QString::number(engine::twips::toInches(twips), 'f', 4);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

// An upper bound of the label's width in Arial: the engine would shrink a label
// whose box is too narrow, so its box is never narrower than the text.
double labelWidth(const QString &text)
{
    double ems = 0;
    for (const QChar c : text)
        ems += QStringLiteral(".,: il").contains(c) ? 0.28 : 0.6;
    return ems * labelPoints * engine::twips::perPoint * 1.1;
}

engine::TextStyle labelStyle(Qt::Alignment alignment = Qt::AlignLeft)
{
    return engine::TextStyle{QStringLiteral("Arial"), labelPoints, false, false, alignment | Qt::AlignTop};
}

struct Marks {
    engine::Section &section;
    std::vector<QRectF> taken; // crosses and labels so far, so no label covers another mark
    int serial = 0;

    QString name(const char *what) { return QStringLiteral("%1%2").arg(QLatin1String(what)).arg(++serial); }
    void box(const QRectF &r) { section.add<engine::FilledBox>(name("box"), r); }
    void label(const QRectF &r, const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
    {
        section.add<engine::TextBox>(name("lbl"), r, labelStyle(alignment)).setText(text);
    }
    bool isFree(const QRectF &r) const
    {
        for (const QRectF &t : taken)
            if (t.adjusted(-10, -10, 10, 10).intersects(r))
                return false;
        return true;
    }
};

// Rulers along the four edges.
void addRulers(Marks &m, double w, double h)
{
    // Every tick's centre lies on its sixteenth, all of them counted from
    // the left or the top edge; the numbers sit beside the inch ticks, clear of the short ones.
    const double numberWidth = 200;
    for (int k = 1; k * sixteenth < w - rule; ++k) {
        const double x = k * sixteenth;
        const double len = tickLength(k);
        m.box(QRectF(x - rule / 2, 0, rule, len));
        m.box(QRectF(x - rule / 2, h - len, rule, len));
        if (k % 16 == 0) {
            const QString n = QString::number(k / 16);
            m.label(QRectF(x + labelGap, tickLength(1) + 20, numberWidth, labelHeight), n);
            m.label(QRectF(x + labelGap, h - tickLength(1) - 20 - labelHeight, numberWidth, labelHeight), n);
        }
    }
    for (int k = 1; k * sixteenth < h - rule; ++k) {
        const double y = k * sixteenth;
        const double len = tickLength(k);
        m.box(QRectF(0, y - rule / 2, len, rule));
        m.box(QRectF(w - len, y - rule / 2, len, rule));
        if (k % 16 == 0) {
            // Above the tick, well clear of the short ones, so no tick reads as a minus sign.
            const QString n = QString::number(k / 16);
            const double top = y - labelGap / 2 - labelHeight;
            m.label(QRectF(2 * tickLength(1), top, numberWidth, labelHeight), n);
            m.label(QRectF(w - 2 * tickLength(1) - numberWidth, top, numberWidth, labelHeight), n, Qt::AlignRight);
        }
    }
}

void addInstruction(Marks &m, double w, double h)
{
    // The instruction across the middle, between the return address and the addressee block.
    // Centred, so its ends stay clear of the rulers' ticks though its box reaches them.
    const QRectF instruction(inch / 8, h / 2 - 800, w - inch / 4, labelHeight + 40);
    m.section.add<engine::TextBox>(QStringLiteral("lblInstruction"), instruction, labelStyle(Qt::AlignHCenter))
        .setText(QStringLiteral("Measure a cross from the paper's left and top edges; its label minus that is the offset "
                                "(inches, right and down positive): envelope printer-profile QUEUE --offset-x IN --offset-y IN "
                                "(--rotate 180 if upside down)"));
    m.taken.push_back(instruction);
}

// A cross at every corner of every box, once where boxes share a corner; returns the corners.
std::vector<QPointF> addCornerCrosses(Marks &m)
{
    // The page has no margins, so the section's twips are the paper's.
    std::vector<QPointF> corners;
    for (const EnvelopeLayout::Box &b : EnvelopeLayout::boxes()) {
        const QRectF &r = b.rectTwips;
        for (const QPointF &c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
            if (std::find(corners.begin(), corners.end(), c) == corners.end())
                corners.push_back(c);
        }
    }
    for (const QPointF &c : corners) {
        const QRectF across(c.x() - crossArm, c.y() - rule / 2, 2 * crossArm, rule);
        const QRectF down(c.x() - rule / 2, c.y() - crossArm, rule, 2 * crossArm);
        m.box(across);
        m.box(down);
        m.taken.push_back(across);
        m.taken.push_back(down);
    }
    return corners;
}

// Each corner's position beside its cross, where it covers no other mark.
void addCornerLabels(Marks &m, const std::vector<QPointF> &corners, double w, double h)
{
    const QRectF inner(rulerBand, rulerBand, w - 2 * rulerBand, h - 2 * rulerBand);
    for (const QPointF &c : corners) {
        const QString text = QStringLiteral("%1, %2 in").arg(inches(c.x()), inches(c.y()));
        const QSizeF size(labelWidth(text), labelHeight);
        const double beyondArm = crossArm + labelGap;
        // Beside the cross's arm first, right or left; else in one of its quarters, close in.
        const struct {
            QPointF topLeft;
            Qt::Alignment alignment;
        } candidates[] = {
            {{c.x() + beyondArm, c.y() - size.height() / 2}, Qt::AlignLeft},
            {{c.x() - beyondArm - size.width(), c.y() - size.height() / 2}, Qt::AlignRight},
            {{c.x() + 2 * labelGap, c.y() + labelGap}, Qt::AlignLeft},
            {{c.x() + 2 * labelGap, c.y() - labelGap - size.height()}, Qt::AlignLeft},
            {{c.x() - 2 * labelGap - size.width(), c.y() + labelGap}, Qt::AlignRight},
            {{c.x() - 2 * labelGap - size.width(), c.y() - labelGap - size.height()}, Qt::AlignRight},
        };
        // With no room anywhere (a layout of crowded boxes) the label still prints, beside its arm.
        const auto *chosen = std::find_if(std::begin(candidates), std::end(candidates), [&](const auto &candidate) {
            const QRectF r(candidate.topLeft, size);
            return inner.contains(r) && m.isFree(r);
        });
        if (chosen == std::end(candidates))
            chosen = std::begin(candidates);
        const QRectF r(chosen->topLeft, size);
        m.label(r, text, chosen->alignment);
        m.taken.push_back(r);
    }
}

} // namespace

rptCalibration::rptCalibration() : engine::Report(QStringLiteral("Envelope calibration"))
{
    EnvelopeProduct::applyTo(*this);
    // The design is drawn on the envelope's page, so it is set here as well as at every run.
    setEnvelopePage();
    loadDesign();
}

rptCalibration::~rptCalibration() = default;

void rptCalibration::reportStart() { setEnvelopePage(); }

void rptCalibration::fetchData(bool &eof) { eof = true; }

void rptCalibration::setEnvelopePage()
{
    pageSettings().setLeftMargin(EnvelopeLayout::marginTwips);
    pageSettings().setTopMargin(EnvelopeLayout::marginTwips);
    pageSettings().setRightMargin(EnvelopeLayout::marginTwips);
    pageSettings().setBottomMargin(EnvelopeLayout::marginTwips);
    printerSettings().setPaperSize(EnvelopeLayout::paperSize);
    printerSettings().setPaperSource(EnvelopeLayout::paperSource);
    pageSettings().setOrientation(EnvelopeLayout::orientation);
}

void rptCalibration::loadDesign()
{
    const QSizeF page = pageSizeTwips();
    const double w = page.width();
    const double h = page.height();
    setPrintWidth(w);
    Marks m{addSection(QStringLiteral("Detail"), h), {}};
    addRulers(m, w, h);
    addInstruction(m, w, h);
    addCornerLabels(m, addCornerCrosses(m), w, h);
}

} // namespace envelope
