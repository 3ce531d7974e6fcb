#include "reporting_engine/pdf/PdfBarFont.h"

#include "reporting_engine/pdf/PdfSyntax.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cmath>
#include <vector>

namespace engine {

using namespace pdfsyntax;

namespace {

// Closer than this (twips) is the same place or size: far below any printer's dot.
constexpr double sameTwips = 1e-4;

// A bar's shape and the advance to the next bar, which a glyph carries with it.
struct Shape {
    double pitch;
    double width;
    double top;
    double height;
    char code;

    bool matches(double p, const BarcodeBar &b) const
    {
        return std::abs(pitch - p) < sameTwips && std::abs(width - b.width) < sameTwips && std::abs(top - b.top) < sameTwips
               && std::abs(height - b.height) < sameTwips;
    }
};

// Codes that need no escaping in a literal string, and not the space, which word
// spacing would move.
constexpr char firstCode = '!';
constexpr char lastCode = '~';
constexpr bool isCode(char c) { return c >= firstCode && c <= lastCode && c != '(' && c != ')' && c != '\\'; }

std::string stream(const std::string &data)
{
    std::string out = "<</Length ";
    appendInt(out, std::int64_t(data.size()));
    out += ">>\nstream\n";
    out += data;
    out += "\nendstream";
    return out;
}

} // namespace

struct PdfBarFont::Private {
    std::vector<Shape> shapes;
    // Shapes by the exact bits of their numbers, so that the bars of a symbol, which
    // repeat a few shapes in no order, are found without a search.
    static constexpr size_t slotCount = 64;
    std::array<std::uint8_t, slotCount> slotShape{}; // a shape's index plus one; 0 is empty

    static size_t slotOf(double pitch, const BarcodeBar &bar)
    {
        std::uint64_t h = std::bit_cast<std::uint64_t>(pitch);
        for (const double v : {bar.width, bar.top, bar.height})
            h = (h ^ std::bit_cast<std::uint64_t>(v)) * 0x9E3779B97F4A7C15ull;
        return size_t(h >> 58);
    }

    const Shape *shapeFor(double pitch, const BarcodeBar &bar)
    {
        const size_t slot = slotOf(pitch, bar);
        if (const std::uint8_t i = slotShape[slot]; i != 0) {
            const Shape &s = shapes[i - 1];
            if (s.pitch == pitch && s.width == bar.width && s.top == bar.top && s.height == bar.height)
                return &s;
        }
        const Shape *found = nullptr;
        for (const Shape &s : shapes)
            if (s.matches(pitch, bar))
                found = &s;
        if (!found)
            found = add(pitch, bar);
        if (found)
            slotShape[slot] = std::uint8_t(found - shapes.data() + 1);
        return found;
    }

    void forgetFrom(size_t count)
    {
        shapes.resize(count);
        for (std::uint8_t &slot : slotShape)
            if (slot > count)
                slot = 0;
    }

    const Shape *add(double pitch, const BarcodeBar &bar)
    {
        char code = shapes.empty() ? firstCode : char(shapes.back().code + 1);
        while (code <= lastCode && !isCode(code))
            ++code;
        if (code > lastCode)
            return nullptr;
        shapes.push_back({pitch, bar.width, bar.top, bar.height, code});
        return &shapes.back();
    }
};

PdfBarFont::PdfBarFont() : d(std::make_unique<Private>()) {}
PdfBarFont::~PdfBarFont() = default;

const std::string &PdfBarFont::resource()
{
    static const std::string name = "Bars";
    return name;
}

bool PdfBarFont::codesFor(std::span<const BarcodeBar> bars, std::string &codes)
{
    if (bars.empty())
        return true;
    const double pitch = bars.size() > 1 ? bars[1].left - bars[0].left : bars[0].width;
    if (!(pitch > 0))
        return false;
    const size_t start = codes.size(), known = d->shapes.size();
    codes.resize(start + bars.size());
    for (size_t i = 0; i < bars.size(); ++i) {
        const Shape *shape = std::abs(bars[i].left - bars[0].left - double(i) * pitch) < sameTwips ? d->shapeFor(pitch, bars[i]) : nullptr;
        if (!shape) {
            // A row drawn bar by bar keeps no shapes: their codes stay free for later rows.
            d->forgetFrom(known);
            codes.resize(start);
            return false;
        }
        codes[start + i] = shape->code;
    }
    return true;
}

bool PdfBarFont::isUsed() const { return !d->shapes.empty(); }

int PdfBarFont::write(int &nextObject, const std::function<void(int, const std::string &)> &writeObject) const
{
    const int font = nextObject++, toUnicode = nextObject++;
    const char first = d->shapes.front().code, last = d->shapes.back().code;
    double bottom = 0, right = 0, top = 0; // every glyph starts at its origin
    std::string procs, differences;
    std::vector<double> advance(size_t(last - first + 1), 0.0);
    for (const Shape &s : d->shapes) {
        // The glyph's y goes up from the symbol's top line, so the bar lies below it.
        const double low = -(s.top + s.height), high = -s.top;
        right = std::max(right, s.width);
        bottom = std::min(bottom, low);
        top = std::max(top, high);
        std::string glyph;
        for (const double v : {s.pitch, 0.0, 0.0, low, s.width, high}) {
            appendNumber(glyph, v, 4);
            glyph += ' ';
        }
        glyph += "d1 0 ";
        appendNumber(glyph, low, 4);
        glyph += ' ';
        appendNumber(glyph, s.width, 4);
        glyph += ' ';
        appendNumber(glyph, s.height, 4);
        glyph += " re f";
        const int proc = nextObject++;
        writeObject(proc, stream(glyph));
        const std::string name = "b" + std::to_string(int(s.code));
        procs += '/' + name + ' ';
        appendInt(procs, proc);
        procs += " 0 R";
        differences += ' ';
        appendInt(differences, s.code);
        differences += '/' + name;
        advance[size_t(s.code - first)] = s.pitch;
    }
    std::string body = "<</Type/Font/Subtype/Type3/FontBBox[";
    for (const double v : {0.0, bottom, right, top}) {
        appendNumber(body, v, 4);
        body += ' ';
    }
    body.back() = ']';
    body += "/FontMatrix[1 0 0 1 0 0]/CharProcs<<" + procs + ">>/Encoding<</Type/Encoding/Differences[" + differences.substr(1)
            + "]>>/FirstChar ";
    appendInt(body, first);
    body += "/LastChar ";
    appendInt(body, last);
    body += "/Widths[";
    for (size_t i = 0; i < advance.size(); ++i) {
        if (i)
            body += ' ';
        appendNumber(body, advance[i], 4);
    }
    body += "]/Resources<<>>/ToUnicode ";
    appendInt(body, toUnicode);
    body += " 0 R>>";
    writeObject(font, body);
    // Every code reads as a space: text tools see no letters where the bars are.
    std::vector<std::pair<std::uint32_t, QString>> spaces;
    for (const Shape &shape : d->shapes)
        spaces.emplace_back(std::uint8_t(shape.code), QStringLiteral(" "));
    writeObject(toUnicode, stream(toUnicodeCMap(1, spaces)));
    return font;
}

} // namespace engine
