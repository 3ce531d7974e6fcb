#pragma once

#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/ColumnMapping.h"

#include <QString>

#include <memory>

namespace envelope {

// Addressees from a query on a database opened read-only from a URL
// (sqlite:PATH, postgresql://user@host:port/db), on a connection of its own.
class DatabaseAddresseeSource final : public AddresseeSource {
public:
    // Opens the database, runs the query and finds the mapped columns among its
    // columns; throws EngineError when any of that fails.
    DatabaseAddresseeSource(const QString &url, QString sql, ColumnMapping mapping);
    ~DatabaseAddresseeSource() override;

    std::optional<AddresseeRecord> next() override;
    // Runs the query again.
    void rewind() override;
    double fractionRead() const override { return -1.0; }

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
