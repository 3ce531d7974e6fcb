#pragma once

#include <QString>

namespace postal {

// The parts of an Intelligent Mail tracking code, checked where they are given (mail.conf,
// the host's members, the command line, a batch's column), and the code made of them:
// barcode ID (2) + service type (3) + Mailer ID (6 or 9) + serial (9 or 6) = 20 digits.
// Each check returns why the value is not one, in words for the user, or an empty string.
class TrackingCode {
public:
    static constexpr int length = 20;

    static QString mailerIdProblem(const QString &mailerId);
    static QString serviceTypeProblem(const QString &serviceType);
    static QString barcodeIdProblem(const QString &barcodeId);
    // mailerId may be empty when not known yet: then only the digits are checked.
    static QString serialProblem(const QString &serial, const QString &mailerId);
    // A whole tracking code as mailing software gives it.
    static QString problem(const QString &trackingCode);

    // 9 for a 6-digit Mailer ID, 6 for a 9-digit one.
    static int serialWidth(const QString &mailerId) { return length - 5 - int(mailerId.size()); }

    // The parts checked above, the serial zero-padded.
    static QString compose(const QString &barcodeId, const QString &serviceType, const QString &mailerId, const QString &serial);
    // The barcode's data: the tracking code and the ZIP's routing digits when it has any.
    static QString barcodeData(const QString &trackingCode, const QString &routingDigits);
};

} // namespace postal
