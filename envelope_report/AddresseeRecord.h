#pragma once

#include <QString>

namespace envelope {

// One addressee as the envelope prints it; a batch's as read from its source,
// blanks around each value removed.
struct AddresseeRecord {
    qint64 number = 0; // 1 for the first record of the source
    qint64 line = 0;   // the line of a text source it starts on; 0 when the source has no lines
    QString name;
    QString street1;
    QString street2;
    QString city;
    QString state;
    QString zip;
    QString imb; // a batch's Intelligent Mail tracking code as given; empty when none

    // Fixed-width database columns come padded with blanks, and stray ones in a
    // spreadsheet would push the rest of the line off the box.
    static QString tidy(const QString &value) { return value.trimmed(); }
};

} // namespace envelope
