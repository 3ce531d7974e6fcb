#pragma once

#include "envelope_report/AddresseeRecord.h"

#include <QStringList>
#include <QVariant>

namespace envelope {

// Decides whether an addressee prints as a proper envelope, and how its ZIP code prints.
class AddresseeValidator {
public:
    // The address box holds four lines at the address's type size.
    static constexpr int addressBoxLines = 4;

    struct Verdict {
        QStringList problems;   // why the record is bad; empty for a good one
        QStringList warnings;   // what may go wrong with it in the mail, good or bad
        QString zipText;        // the ZIP as the address block prints it
        QString addressBlock;   // the block as the envelope prints it, composed once for the check and the page
        QVariant barcodeValue;  // null for a bad record: it prints no bars
        bool good() const { return problems.isEmpty(); }
    };

    static Verdict check(const AddresseeRecord &record);
};

} // namespace envelope
