#pragma once

#include "cli/OptionParser.h"
#include "envelope_report/MailSettings.h"

#include <QList>

namespace cli {

// The postal barcode's options, the same on the single envelope and the batch:
// --barcode postnet|imb, --mailer-id, --service-type, --barcode-id, --serial. They win
// over the host's section of mail.conf; a bad value is a usage error naming it.
class MailOptions {
public:
    static const char helpText[];

    QList<QCommandLineOption> all() const { return {m_barcode, m_mailerId, m_serviceType, m_barcodeId, m_serial, m_addressStyle}; }
    // Throws OptionParser::UsageError.
    envelope::MailSettings read(const OptionParser &parser) const;
    // --address-style as-given|pub28; empty when not given (mail.conf's then holds).
    QString addressStyle(const OptionParser &parser) const;

private:
    QCommandLineOption m_barcode = OptionParser::withValue("barcode", "postnet|imb");
    QCommandLineOption m_mailerId = OptionParser::withValue("mailer-id", "DIGITS");
    QCommandLineOption m_serviceType = OptionParser::withValue("service-type", "DIGITS");
    QCommandLineOption m_barcodeId = OptionParser::withValue("barcode-id", "DIGITS");
    QCommandLineOption m_serial = OptionParser::withValue("serial", "NUMBER");
    QCommandLineOption m_addressStyle = OptionParser::withValue("address-style", "as-given|pub28");
};

} // namespace cli
