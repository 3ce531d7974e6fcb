#include "cli/MailOptions.h"

#include "envelope_report/AddressStyle.h"

namespace cli {

const char MailOptions::helpText[] =
    "  --barcode WHICH       the postal barcode: postnet (default) or imb, the Intelligent Mail barcode\n"
    "  --mailer-id DIGITS    the USPS Mailer ID of the Intelligent Mail barcode (6 or 9 digits)\n"
    "  --service-type DIGITS its service type (3 digits)\n"
    "  --barcode-id DIGITS   its barcode ID (2 digits, default 00)\n"
    "  --serial NUMBER       its serial, from the Mailer ID's counter when not given (a batch: the first,\n"
    "                        one more per envelope)\n"
    "  --address-style STYLE the addressee block as-given (default) or pub28: upper case, no punctuation,\n"
    "                        USPS abbreviations and the state's code (USPS Publication 28);\n"
    "                        these win over mail.conf\n";

envelope::MailSettings MailOptions::read(const OptionParser &parser) const
{
    envelope::MailSettings s;
    const auto take = [&](const QCommandLineOption &option, QString &field, const QString &mailerId) {
        if (!parser.isSet(option))
            return;
        const QString value = parser.value(option);
        const QString name = option.names().constFirst();
        if (const QString reason = envelope::MailSettings::problem(name, value, mailerId); !reason.isEmpty())
            throw OptionParser::UsageError{QStringLiteral("--%1 \"%2\": %3").arg(name, value, reason)};
        field = value;
    };
    take(m_barcode, s.barcode, QString());
    take(m_mailerId, s.mailerId, QString());
    take(m_serviceType, s.serviceType, QString());
    take(m_barcodeId, s.barcodeId, QString());
    take(m_serial, s.serial, s.mailerId);
    return s;
}

QString MailOptions::addressStyle(const OptionParser &parser) const
{
    if (!parser.isSet(m_addressStyle))
        return QString();
    const QString value = parser.value(m_addressStyle);
    if (const QString reason = envelope::AddressStyle::problem(value); !reason.isEmpty())
        throw OptionParser::UsageError{QStringLiteral("--address-style \"%1\": %2").arg(value, reason)};
    return value;
}

} // namespace cli
