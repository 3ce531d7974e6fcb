#include "postal/codes/TrackingCode.h"

#include "postal/codes/IntelligentMailEncoder.h"

#include <algorithm>

namespace postal {
namespace {

bool allDigits(const QString &s)
{
    return !s.isEmpty() && std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace

QString TrackingCode::mailerIdProblem(const QString &id)
{
    // The first digit tells how long the Mailer ID is, so the two lengths must not be confused.
    if (allDigits(id) && ((id.size() == 6 && id[0] != QLatin1Char('9')) || (id.size() == 9 && id[0] == QLatin1Char('9'))))
        return QString();
    return QStringLiteral("a Mailer ID is 6 digits not starting with 9, or 9 digits starting with 9");
}

QString TrackingCode::serviceTypeProblem(const QString &serviceType)
{
    return allDigits(serviceType) && serviceType.size() == 3 ? QString() : QStringLiteral("a service type is 3 digits");
}

QString TrackingCode::barcodeIdProblem(const QString &barcodeId)
{
    if (!allDigits(barcodeId) || barcodeId.size() != 2)
        return QStringLiteral("a barcode ID is 2 digits");
    // Its other rule is the encoder's, asked of a code made of it.
    return postal::IntelligentMailEncoder::problem(barcodeId + QString(length - 2, QLatin1Char('0')));
}

QString TrackingCode::serialProblem(const QString &serial, const QString &mailerId)
{
    if (!allDigits(serial))
        return QStringLiteral("a serial is digits");
    if (!mailerId.isEmpty() && serial.size() > serialWidth(mailerId))
        return QStringLiteral("the serial of a %1-digit Mailer ID has at most %2 digits").arg(mailerId.size()).arg(serialWidth(mailerId));
    return QString();
}

QString TrackingCode::problem(const QString &trackingCode)
{
    if (trackingCode.contains(QLatin1Char('-')))
        return QStringLiteral("the tracking code must be 20 digits");
    return postal::IntelligentMailEncoder::problem(trackingCode);
}

QString TrackingCode::compose(const QString &barcodeId, const QString &serviceType, const QString &mailerId, const QString &serial)
{
    return barcodeId + serviceType + mailerId + serial.rightJustified(serialWidth(mailerId), QLatin1Char('0'));
}

QString TrackingCode::barcodeData(const QString &trackingCode, const QString &routingDigits)
{
    return routingDigits.isEmpty() ? trackingCode : trackingCode + QLatin1Char('-') + routingDigits;
}

} // namespace postal
