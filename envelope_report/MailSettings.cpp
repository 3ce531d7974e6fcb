#include "envelope_report/MailSettings.h"

#include "envelope_report/AddressStyle.h"
#include "postal/codes/TrackingCode.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/settings/LayeredSettings.h"


namespace envelope {
namespace {

const QString keyBarcode = QStringLiteral("barcode");
const QString keyMailerId = QStringLiteral("mailer-id");
const QString keyServiceType = QStringLiteral("service-type");
const QString keyBarcodeId = QStringLiteral("barcode-id");
const QString keySerialFile = QStringLiteral("serial-file");
const QString keySerial = QStringLiteral("serial");
const QString keyAddressStyle = QStringLiteral("address-style");
const QString keySerialSource = QStringLiteral("serial-source");

QString *field(MailSettings &s, const QString &key)
{
    if (key == keyBarcode) return &s.barcode;
    if (key == keyMailerId) return &s.mailerId;
    if (key == keyServiceType) return &s.serviceType;
    if (key == keyBarcodeId) return &s.barcodeId;
    if (key == keySerialFile) return &s.serialFile;
    return nullptr;
}

MailSettings fromEntries(const engine::SettingsFile &file, const QString &section, const engine::SettingsFile::Entries &entries,
                         MailSettings::FileOnly *fileOnly = nullptr)
{
    MailSettings s;
    for (const auto &[key, value] : entries) {
        QString *target = field(s, key);
        // Read beside the struct, whose layout programs built against 1.0 rely on.
        const bool known = target || key == keyAddressStyle || key == keySerialSource;
        const QString reason = known ? MailSettings::problem(key, value)
                                     : QStringLiteral("no mail setting (barcode, mailer-id, service-type, barcode-id, serial-file, "
                                                      "serial-source, address-style)");
        if (!reason.isEmpty())
            throw engine::EngineError(
                QStringLiteral("%1: %2 = \"%3\": %4.").arg(file.placeOf(section, key), key, value, reason));
        if (target)
            *target = value;
        else if (fileOnly)
            (key == keySerialSource ? fileOnly->serialSource : fileOnly->addressStyle) = value;
    }
    return s;
}

// The section read() takes, checked whole as read() checks it.
std::optional<engine::LayeredSettings::Entry> sectionFor(const QString &systemFile, const QString &userFile, const QString &hostName)
{
    const auto check = [](const engine::SettingsFile &file, const QString &section, const engine::SettingsFile::Entries &entries) {
        fromEntries(file, section, entries);
    };
    return engine::LayeredSettings::find({systemFile, userFile}, {hostName.toUpper(), QStringLiteral("default")}, check);
}

} // namespace

MailSettings MailSettings::overriddenBy(const MailSettings &o) const
{
    MailSettings s = *this;
    for (const auto &[mine, theirs] : {std::pair{&s.barcode, &o.barcode}, {&s.mailerId, &o.mailerId}, {&s.serviceType, &o.serviceType},
                                       {&s.barcodeId, &o.barcodeId}, {&s.serialFile, &o.serialFile}, {&s.serial, &o.serial}})
        if (!theirs->isEmpty())
            *mine = *theirs;
    return s;
}

QString MailSettings::problem(const QString &key, const QString &value, const QString &mailerId)
{
    if (key == keyBarcode)
        return value == QLatin1String("postnet") || value == QLatin1String("imb") ? QString() : QStringLiteral("the barcode is postnet or imb");
    if (key == keyMailerId)
        return postal::TrackingCode::mailerIdProblem(value);
    if (key == keyServiceType)
        return postal::TrackingCode::serviceTypeProblem(value);
    if (key == keyBarcodeId)
        return postal::TrackingCode::barcodeIdProblem(value);
    if (key == keySerial)
        return postal::TrackingCode::serialProblem(value, mailerId);
    if (key == keyAddressStyle)
        return AddressStyle::problem(value);
    if (key == keySerialFile)
        return value.isEmpty() ? QStringLiteral("a serial file is a path") : QString();
    if (key == keySerialSource)
        return value.startsWith(QLatin1String("postgresql://")) || value.startsWith(QLatin1String("postgres://"))
                   ? QString()
                   : QStringLiteral("a serial source is a PostgreSQL database, postgresql://user@host:port/database");
    return QStringLiteral("no mail setting");
}

MailSettings MailSettings::read(const QString &systemFile, const QString &userFile, const QString &hostName)
{
    FileOnly ignored;
    return read(systemFile, userFile, hostName, ignored);
}

MailSettings MailSettings::read(const QString &systemFile, const QString &userFile, const QString &hostName, FileOnly &fileOnly)
{
    fileOnly = FileOnly();
    const auto entry = sectionFor(systemFile, userFile, hostName);
    return entry ? fromEntries(entry->file, entry->section, entry->entries, &fileOnly) : MailSettings();
}

QString MailSettings::readAddressStyle(const QString &systemFile, const QString &userFile, const QString &hostName)
{
    FileOnly fileOnly;
    read(systemFile, userFile, hostName, fileOnly);
    return fileOnly.addressStyle;
}

void MailSettings::checkComplete() const
{
    if (!isIntelligentMail())
        return;
    if (mailerId.isEmpty() || serviceType.isEmpty())
        throw engine::EngineError(QStringLiteral("The Intelligent Mail barcode needs a Mailer ID and a service type "
                                                 "(mailer-id and service-type in mail.conf, or --mailer-id and --service-type)."));
    if (!serial.isEmpty()) {
        if (const QString reason = postal::TrackingCode::serialProblem(serial, mailerId); !reason.isEmpty())
            throw engine::EngineError(QStringLiteral("The serial \"%1\" does not go with the Mailer ID %2: %3.").arg(serial, mailerId, reason));
    }
}

} // namespace envelope
