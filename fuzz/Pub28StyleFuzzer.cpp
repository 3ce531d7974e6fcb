// An address's lines written in Pub 28 style, from any text a batch's input may hold:
// never a crash; upper case, single blanks, no punctuation but the hyphen and "#"; and
// written again, the same.
#include "fuzz/FuzzSupport.h"
#include "postal/addresses/Pub28Style.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

void checkWritten(const QString &out)
{
    fuzzsupport::check(out == out.trimmed());
    fuzzsupport::check(!out.contains(QLatin1String("  ")));
    for (const QChar c : out)
        fuzzsupport::check(c.isLetterOrNumber() || c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('#'));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    (void)postal::Pub28Style::standard(); // the tables, read once
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const postal::Pub28Style &style = postal::Pub28Style::standard();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString line = style.deliveryLine(text);
    checkWritten(line);
    fuzzsupport::check(style.deliveryLine(line) == line);
    const QString plain = style.plain(text);
    checkWritten(plain);
    fuzzsupport::check(style.plain(plain) == plain);
    (void)style.state(text);
    return 0;
}
