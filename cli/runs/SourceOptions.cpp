#include "cli/runs/SourceOptions.h"

#include "envelope_batch/CsvAddresseeSource.h"
#include "envelope_batch/DatabaseAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"

namespace cli {

const char SourceOptions::helpText[] =
    "  --csv FILE             the addressees: CSV (RFC 4180), UTF-8, a header row naming the columns\n"
    "  --database URL         or a database, opened read-only: sqlite:PATH or postgresql://user@host:port/db\n"
    "  --query SQL            the query giving the addressees (with --database)\n"
    "  --columns MAPPING      where each part of the address is, e.g. name=FullName,zip=Zip5;\n"
    "                         parts: name street1 street2 city state zip imb (default: a column of that name;\n"
    "                         street2 and imb, a whole Intelligent Mail tracking code, may be absent)\n";

using UsageError = OptionParser::UsageError;

SourceOptions::Source SourceOptions::read(const OptionParser &parser) const
{
    parser.requireValue(m_csv, "a file name");
    parser.requireValue(m_database, "a URL");
    parser.requireValue(m_query, "a query");
    Source s;
    if (parser.isSet(m_csv) == parser.isSet(m_database))
        throw UsageError{QStringLiteral("give either --csv FILE or --database URL with --query SQL")};
    if (parser.isSet(m_csv)) {
        if (parser.isSet(m_query))
            throw UsageError{QStringLiteral("--query goes with --database, not with --csv")};
        s.csv = parser.value(m_csv);
    } else {
        if (!parser.isSet(m_query))
            throw UsageError{QStringLiteral("--database needs --query SQL")};
        s.database = parser.value(m_database);
        s.query = parser.value(m_query);
    }
    if (parser.isSet(m_columns)) {
        try {
            s.columns = envelope::ColumnMapping::parse(parser.value(m_columns));
        } catch (const engine::EngineError &e) {
            throw UsageError{e.message()};
        }
    }
    return s;
}

std::unique_ptr<envelope::AddresseeSource> SourceOptions::Source::open() const
{
    if (!csv.isEmpty())
        return std::make_unique<envelope::CsvAddresseeSource>(csv, columns);
    return std::make_unique<envelope::DatabaseAddresseeSource>(database, query, columns);
}

QString SourceOptions::place(const envelope::AddresseeRecord &r)
{
    return r.line > 0 ? QStringLiteral("record %1 (line %2)").arg(r.number).arg(r.line) : QStringLiteral("record %1").arg(r.number);
}

} // namespace cli
