#pragma once

#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <ostream>
#include <string>

namespace testsupport {

// A table of three addressees in a real database, written through a read-write
// connection of the test's own: a SQLite file, or the PostgreSQL server named by
// ENVELOPE_TEST_PG_URL (scripts/start-postgres.sh). The code under test reaches it
// through the URL, opened read-only.
class TestDatabase {
public:
    enum class Backend { SQLite, PostgreSQL };

    // Why the backend can't be used here, or nothing when it can. Without a test
    // server PostgreSQL is unavailable, which is a failure when ENVELOPE_REQUIRE_POSTGRES=1.
    static std::optional<QString> unavailable(Backend backend);
    static bool required(Backend backend);
    static std::string name(Backend backend) { return backend == Backend::SQLite ? "SQLite" : "PostgreSQL"; }

    explicit TestDatabase(Backend backend); // the backend must be available
    ~TestDatabase();
    TestDatabase(const TestDatabase &) = delete;
    TestDatabase &operator=(const TestDatabase &) = delete;

    Backend backend() const { return m_backend; }
    const QString &url() const { return m_url; }
    const QString &table() const { return m_table; }
    const QString &sqliteFile() const { return m_file; }
    // pattern with %1 standing for the table
    QString sql(const char *pattern) const;

    bool write(const QString &sql); // through the writer connection
    int rowCount();

    // The name of the test's read-write connection.
    static QString writerConnection() { return QStringLiteral("writer"); }

private:
    Backend m_backend;
    QTemporaryDir m_dir;
    QString m_url;
    QString m_table;
    QString m_file;
};

// Test names and failures show the backend by name.
inline void PrintTo(TestDatabase::Backend backend, std::ostream *os) { *os << TestDatabase::name(backend); }

} // namespace testsupport
