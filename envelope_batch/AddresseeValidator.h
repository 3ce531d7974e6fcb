#pragma once

#include "envelope_report/AddressStyle.h"
#include "envelope_report/AddresseeRecord.h"

#include <QStringList>
#include <QVariant>

namespace envelope {

// Decides whether an addressee prints as a proper envelope, and how its ZIP code prints;
// runs the address readers' rules (postal::ReaderRules) on the block as it would print.
class AddresseeValidator {
public:
    // The address box holds four lines at the address's type size.
    static constexpr int addressBoxLines = 4;

    // How the run prints: the block's style, and whether with the Intelligent Mail barcode.
    struct Options {
        AddressStyle::Kind style = AddressStyle::Kind::AsGiven;
        bool intelligentMail = false;
    };

    struct Verdict {
        QStringList problems;   // why the record is bad; empty for a good one
        QStringList warnings;   // what the readers may stumble on; the record still prints as good
        QStringList rules;      // the rules broken, by their short names, once each, for a summary
        QString zipText;        // the ZIP as the address block prints it
        QString addressBlock;   // the block as the envelope prints it, composed once for the check and the page
        QString addressee;      // who it goes to, in Pub 28 style (name, delivery line, ZIP5): the same twice is a duplicate
        QVariant barcodeValue;  // null for a bad record: it prints no bars
        bool good() const { return problems.isEmpty(); }
    };

    static Verdict check(const AddresseeRecord &record, const Options &options);
    static Verdict check(const AddresseeRecord &record) { return check(record, Options{}); }
};

} // namespace envelope
