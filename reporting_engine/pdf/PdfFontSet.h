#pragma once

#include "reporting_engine/pdf/PdfBarFont.h"
#include "reporting_engine/render/FontFace.h"

#include <functional>
#include <memory>
#include <string>

namespace engine {

// The fonts of one PDF document: which faces share a font file, which glyphs
// the pages used, and at the end each font embedded once as a subset (Type0 over
// a CIDFontType2, Identity-H, with widths and a ToUnicode map), and the font of
// the barcodes' bars.
class PdfFontSet {
public:
    PdfFontSet();
    ~PdfFontSet();
    PdfFontSet(const PdfFontSet &) = delete;
    PdfFontSet &operator=(const PdfFontSet &) = delete;

    // Records the glyphs of `text` (as the face measured them) as used and
    // returns the font's resource name ("F1", ...).
    const std::string &use(const FontFace &face, const QString &text, const FontFace::Glyphs &glyphs);
    // The same for a run of laid-out text, its glyphs advancing by `advances` (twips).
    const std::string &use(const FontFace::Shaped::Run &run, const QVector<QPointF> &advances);

    // The font that draws barcode bars, written with the others.
    PdfBarFont &bars();

    // Writes every font's objects, numbered from nextObject on (which it advances),
    // through writeObject(number, body); returns the Font entry of the page resources.
    std::string writeFonts(int &nextObject, const std::function<void(int, const std::string &)> &writeObject) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
