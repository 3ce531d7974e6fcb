#include "envelope_report/ZipFormatter.h"

namespace envelope {

QString ZipFormatter::format(std::int64_t zip)
{
    if (zip == 0)
        return QStringLiteral("00000-0000");
    if (zip >= 1 && zip <= 99999)
        return QStringLiteral("%1").arg(zip, 5, 10, QLatin1Char('0'));
    if (zip >= 100000 && zip <= 999999999) {
        const QString nine = QStringLiteral("%1").arg(zip, 9, 10, QLatin1Char('0'));
        return nine.left(5) + QLatin1Char('-') + nine.mid(5);
    }
    return QString::number(zip);
}

QString ZipFormatter::format(const QString &zipText)
{
    if (zipText.isEmpty() || zipText.size() > 9)
        return zipText;
    for (const QChar c : zipText)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return zipText;
    return format(static_cast<std::int64_t>(zipText.toLongLong()));
}

} // namespace envelope
