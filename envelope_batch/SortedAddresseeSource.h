#pragma once

#include "envelope_batch/AddresseeSource.h"

#include <vector>

namespace envelope {

// Another source's records in ZIP Code order, for presort: read whole on the first call,
// then handed out sorted by their ZIP's digits (a record without a valid ZIP last), records
// with the same ZIP in input order. Each keeps its number and line.
class SortedAddresseeSource final : public AddresseeSource {
public:
    explicit SortedAddresseeSource(AddresseeSource &input) : m_input(input) {}

    std::optional<AddresseeRecord> next() override;
    void rewind() override { m_next = 0; }
    double fractionRead() const override;

private:
    AddresseeSource &m_input;
    std::vector<AddresseeRecord> m_records;
    bool m_read = false;
    size_t m_next = 0;
};

} // namespace envelope
