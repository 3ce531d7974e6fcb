#include "envelope_batch/DatabaseAddresseeSource.h"

#include "envelope_report/EnvelopeProduct.h"

#include "postal/codes/ZipCode.h"
#include "reporting_engine/records/DatabaseConnection.h"
#include "reporting_engine/records/RecordSource.h"

#include <QMetaType>

namespace envelope {
namespace {

const QString connectionName = QStringLiteral("envelope-batch");

// A ZIP kept as a number has lost its leading zeros; the single envelope prints
// such a number zero-padded to 5 or 9 digits, and so does the batch. A number that
// is no ZIP (0 included) is kept as read, for the check to name it.
QString zipText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const postal::ZipCode zip = postal::ZipCode::fromNumber(value.toLongLong());
        return zip.isValid() ? zip.digits() : value.toString();
    }
    default:
        return AddresseeRecord::tidy(value.toString());
    }
}

} // namespace

struct DatabaseAddresseeSource::Private {
    QString sql;
    ColumnMapping mapping;
    engine::RecordSource records;
    std::array<QString, ColumnMapping::partCount> columns; // the query's own names, looked up once
    qint64 number = 0;

    void open()
    {
        records.open(sql, connectionName);
        number = 0;
        const QStringList names = records.columns();
        const ColumnMapping::Positions at = mapping.resolve(names);
        for (int i = 0; i < ColumnMapping::partCount; ++i)
            columns[i] = at[i] < 0 ? QString() : names.at(at[i]);
    }

    QString part(ColumnMapping::Part p) const
    {
        const QString &column = columns[static_cast<int>(p)];
        return column.isEmpty() ? QString() : AddresseeRecord::tidy(records.value(column).toString());
    }
};

DatabaseAddresseeSource::DatabaseAddresseeSource(const QString &url, QString sql, ColumnMapping mapping)
    : d(std::make_unique<Private>())
{
    d->sql = std::move(sql);
    d->mapping = std::move(mapping);
    engine::DatabaseConnection::open(url, EnvelopeProduct::databaseClientName(), connectionName);
    try {
        d->open();
    } catch (...) {
        d->records.close();
        engine::DatabaseConnection::close(connectionName);
        throw;
    }
}

DatabaseAddresseeSource::~DatabaseAddresseeSource()
{
    d->records.close();
    engine::DatabaseConnection::close(connectionName);
}

std::optional<AddresseeRecord> DatabaseAddresseeSource::next()
{
    if (!d->records.next())
        return std::nullopt;
    using P = ColumnMapping::Part;
    AddresseeRecord r;
    r.number = ++d->number;
    r.name = d->part(P::Name);
    r.street1 = d->part(P::Street1);
    r.street2 = d->part(P::Street2);
    r.city = d->part(P::City);
    r.state = d->part(P::State);
    r.imb = d->part(P::Imb);
    const QString &zipColumn = d->columns[static_cast<int>(P::Zip)];
    r.zip = zipText(d->records.value(zipColumn));
    return r;
}

void DatabaseAddresseeSource::rewind() { d->open(); }

} // namespace envelope
