#include "envelope_batch/SortedAddresseeSource.h"

#include "postal/codes/ZipCode.h"

#include <algorithm>

namespace envelope {

std::optional<AddresseeRecord> SortedAddresseeSource::next()
{
    if (!m_read) {
        while (std::optional<AddresseeRecord> r = m_input.next())
            m_records.push_back(std::move(*r));
        const auto key = [](const AddresseeRecord &r) {
            const postal::ZipCode zip = postal::ZipCode::fromText(r.zip);
            return zip.isValid() ? zip.digits() : QStringLiteral("~");
        };
        std::stable_sort(m_records.begin(), m_records.end(),
                         [&key](const AddresseeRecord &a, const AddresseeRecord &b) { return key(a) < key(b); });
        m_read = true;
    }
    if (m_next >= m_records.size())
        return std::nullopt;
    return m_records[m_next++];
}

double SortedAddresseeSource::fractionRead() const
{
    return m_records.empty() ? m_input.fractionRead() : double(m_next) / double(m_records.size());
}

} // namespace envelope
