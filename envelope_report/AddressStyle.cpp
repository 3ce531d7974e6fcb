#include "envelope_report/AddressStyle.h"

#include "postal/addresses/Pub28Style.h"
#include "reporting_engine/base/EngineError.h"

namespace envelope {

QString AddressStyle::problem(const QString &value)
{
    return value == QLatin1String("as-given") || value == QLatin1String("pub28") ? QString()
                                                                                  : QStringLiteral("the address style is as-given or pub28");
}

AddressStyle::Kind AddressStyle::parse(const QString &value)
{
    if (const QString why = problem(value); !why.isEmpty())
        throw engine::EngineError(QStringLiteral("address style \"%1\": %2.").arg(value, why));
    return value == QLatin1String("pub28") ? Kind::Pub28 : Kind::AsGiven;
}

AddressStyle::Kind AddressStyle::resolve(const QString &chosen, const QString &configured)
{
    if (!chosen.isEmpty())
        return parse(chosen);
    return configured.isEmpty() ? Kind::AsGiven : parse(configured);
}

AddresseeRecord AddressStyle::applied(Kind kind, const AddresseeRecord &record)
{
    if (kind == Kind::AsGiven)
        return record;
    const postal::Pub28Style &pub28 = postal::Pub28Style::standard();
    AddresseeRecord r = record;
    r.name = pub28.plain(r.name);
    r.street1 = pub28.deliveryLine(r.street1);
    r.street2 = pub28.deliveryLine(r.street2);
    r.city = pub28.plain(r.city);
    r.state = pub28.state(r.state);
    return r;
}

} // namespace envelope
