#pragma once

#include "envelope_report/AddresseeRecord.h"

#include <optional>

namespace envelope {

// Where a batch's addressees come from, one record at a time, forward only.
class AddresseeSource {
public:
    virtual ~AddresseeSource() = default;

    // The next record, or nothing after the last. Throws EngineError when the
    // input is malformed or cannot be read.
    virtual std::optional<AddresseeRecord> next() = 0;
    // Back before the first record, for a second pass over the same input.
    virtual void rewind() = 0;
    // How much of the input is read, 0 to 1; negative when the source cannot tell.
    virtual double fractionRead() const = 0;

protected:
    AddresseeSource() = default;
    AddresseeSource(const AddresseeSource &) = default;
    AddresseeSource &operator=(const AddresseeSource &) = default;
};

} // namespace envelope
