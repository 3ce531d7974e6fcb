#pragma once

#include "envelope_report/MailSettings.h"
#include "postal/codes/ImbSerialSource.h"

#include <QVariant>

#include <cstdint>
#include <memory>
#include <optional>

namespace envelope {

// The postal barcode of one run's envelopes: POSTNET's routing digits, or Intelligent Mail
// tracking codes with serials reserved from the Mailer ID's counter, a file or the office's
// database (or counted on from an
// explicit serial, which uses no counter). Serials a run did not use go back to the counter.
class MailBarcode {
public:
    // The settings as they hold for the run: checked, complete. Throws EngineError.
    // serialSource: mail.conf's serial-source (see MailSettings::FileOnly), else the serial file.
    explicit MailBarcode(MailSettings settings, QString serialSource = QString());
    ~MailBarcode();
    MailBarcode(const MailBarcode &) = delete;
    MailBarcode &operator=(const MailBarcode &) = delete;

    // mail.conf's settings for the host program, overridden by the host's or the command line's.
    // What only the file sets comes back in fileOnly, from the same reading.
    static MailSettings settingsFor(const QString &hostName, const MailSettings &overrides, MailSettings::FileOnly &fileOnly);

    bool isIntelligentMail() const { return m_settings.isIntelligentMail(); }
    const MailSettings &settings() const { return m_settings; }

    // Reserves serials for count envelopes in one step, giving back any from an earlier run
    // first; returns the counter's warning when it started again at 0, else empty.
    QString reserve(std::uint64_t count);
    // The barcode's value for an addressee whose ZIP is valid: its routing digits, or a
    // tracking code (given, as from mailing software, or the next serial's) and them.
    QVariant valueFor(const QString &routingDigits, const QString &givenTracking = QString());
    // Gives back the serials reserved but not handed out, or, with keepNone, all of them
    // (nothing carrying them was made); the counter only takes them back when no one
    // reserved since. Never throws: it runs after failures and from the destructor.
    void releaseUnused(bool keepNone);

private:
    MailSettings m_settings;
    QString m_serialSource;
    std::unique_ptr<postal::ImbSerialSource> m_counter;
    std::optional<postal::ImbSerialSource::Range> m_range;
    std::uint64_t m_handedOut = 0;
    std::uint64_t m_explicitNext = 0;
};

} // namespace envelope
