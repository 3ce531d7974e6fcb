#pragma once

#include "reporting_engine/EngineExport.h"

#include <QString>

class QSqlError;

namespace engine {

// Opens Qt SQL connections for record sources, read-only, from a URL:
//   sqlite:PATH                          an existing SQLite file (never created)
//   postgresql://user@host:port/database the password, if any, comes from
//                                        PGPASSWORD or ~/.pgpass as libpq finds it
class ENGINE_EXPORT DatabaseConnection {
public:
    // Opens the application's default connection, or the named one, replacing a
    // connection of that name. applicationName is the name the session shows the
    // server (PostgreSQL's application_name). Throws EngineError naming the URL
    // (never its password) when the URL is not one of the forms above or the
    // database cannot be opened; nothing stays registered then.
    static void open(const QString &url, const QString &applicationName, const QString &connectionName = QString());
    // The same for a PostgreSQL database the caller writes to (a counter shared by
    // an office's machines): the session is not made read-only.
    static void openForWriting(const QString &url, const QString &applicationName, const QString &connectionName);
    // Closes and forgets the default or named connection; nothing happens when
    // none is open.
    static void close(const QString &connectionName = QString());

    // The key Qt registers the default or named connection under.
    static QString connectionKey(const QString &connectionName);
    // A database error in one line: the database's own words first; Qt's driver
    // text when the database said nothing, or only SQLite's "not an error" for a
    // fault Qt found itself (such as a second statement).
    static QString errorText(const QSqlError &error);
};

} // namespace engine
