#include "reporting_engine/PdfSyntax.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace engine::pdfsyntax {

void appendNumber(std::string &out, double value, int decimals)
{
    // Far beyond any page, and keeps the fixed notation short.
    value = std::clamp(std::isfinite(value) ? value : 0.0, -1e9, 1e9);
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    char *end = res.ptr;
    if (decimals > 0) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    if (end - buf == 2 && buf[0] == '-' && buf[1] == '0') // a tiny negative rounded to "-0"
        out += '0';
    else
        out.append(buf, end);
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

} // namespace engine::pdfsyntax
