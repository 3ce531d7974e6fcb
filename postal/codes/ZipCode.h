#pragma once

#include "postal/PostalExport.h"

#include <QString>

namespace postal {

// A U.S. ZIP code: five digits or ZIP+4, and for a barcode possibly a two-digit
// delivery point after the ZIP+4. Read from text as it is written, or from a
// number as a database column or a settings file keeps it (leading zeros lost).
//
// The number 0 stands for no ZIP at all (a member never set): it prints as the
// design's pattern "00000-0000" and has no digits, so no bars encode it.
class POSTAL_EXPORT ZipCode {
public:
    // Why a text or number is not a ZIP code.
    enum class Fault { None, Missing, NotANumber, WrongDigitCount };

    ZipCode() = default; // no ZIP: missing

    // As written in an address: "12345", "123456789" or "12345-6789", ASCII digits only.
    static ZipCode fromText(const QString &text);
    // 1..99999 is a five-digit ZIP and 100000..999999999 a ZIP+4, zero-padded;
    // 0 is no ZIP; any other number is no ZIP either and prints as the number.
    static ZipCode fromNumber(qint64 number);
    // A number written out as text (a settings file's value): up to nine ASCII
    // digits are taken as that number; anything else prints as written.
    static ZipCode fromNumberText(const QString &text);
    // A barcode's data as it is stored: exactly 5, 9 or 11 ASCII digits, the last
    // two of eleven being the delivery point.
    static ZipCode fromRoutingDigits(const QString &digits);

    bool isValid() const { return m_fault == Fault::None; }
    Fault fault() const { return m_fault; }

    // The ZIP's own 5 or 9 digits; empty when it is not valid.
    const QString &digits() const { return m_digits; }
    // Two digits, or empty: only a ZIP+4 read from routing digits has one.
    const QString &deliveryPoint() const { return m_deliveryPoint; }
    // The digits a barcode encodes: 5, 9 or 11 (with the delivery point);
    // empty when it is not valid, 0 included.
    QString routingDigits() const { return m_digits + m_deliveryPoint; }

    // As the envelope prints it: "92901", "12345-6789", "12345-6789-01"; the
    // number 0 as "00000-0000"; anything not a ZIP as it was read.
    QString printed() const;

private:
    QString m_digits;
    QString m_deliveryPoint;
    QString m_asRead; // what prints when it is not a ZIP
    Fault m_fault = Fault::Missing;
};

} // namespace postal
