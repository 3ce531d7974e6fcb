#include "envelope_batch/CsvAddresseeSource.h"

#include "reporting_engine/records/CsvRecordReader.h"

namespace envelope {

struct CsvAddresseeSource::Private {
    QString path;
    ColumnMapping mapping;
    ColumnMapping::Positions at{};
    std::unique_ptr<engine::CsvRecordReader> reader;

    void open()
    {
        reader = engine::CsvRecordReader::fromFile(path);
        at = mapping.resolve(reader->header());
    }

    QString part(const QStringList &fields, ColumnMapping::Part p) const
    {
        const int i = at[static_cast<int>(p)];
        return i < 0 ? QString() : AddresseeRecord::tidy(fields.at(i));
    }
};

CsvAddresseeSource::CsvAddresseeSource(QString path, ColumnMapping mapping) : d(std::make_unique<Private>())
{
    d->path = std::move(path);
    d->mapping = std::move(mapping);
    d->open();
}

CsvAddresseeSource::~CsvAddresseeSource() = default;

std::optional<AddresseeRecord> CsvAddresseeSource::next()
{
    if (!d->reader->next())
        return std::nullopt;
    using P = ColumnMapping::Part;
    const QStringList &f = d->reader->record();
    AddresseeRecord r;
    r.number = d->reader->recordNumber();
    r.line = d->reader->recordLine();
    r.name = d->part(f, P::Name);
    r.street1 = d->part(f, P::Street1);
    r.street2 = d->part(f, P::Street2);
    r.city = d->part(f, P::City);
    r.state = d->part(f, P::State);
    r.zip = d->part(f, P::Zip);
    r.imb = d->part(f, P::Imb);
    return r;
}

void CsvAddresseeSource::rewind() { d->open(); }

double CsvAddresseeSource::fractionRead() const
{
    const qint64 total = d->reader->totalBytes();
    return total > 0 ? double(d->reader->bytesRead()) / double(total) : -1.0;
}

} // namespace envelope
