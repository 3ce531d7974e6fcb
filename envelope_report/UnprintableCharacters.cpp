#include "envelope_report/UnprintableCharacters.h"

#include "reporting_engine/render/FontFallback.h"

#include <array>
#include <utility>

using engine::FontFallback;

namespace envelope {
namespace {

QString problem(const QString &what, const QString &text)
{
    const QList<char32_t> chars = FontFallback::unprintable(text);
    if (chars.isEmpty())
        return {};
    return QStringLiteral("%1 has characters no installed font can print: %2").arg(what, FontFallback::codePoints(chars));
}

// The addressee's fields as its messages name them.
template<typename Record, typename F>
void forEachField(Record &r, F &&f)
{
    const std::array<std::pair<const char *, decltype(&r.name)>, 6> fields{{{"the name", &r.name},
                                                                            {"the street", &r.street1},
                                                                            {"the second street", &r.street2},
                                                                            {"the city", &r.city},
                                                                            {"the state", &r.state},
                                                                            {"the ZIP code", &r.zip}}};
    for (const auto &[what, value] : fields)
        f(QLatin1String(what), *value);
}

} // namespace

QStringList UnprintableCharacters::inAddressee(const AddresseeRecord &record)
{
    QStringList problems;
    forEachField(record, [&](const QString &what, const QString &value) {
        if (const QString p = problem(what, value); !p.isEmpty())
            problems << p;
    });
    return problems;
}

QString UnprintableCharacters::inReturnAddress(const ReturnAddress &from)
{
    return problem(QStringLiteral("the return address"), from.name + from.lines);
}

AddresseeRecord UnprintableCharacters::replaced(const AddresseeRecord &record)
{
    static const QString replacement = FontFallback::unprintable(QStringLiteral(u"\uFFFD")).isEmpty()
                                           ? QStringLiteral(u"\uFFFD")
                                           : QStringLiteral("?");
    AddresseeRecord out = record;
    forEachField(out, [&](const QString &, QString &value) {
        for (const char32_t ch : FontFallback::unprintable(value))
            value.replace(QString::fromUcs4(&ch, 1), replacement);
    });
    return out;
}

} // namespace envelope
