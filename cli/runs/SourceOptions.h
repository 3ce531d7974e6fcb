#pragma once

#include "cli/OptionParser.h"
#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/ColumnMapping.h"

#include <QList>

#include <memory>

namespace cli {

// Where the addressees of `envelope batch` and `envelope check` come from: --csv FILE, or
// --database URL with --query SQL, and --columns; the same options and words on both.
class SourceOptions {
public:
    struct Source {
        QString csv;
        QString database;
        QString query;
        envelope::ColumnMapping columns;

        // Opens it; throws engine::EngineError naming what cannot be read.
        std::unique_ptr<envelope::AddresseeSource> open() const;
    };

    static const char helpText[];

    QList<QCommandLineOption> all() const { return {m_csv, m_database, m_query, m_columns}; }
    // Throws OptionParser::UsageError.
    Source read(const OptionParser &parser) const;

    // How a record is named in a list: "record 4 (line 5)", or "record 4" for a source without lines.
    static QString place(const envelope::AddresseeRecord &record);

private:
    QCommandLineOption m_csv = OptionParser::withValue("csv", "FILE");
    QCommandLineOption m_database = OptionParser::withValue("database", "URL");
    QCommandLineOption m_query = OptionParser::withValue("query", "SQL");
    QCommandLineOption m_columns = OptionParser::withValue("columns", "MAPPING");
};

} // namespace cli
