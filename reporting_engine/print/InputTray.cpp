#include "reporting_engine/print/InputTray.h"

#include <QList>

namespace engine {

std::optional<InputTray> InputTray::parse(QByteArrayView value)
{
    constexpr qsizetype maxOctets = 1023; // an IPP octetString holds no more
    if (value.size() > maxOctets)
        return std::nullopt;
    InputTray tray;
    const QList<QByteArray> parts = value.toByteArray().split(';');
    for (QByteArrayView part : parts) {
        if (part.trimmed().isEmpty())
            continue; // the closing ";" leaves an empty part
        const qsizetype equals = part.indexOf('=');
        if (equals <= 0)
            return std::nullopt;
        const QByteArrayView key = part.first(equals).trimmed();
        const QByteArrayView v = part.sliced(equals + 1).trimmed();
        if (key == "type") {
            tray.type = v.toByteArray();
        } else if (key == "name") {
            tray.name = v.toByteArray();
        } else if (key == "maxcapacity") {
            bool ok = false;
            tray.maxCapacity = v.toInt(&ok);
            if (!ok)
                return std::nullopt;
        }
    }
    if (tray.type.isEmpty() || tray.name.isEmpty())
        return std::nullopt;
    return tray;
}

} // namespace engine
