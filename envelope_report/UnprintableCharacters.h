#pragma once

#include "envelope_report/AddresseeRecord.h"
#include "envelope_report/ReturnAddress.h"

#include <QStringList>

namespace envelope {

// The envelope's words for characters no installed font can print (the engine's
// FontFallback finds them): the single envelope refuses to print them, the batch
// calls their record bad.
class UnprintableCharacters {
public:
    // One problem per field that has some: "the name has characters no installed
    // font can print: U+1F642".
    static QStringList inAddressee(const AddresseeRecord &record);
    // The same for the return address; empty when it prints whole.
    static QString inReturnAddress(const ReturnAddress &from);

    // The record with each such character shown as U+FFFD, as a bad record printed
    // all the same shows what it lacks.
    static AddresseeRecord replaced(const AddresseeRecord &record);
};

} // namespace envelope
