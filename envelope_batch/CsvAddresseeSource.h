#pragma once

#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/ColumnMapping.h"

#include <QString>

#include <memory>

namespace envelope {

// Addressees from a CSV file with a header row.
class CsvAddresseeSource final : public AddresseeSource {
public:
    // Opens the file and finds the mapped columns in its header; throws EngineError
    // when it cannot be read, is malformed, or lacks a mapped column.
    CsvAddresseeSource(QString path, ColumnMapping mapping);
    ~CsvAddresseeSource() override;

    std::optional<AddresseeRecord> next() override;
    void rewind() override;
    double fractionRead() const override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
