#pragma once

#include "envelope_report/AddressStyle.h"
#include "envelope_report/AddresseeRecord.h"

#include <QString>

namespace envelope {

// The addressee block as the envelope prints it, CR LF between its lines: the
// name, the street, the second street when there is one, and "City, ST ZIP".
// The single envelope and the batch's check of a record compose it here alike.
class AddressBlock {
public:
    static QString compose(const AddresseeRecord &record, const QString &zipText);
    // The record in the style: Pub 28's last line has no comma ("ANCHORAGE AK 99501").
    static QString compose(const AddresseeRecord &record, const QString &zipText, AddressStyle::Kind style);
};

} // namespace envelope
