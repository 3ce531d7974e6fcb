#pragma once

#include "reporting_engine/EngineExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

namespace engine {

// One read-only query over a Qt SQL connection, read forward only.
//
// The record source never writes: on SQLite its statement runs with writes
// switched off (PRAGMA query_only) even on a connection the host opened for
// writing; on PostgreSQL it runs only on a connection whose transactions are
// read-only (DatabaseConnection opens such connections), and only one statement
// per query text, so the text cannot switch its own transaction to read-write.
class ENGINE_EXPORT RecordSource {
public:
    // Nothing is opened yet.
    RecordSource();
    // Closes the query if it is still open.
    ~RecordSource();
    RecordSource(const RecordSource &) = delete;
    RecordSource &operator=(const RecordSource &) = delete;

    // Runs the query on the named connection, or on the application's default
    // QSqlDatabase connection when the name is empty. A query already open here
    // is closed first. Throws EngineError, naming the query, when no such
    // connection is open, when the database rejects the query or the server is
    // lost, when the text holds more than one statement, or when the statement
    // returns no records at all (it was not a query).
    void open(const QString &sql, const QString &connectionName = QString());

    // True exactly when the opened query found no record; reading records with
    // next() does not change it. Throws EngineError when nothing is open.
    bool endOfData() const;

    // Ends the query and releases its statement. Safe to call at any time.
    void close();
    bool isOpen() const;

    // Reading the records, forward only: after open the source stands before
    // the first record; each next() moves to the following one and returns false
    // once there is none. Throws EngineError when nothing is open or the
    // database fails while delivering records.
    bool next();
    // The named column of the current record; throws EngineError when there is
    // no current record or no such column.
    QVariant value(const QString &column) const;
    // The query's column names, also when it found no record.
    QStringList columns() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
