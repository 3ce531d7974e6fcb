#include "envelope_report/MailBarcode.h"

#include "envelope_report/EnvelopeProduct.h"
#include "postal/codes/ImbSerialCounter.h"
#include "postal/codes/ImbSerialDatabase.h"
#include "postal/codes/TrackingCode.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/settings/LayeredSettings.h"

#include <exception>

namespace envelope {

MailBarcode::MailBarcode(MailSettings settings, QString serialSource)
    : m_settings(std::move(settings)), m_serialSource(std::move(serialSource))
{
    m_settings.checkComplete();
    if (!isIntelligentMail())
        return;
    if (m_settings.barcodeId.isEmpty())
        m_settings.barcodeId = QStringLiteral("00");
    if (!m_settings.serial.isEmpty())
        m_explicitNext = m_settings.serial.toULongLong();
    else if (!m_serialSource.isEmpty())
        m_counter = std::make_unique<postal::ImbSerialDatabase>(m_settings.mailerId, m_serialSource,
                                                                EnvelopeProduct::databaseClientName());
    else
        m_counter = std::make_unique<postal::ImbSerialCounter>(m_settings.mailerId, m_settings.serialFile);
}

MailBarcode::~MailBarcode() { releaseUnused(false); }

MailSettings MailBarcode::settingsFor(const QString &hostName, const MailSettings &overrides, MailSettings::FileOnly &fileOnly)
{
    const engine::LayeredSettings::Files files = EnvelopeProduct::mailSettingsFiles();
    return MailSettings::read(files.system, files.user, hostName, fileOnly).overriddenBy(overrides);
}

QString MailBarcode::reserve(std::uint64_t count)
{
    releaseUnused(false);
    if (!m_counter || count == 0)
        return QString();
    m_range = m_counter->reserve(count);
    m_handedOut = 0;
    return m_range->warning;
}

QVariant MailBarcode::valueFor(const QString &routingDigits, const QString &givenTracking)
{
    if (!isIntelligentMail())
        return routingDigits;
    if (!givenTracking.isEmpty())
        return postal::TrackingCode::barcodeData(givenTracking, routingDigits);
    QString serial;
    if (m_counter) {
        if (!m_range || m_handedOut >= m_range->count)
            throw engine::EngineError(QStringLiteral("More envelopes than the %1 Intelligent Mail serials reserved for the run.")
                                          .arg(m_range ? m_range->count : 0));
        serial = m_counter->serialText(m_range->first + m_handedOut++);
    } else {
        serial = QString::number(m_explicitNext++);
        if (!postal::TrackingCode::serialProblem(serial, m_settings.mailerId).isEmpty())
            throw engine::EngineError(QStringLiteral("The serials from %1 on run past the largest of Mailer ID %2.")
                                          .arg(m_settings.serial, m_settings.mailerId));
    }
    const QString tracking = postal::TrackingCode::compose(m_settings.barcodeId, m_settings.serviceType, m_settings.mailerId, serial);
    return postal::TrackingCode::barcodeData(tracking, routingDigits);
}

void MailBarcode::releaseUnused(bool keepNone)
{
    if (!m_range)
        return;
    const postal::ImbSerialSource::Range range = *m_range;
    m_range.reset();
    try {
        m_counter->release(range, keepNone ? 0 : m_handedOut);
    } catch (const std::exception &) {
        // The counter file could not be set back: the serials stay reserved and are
        // skipped, which keeps every serial unique; the run's own error, if any, stands.
    }
}

} // namespace envelope
