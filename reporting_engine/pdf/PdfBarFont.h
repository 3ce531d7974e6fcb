#pragma once

#include "reporting_engine/base/BarcodeSymbol.h"

#include <functional>
#include <memory>
#include <span>
#include <string>

namespace engine {

// A document's barcode bars as the glyphs of one small Type 3 font: a bar's shape is
// drawn once, and a symbol's row of bars is one string of its codes. A page then
// carries a few bytes per barcode instead of four numbers per bar, which is most of
// a long run's page content when every page has a symbol of its own.
class PdfBarFont {
public:
    PdfBarFont();
    ~PdfBarFont();
    PdfBarFont(const PdfBarFont &) = delete;
    PdfBarFont &operator=(const PdfBarFont &) = delete;

    // The font's resource name.
    static const std::string &resource();

    // Appends one code per bar to `codes`, the bars at an even pitch and at most a
    // few dozen different shapes in the document; returns false, and appends nothing,
    // for bars it cannot show this way (the caller draws them one by one). Glyph
    // origins are the bars' left edges on the symbol's top line, twips, y going up.
    bool codesFor(std::span<const BarcodeBar> bars, std::string &codes);

    bool isUsed() const;

    // Writes the font's objects, numbered from nextObject on (which it advances), and
    // returns its object number.
    int write(int &nextObject, const std::function<void(int, const std::string &)> &writeObject) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
