#include "envelope_report/AddressBlock.h"

#include "reporting_engine/render/PageRenderer.h"

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

QString AddressBlock::compose(const QString &name, const QString &street1, const QString &street2, const QString &city,
                              const QString &state, const QString &zipText)
{
    AddresseeRecord r;
    r.name = name;
    r.street1 = street1;
    r.street2 = street2;
    r.city = city;
    r.state = state;
    return compose(r, zipText);
}

QString AddressBlock::compose(const AddresseeRecord &r, const QString &zipText) { return joined(r, zipText, QStringLiteral(", ")); }

QString AddressBlock::compose(const AddresseeRecord &record, const QString &zipText, AddressStyle::Kind style)
{
    if (style == AddressStyle::Kind::AsGiven)
        return compose(record, zipText);
    return joined(AddressStyle::applied(style, record), zipText, QStringLiteral(" "));
}

int AddressBlock::lineCount(const QString &block) { return int(engine::PageRenderer::splitLines(block).size()); }

} // namespace envelope
