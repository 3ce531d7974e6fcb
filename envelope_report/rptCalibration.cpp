#include "envelope_report/rptCalibration.h"

#include "envelope_report/EnvelopeLayout.h"
#include "reporting_engine/FilledBox.h"
#include "reporting_engine/Twips.h"

#include <algorithm>
#include <vector>

namespace envelope {
namespace {

constexpr double inch = engine::twips::perInch;
constexpr double sixteenth = inch / 16;
constexpr double rule = inch / 100; // the thickness of every tick and cross bar
constexpr double crossArm = inch / 10;
constexpr double labelPoints = 7;
constexpr double labelHeight = 170; // a line of Arial 7 pt with room to spare
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

struct Layout {
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

} // namespace

rptCalibration::rptCalibration() : engine::Report(QStringLiteral("Envelope calibration"))
{
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
    Layout l{addSection(QStringLiteral("Detail"), h), {}};

    // Rulers: every tick's centre lies on its sixteenth, all of them counted from
    // the left or the top edge; the numbers sit beside the inch ticks, clear of the short ones.
    const double numberWidth = 200;
    for (int k = 1; k * sixteenth < w - rule; ++k) {
        const double x = k * sixteenth;
        const double len = tickLength(k);
        l.box(QRectF(x - rule / 2, 0, rule, len));
        l.box(QRectF(x - rule / 2, h - len, rule, len));
        if (k % 16 == 0) {
            const QString n = QString::number(k / 16);
            l.label(QRectF(x + labelGap, tickLength(1) + 20, numberWidth, labelHeight), n);
            l.label(QRectF(x + labelGap, h - tickLength(1) - 20 - labelHeight, numberWidth, labelHeight), n);
        }
    }
    for (int k = 1; k * sixteenth < h - rule; ++k) {
        const double y = k * sixteenth;
        const double len = tickLength(k);
        l.box(QRectF(0, y - rule / 2, len, rule));
        l.box(QRectF(w - len, y - rule / 2, len, rule));
        if (k % 16 == 0) {
            const QString n = QString::number(k / 16);
            l.label(QRectF(tickLength(1) + 20, y + labelGap / 2, numberWidth, labelHeight), n);
            l.label(QRectF(w - tickLength(1) - 20 - numberWidth, y + labelGap / 2, numberWidth, labelHeight), n,
                    Qt::AlignRight);
        }
    }

    // The instruction across the middle, between the return address and the addressee block.
    const QRectF instruction(720, h / 2 - 800, w - 1440, labelHeight + 40);
    l.section.add<engine::TextBox>(
                 QStringLiteral("lblInstruction"), instruction,
                 engine::TextStyle{QStringLiteral("Arial"), 8.0, false, false, Qt::AlignHCenter | Qt::AlignTop})
        .setText(QStringLiteral(
            "Measure from the paper's left and top edges to the centre of a cross, subtract its label, and enter the "
            "differences (inches, right and down positive):  envelope printer-profile QUEUE --offset-x IN --offset-y IN  "
            "(add --rotate 180 if this page came out upside down)"));
    l.taken.push_back(instruction);

    // A cross at every corner of every box, once where boxes share a corner.
    std::vector<QPointF> corners;
    for (const EnvelopeLayout::Box &b : EnvelopeLayout::boxes()) {
        const QRectF r = b.rectTwips.translated(EnvelopeLayout::marginTwips, EnvelopeLayout::marginTwips);
        for (const QPointF &c : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()}) {
            if (std::find(corners.begin(), corners.end(), c) == corners.end())
                corners.push_back(c);
        }
    }
    for (const QPointF &c : corners) {
        const QRectF across(c.x() - crossArm, c.y() - rule / 2, 2 * crossArm, rule);
        const QRectF down(c.x() - rule / 2, c.y() - crossArm, rule, 2 * crossArm);
        l.box(across);
        l.box(down);
        l.taken.push_back(across);
        l.taken.push_back(down);
    }
    const QRectF free(rulerBand, rulerBand, w - 2 * rulerBand, h - 2 * rulerBand);
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
            {{c.x() + labelGap, c.y() + labelGap}, Qt::AlignLeft},
            {{c.x() + labelGap, c.y() - labelGap - size.height()}, Qt::AlignLeft},
            {{c.x() - labelGap - size.width(), c.y() + labelGap}, Qt::AlignRight},
            {{c.x() - labelGap - size.width(), c.y() - labelGap - size.height()}, Qt::AlignRight},
        };
        // With no room anywhere (a layout of crowded boxes) the label still prints, beside its arm.
        const auto *chosen = std::find_if(std::begin(candidates), std::end(candidates), [&](const auto &candidate) {
            const QRectF r(candidate.topLeft, size);
            return free.contains(r) && l.isFree(r);
        });
        if (chosen == std::end(candidates))
            chosen = std::begin(candidates);
        const QRectF r(chosen->topLeft, size);
        l.label(r, text, chosen->alignment);
        l.taken.push_back(r);
    }
}

} // namespace envelope
