#pragma once

#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace testsupport {

// A PostgreSQL server of one test's own, in a temporary folder on a free port
// of 127.0.0.1, so the test may stop it without disturbing the shared test
// server other tests use at the same time. Runs as Debian's postgres user,
// which needs root and the postgresql package.
class PrivatePostgresServer {
public:
    // Why no server can be made here, or nothing when one can.
    static std::optional<QString> unavailable();

    // Starts the server; a failure is a test failure (see started()).
    PrivatePostgresServer();
    // Stops the server at once if it still runs.
    ~PrivatePostgresServer();
    PrivatePostgresServer(const PrivatePostgresServer &) = delete;
    PrivatePostgresServer &operator=(const PrivatePostgresServer &) = delete;

    bool started() const { return m_running; }
    // Its database "postgres", as the superuser, no password.
    QString url() const;
    // The first row's first value of a query, through psql; empty on failure.
    QString scalar(const QString &sql) const;
    // A fast shutdown, as an administrator stops a server: sessions are ended.
    bool stop();

private:
    bool pgCtl(const QStringList &arguments) const;

    QTemporaryDir m_dir;
    QString m_bin;
    int m_port = 0;
    bool m_running = false;
};

} // namespace testsupport
