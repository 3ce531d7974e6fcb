#include "reporting_engine/print/PrinterProfile.h"

#include "reporting_engine/base/Twips.h"

namespace engine {

PagePlacement PrinterProfile::placement() const
{
    return PagePlacement{twips::fromInches(offsetXInches), twips::fromInches(offsetYInches), rotation == 180};
}

QString PrinterProfile::describe() const
{
    return QStringLiteral("offset %1 in right, %2 in down, %3, source %4%5")
        .arg(offsetXInches)
        .arg(offsetYInches)
        .arg(rotation == 180 ? QStringLiteral("turned 180°") : QStringLiteral("not turned"),
             source.isEmpty() ? QStringLiteral("chosen by meaning") : source,
             mediaType.isEmpty() ? QString() : QStringLiteral(", media type %1").arg(mediaType));
}

} // namespace engine
