#include "reporting_engine/pdf/PdfSyntax.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::pdfsyntax {

char *writeNumber(char *at, double value, int decimals)
{
    // Scaled to an integer and printed as one: the pages' numbers are the bulk of
    // the output, and integer formatting is several times faster than fixed-point.
    static constexpr double powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    decimals = std::clamp(decimals, 0, 6);
    // Far beyond any page, and keeps the integer within range.
    value = std::clamp(std::isfinite(value) ? value : 0.0, -1e9, 1e9);
    std::int64_t scaled = std::llround(value * powers[decimals]);
    if (scaled < 0) {
        *at++ = '-';
        scaled = -scaled;
    }
    const auto unit = static_cast<std::int64_t>(powers[decimals]);
    at = std::to_chars(at, at + numberRoom, scaled / unit).ptr;
    std::int64_t fraction = scaled % unit;
    if (fraction == 0)
        return at;
    int digits = decimals;
    while (fraction % 10 == 0) { // no trailing zeros
        fraction /= 10;
        --digits;
    }
    *at++ = '.';
    // The fraction's digits right-aligned in `digits` places, leading zeros kept.
    for (int i = digits - 1; i >= 0; --i, fraction /= 10)
        at[i] = static_cast<char>('0' + fraction % 10);
    return at + digits;
}

void appendNumber(std::string &out, double value, int decimals)
{
    char buf[numberRoom];
    out.append(buf, writeNumber(buf, value, decimals));
}

void appendInt(std::string &out, std::int64_t value)
{
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

void appendHex4(std::string &out, std::uint32_t code)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const char hex[4] = {digits[(code >> 12) & 0xF], digits[(code >> 8) & 0xF], digits[(code >> 4) & 0xF], digits[code & 0xF]};
    out.append(hex, 4);
}

void appendTextString(std::string &out, const QString &text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
    if (plain) {
        out += '(';
        for (const QChar c : text) {
            const char ch = static_cast<char>(c.unicode());
            if (ch == '(' || ch == ')' || ch == '\\')
                out += '\\';
            out += ch;
        }
        out += ')';
        return;
    }
    out += "<FEFF";
    for (const QChar c : text)
        appendHex4(out, c.unicode());
    out += '>';
}

std::string toUnicodeCMap(int codeBytes, const std::vector<std::pair<std::uint32_t, QString>> &map)
{
    const auto appendCode = [codeBytes](std::string &out, std::uint32_t code) {
        static constexpr char digits[] = "0123456789ABCDEF";
        for (int shift = codeBytes * 8 - 4; shift >= 0; shift -= 4)
            out += digits[(code >> shift) & 0xF];
    };
    std::string s = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                    "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                    "1 begincodespacerange\n<";
    appendCode(s, 0);
    s += "> <";
    appendCode(s, codeBytes == 1 ? 0xFF : 0xFFFF);
    s += ">\nendcodespacerange\n";
    for (size_t i = 0; i < map.size(); i += 100) { // at most 100 entries a block
        const size_t n = std::min<size_t>(100, map.size() - i);
        appendInt(s, std::int64_t(n));
        s += " beginbfchar\n";
        for (size_t j = i; j < i + n; ++j) {
            s += '<';
            appendCode(s, map[j].first);
            s += "> <";
            for (const QChar c : map[j].second) // UTF-16BE, as the CMap's destinations are
                appendHex4(s, c.unicode());
            s += ">\n";
        }
        s += "endbfchar\n";
    }
    s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return s;
}

} // namespace engine::pdfsyntax
