#include "reporting_engine/pdf/PdfCanvas.h"

#include "reporting_engine/base/Twips.h"
#include "reporting_engine/pdf/PdfFontSet.h"
#include "reporting_engine/pdf/PdfSyntax.h"
#include "reporting_engine/render/FontFace.h"

#include <cmath>

namespace engine {

using namespace pdfsyntax;

struct PdfCanvas::Private {
    explicit Private(PdfFontSet &f) : fonts(f) {}
    PdfFontSet &fonts;
    std::string out;
    std::string codes; // a barcode's bar codes, its memory kept between barcodes
    bool fillPending = false;

    // Rectangles in a row are filled by one operator; anything else ends the row first.
    void endFill()
    {
        if (fillPending) {
            out += "f\n";
            fillPending = false;
        }
    }

    // One append per rectangle: barcodes write dozens of them on every page.
    void appendRect(const QRectF &r)
    {
        char buf[4 * (numberRoom + 1) + 3];
        char *at = writeNumber(buf, r.x());
        *at++ = ' ';
        at = writeNumber(at, r.y());
        *at++ = ' ';
        at = writeNumber(at, r.width());
        *at++ = ' ';
        at = writeNumber(at, r.height());
        out.append(buf, at);
        out += " re";
    }

    // A run of laid-out text: its glyphs in one string as long as each follows the one
    // before by its advance, a new text matrix where the layout moved one (kerning, a mark).
    void appendRun(const QPointF &baseline, const FontFace::Shaped::Run &run)
    {
        if (run.indexes.isEmpty())
            return;
        const QVector<QPointF> advances = run.font.advancesForGlyphIndexes(run.indexes, QRawFont::UseDesignMetrics);
        out += "BT /";
        out += fonts.use(run, advances);
        out += ' ';
        appendNumber(out, run.font.pixelSize());
        out += " Tf";
        QPointF pen;
        for (qsizetype i = 0; i < run.indexes.size(); ++i) {
            const QPointF at = baseline + run.positions[i];
            if (i == 0 || std::abs(at.x() - pen.x()) > 0.01 || std::abs(at.y() - pen.y()) > 0.01) {
                out += i == 0 ? " 1 0 0 -1 " : "> Tj 1 0 0 -1 ";
                appendNumber(out, at.x());
                out += ' ';
                appendNumber(out, at.y());
                out += " Tm <";
            }
            appendHex4(out, run.indexes[i]);
            pen = at + QPointF(advances.value(i).x(), 0);
        }
        out += "> Tj ET\n";
    }
};

PdfCanvas::PdfCanvas(PdfFontSet &fonts) : d(std::make_unique<Private>(fonts)) {}
PdfCanvas::~PdfCanvas() = default;

void PdfCanvas::beginPage(const QSizeF &pageTwips, std::string buffer, const PagePlacement &placement)
{
    d->out = std::move(buffer);
    d->out.clear();
    d->fillPending = false;
    // Twips from the top-left corner to points from the bottom-left one.
    const double scale = 1.0 / twips::perPoint;
    appendNumber(d->out, scale, 4);
    d->out += " 0 0 ";
    appendNumber(d->out, -scale, 4);
    d->out += " 0 ";
    appendNumber(d->out, pageTwips.height() * scale, 4);
    d->out += " cm\n";
    // One more matrix, so text, bars and clips all move alike; none for the
    // identity, so unplaced pages stay as they always were.
    if (!placement.isIdentity()) {
        const QTransform t = placement.transform(pageTwips);
        for (const double v : {t.m11(), t.m12(), t.m21(), t.m22()}) {
            appendNumber(d->out, v, 4);
            d->out += ' ';
        }
        appendNumber(d->out, t.dx());
        d->out += ' ';
        appendNumber(d->out, t.dy());
        d->out += " cm\n";
    }
}

std::string PdfCanvas::endPage()
{
    d->endFill();
    return std::move(d->out);
}

void PdfCanvas::save()
{
    d->endFill();
    d->out += "q\n";
}

void PdfCanvas::restore()
{
    d->endFill();
    d->out += "Q\n";
}

void PdfCanvas::clipRect(const QRectF &rect)
{
    d->endFill();
    d->appendRect(rect);
    d->out += " W n\n";
}

void PdfCanvas::fillRect(const QRectF &rect)
{
    d->appendRect(rect);
    d->out += '\n';
    d->fillPending = true;
}

void PdfCanvas::drawText(const QPointF &baseline, const QString &text, const FontFace &face)
{
    if (text.isEmpty())
        return;
    d->endFill();
    const FontFace::Glyphs glyphs = face.glyphs(text);
    if (glyphs.shaped) {
        // Glyphs of shaped text (a vowel sign drawn before its consonant) do not read
        // back in order by themselves: the span says what they show. Not for right to
        // left: readers put the glyphs of such a line, in visual order, back in reading
        // order themselves, and would turn the span's text round too.
        const bool actualText = !glyphs.shaped->rightToLeft;
        if (actualText) {
            d->out += "/Span<</ActualText";
            appendTextString(d->out, text);
            d->out += ">>BDC\n";
        }
        for (const FontFace::Shaped::Run &run : glyphs.shaped->runs)
            d->appendRun(baseline, run);
        if (actualText)
            d->out += "EMC\n";
        return;
    }
    const std::string &font = d->fonts.use(face, text, glyphs);
    std::string &out = d->out;
    out += "BT /";
    out += font;
    out += ' ';
    appendNumber(out, face.rawFont().pixelSize());
    // The page's y axis points down: flip the text back upright.
    out += " Tf 1 0 0 -1 ";
    appendNumber(out, baseline.x());
    out += ' ';
    appendNumber(out, baseline.y());
    out += " Tm <";
    for (const quint32 g : glyphs.indexes)
        appendHex4(out, g);
    out += "> Tj ET\n";
}

void PdfCanvas::fillBars(const QPointF &topLeft, std::span<const BarcodeBar> bars)
{
    d->codes.clear();
    if (bars.empty())
        return;
    if (!d->fonts.bars().codesFor(bars, d->codes)) {
        PageCanvas::fillBars(topLeft, bars);
        return;
    }
    d->endFill();
    std::string &out = d->out;
    out += "BT /";
    out += PdfBarFont::resource();
    // Size 1: the glyphs are drawn in twips. Flipped upright, as text is.
    out += " 1 Tf 1 0 0 -1 ";
    appendNumber(out, topLeft.x() + bars.front().left);
    out += ' ';
    appendNumber(out, topLeft.y());
    out += " Tm (";
    out += d->codes;
    out += ") Tj ET\n";
}

} // namespace engine
