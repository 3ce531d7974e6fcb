#include "envelope_report/AddressBlock.h"

namespace envelope {
namespace {

QString joined(const AddresseeRecord &r, const QString &zipText, const QString &afterCity)
{
    const QString crlf = QStringLiteral("\r\n");
    QString block = r.name + crlf + r.street1 + crlf;
    if (!r.street2.isEmpty())
        block += r.street2 + crlf;
    return block + r.city + afterCity + r.state + QLatin1Char(' ') + zipText;
}

} // namespace

QString AddressBlock::compose(const AddresseeRecord &r, const QString &zipText) { return joined(r, zipText, QStringLiteral(", ")); }

QString AddressBlock::compose(const AddresseeRecord &record, const QString &zipText, AddressStyle::Kind style)
{
    if (style == AddressStyle::Kind::AsGiven)
        return compose(record, zipText);
    return joined(AddressStyle::applied(style, record), zipText, QStringLiteral(" "));
}

} // namespace envelope
