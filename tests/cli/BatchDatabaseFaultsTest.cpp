// `envelope batch` reading from a database that fails, run as a user runs it:
// a SQLite file missing, unreadable, locked by a writer or not a database, and a
// PostgreSQL server stopped while the batch reads its records. Each ends with
// one clear message and exit status 1; the output the user had is kept as it
// was, nothing else is left in the folder, and the database file is untouched.
#include "support/EnvelopeProcess.h"
#include "support/EnvelopeSandbox.h"
#include "support/PrivatePostgresServer.h"
#include "support/QtPrinting.h"
#include "support/TestDatabase.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <ostream>
#include <string>

namespace {

using testsupport::EnvelopeProcess;
using testsupport::EnvelopeRun;
using testsupport::entriesOf;
using ::testing::HasSubstr;

const QByteArray oldOutput = "the envelopes printed yesterday";
const QString addresseeQuery = QStringLiteral("SELECT name, street1, city, state, zip FROM addressee ORDER BY name");

class BatchDatabaseFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox.isValid());
        QFile old(path("work") + QStringLiteral("/out.pdf"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(oldOutput);
    }

    QString path(const char *name) const { return sandbox.path(name); }

    static QStringList batch(const QString &url, const QString &query)
    {
        return {QStringLiteral("batch"), QStringLiteral("--database"), url, QStringLiteral("--query"), query,
                QStringLiteral("--pdf"), QStringLiteral("out.pdf")};
    }

    // One message, status 1, and the folders as they were.
    void expectFailedLeavingAllAsItWas(const EnvelopeRun &run, const std::string &message) const
    {
        ASSERT_TRUE(run.finished) << "still running after the timeout";
        EXPECT_FALSE(run.crashed) << qPrintable(run.stdErr);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(run.stdErr);
        EXPECT_THAT(run.stdErr.toStdString(), HasSubstr("envelope: error: " + message));
        EXPECT_THAT(run.stdErr.toStdString(), HasSubstr("nothing was printed or saved"));
        EXPECT_EQ(entriesOf(path("work")), QStringList{QStringLiteral("out.pdf")});
        EXPECT_THAT(entriesOf(path("spool")), ::testing::IsEmpty());
        QFile old(path("work") + QStringLiteral("/out.pdf"));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), oldOutput);
    }

    testsupport::EnvelopeSandbox sandbox;
};

// A database of two addressees, made through a connection of the test's own.
void makeAddresseeFile(const QString &file)
{
    const QString name = QStringLiteral("fault-writer");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        for (const char *sql : {"CREATE TABLE addressee (name TEXT, street1 TEXT, city TEXT, state TEXT, zip TEXT)",
                                "INSERT INTO addressee VALUES ('Ann Lee', '9 Elm St.', 'Salem', 'OR', '97301')",
                                "INSERT INTO addressee VALUES ('Bo Park', '1 Old Rd.', 'Boston', 'MA', '02134')"})
            ASSERT_TRUE(q.exec(QLatin1String(sql))) << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

QByteArray digestOf(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

enum class SqliteFault { Missing, Unreadable, LockedByAWriter, NotADatabase };

struct SqliteRow {
    const char *name;
    SqliteFault fault;
    const char *message; // after "envelope: error: "; DB stands for the database file
};

void PrintTo(const SqliteRow &row, std::ostream *os) { *os << row.name; }

class SqliteFaults : public BatchDatabaseFaults, public ::testing::WithParamInterface<SqliteRow> {};

TEST_P(SqliteFaults, FailClearlyAndChangeNothing)
{
    const SqliteRow &row = GetParam();
    const QString file = path("work") + QStringLiteral("/../addressees.db");
    const QString db = QDir::cleanPath(file);
    bool unprivileged = false;
    QSqlDatabase lockHolder;
    const QString lockName = QStringLiteral("fault-lock");

    switch (row.fault) {
    case SqliteFault::Missing:
        break;
    case SqliteFault::Unreadable:
        if (const QString why = testsupport::whyNoUnprivilegedRun(); !why.isEmpty())
            GTEST_SKIP() << qPrintable(why);
        makeAddresseeFile(db);
        ASSERT_TRUE(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        unprivileged = true;
        break;
    case SqliteFault::LockedByAWriter:
        makeAddresseeFile(db);
        break;
    case SqliteFault::NotADatabase: {
        QFile garbage(db);
        ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(4096, '\x5a'));
        break;
    }
    }
    // Read before the lock is taken: closing any file of the database would drop this process's locks on it.
    const QByteArray before = digestOf(db);
    if (row.fault == SqliteFault::LockedByAWriter) {
        // A writer in the middle of a transaction that keeps every reader out.
        lockHolder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), lockName);
        lockHolder.setDatabaseName(db);
        ASSERT_TRUE(lockHolder.open());
        QSqlQuery q(lockHolder);
        ASSERT_TRUE(q.exec(QStringLiteral("BEGIN EXCLUSIVE"))) << q.lastError().text().toStdString();
        ASSERT_TRUE(q.exec(QStringLiteral("UPDATE addressee SET city = 'Portland'")));
    }

    const EnvelopeRun run = sandbox.envelope({}, unprivileged).run(batch(QStringLiteral("sqlite:") + db, addresseeQuery));

    expectFailedLeavingAllAsItWas(run, QString::fromUtf8(row.message).replace(QStringLiteral("DB"), db).toStdString());
    if (lockHolder.isValid()) {
        QSqlQuery(lockHolder).exec(QStringLiteral("ROLLBACK"));
        lockHolder.close();
        lockHolder = QSqlDatabase();
        QSqlDatabase::removeDatabase(lockName);
    }
    EXPECT_EQ(digestOf(db), before) << "the database file was changed";
    EXPECT_EQ(QFile::exists(db), row.fault != SqliteFault::Missing) << "a missing database must not be made";
}

INSTANTIATE_TEST_SUITE_P(
    Table, SqliteFaults,
    ::testing::Values(
        SqliteRow{"Missing", SqliteFault::Missing, "cannot open the database \"sqlite:DB\": the file \"DB\" does not exist"},
        SqliteRow{"Unreadable", SqliteFault::Unreadable, "cannot open the database \"sqlite:DB\": unable to open database file"},
        SqliteRow{"LockedByAWriter", SqliteFault::LockedByAWriter, "cannot open the database \"sqlite:DB\": database is locked"},
        SqliteRow{"NotADatabase", SqliteFault::NotADatabase, "cannot open the database \"sqlite:DB\": file is not a database"}),
    [](const auto &row) { return std::string(row.param.name); });

// The server is stopped by its administrator while the batch reads: the rows
// come one at a time, slowly, so the batch is surely in the middle of them.
TEST_F(BatchDatabaseFaults, PostgresServerStoppedDuringTheBatch)
{
    if (const auto why = testsupport::PrivatePostgresServer::unavailable()) {
        if (testsupport::TestDatabase::required(testsupport::TestDatabase::Backend::PostgreSQL))
            FAIL() << qPrintable(*why);
        GTEST_SKIP() << qPrintable(*why);
    }
    testsupport::PrivatePostgresServer server;
    ASSERT_TRUE(server.started());
    const QString slow = QStringLiteral("SELECT 'Ann Lee' AS name, n || ' Elm St.' AS street1, 'Salem' AS city, 'OR' AS state, "
                                        "'97301' AS zip, pg_sleep(0.005) AS pause FROM generate_series(1, 4000) AS n");

    const EnvelopeProcess program = sandbox.envelope();
    auto running = std::async(std::launch::async, [&] { return program.run(batch(server.url(), slow), 60000); });
    // Wait until the query runs on the server, then a little longer for pages to be made.
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()
           && server.scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'envelope' AND state = 'active'"))
                  != QLatin1String("1"))
        QThread::msleep(50);
    ASSERT_FALSE(deadline.hasExpired()) << "the batch never reached the server";
    QThread::msleep(500);
    ASSERT_TRUE(server.stop());

    const EnvelopeRun run = running.get();
    expectFailedLeavingAllAsItWas(run, "reading the records of the query \"" + slow.toStdString() + "\" failed: ");
    EXPECT_THAT(run.stdErr.toStdString(), HasSubstr("terminating connection due to administrator command"));

    // With the server gone, the next batch is refused at once, naming the database.
    const EnvelopeRun again = program.run(batch(server.url(), slow), 60000);
    expectFailedLeavingAllAsItWas(again, "cannot open the database \"" + server.url().toStdString() + "\": ");
}

} // namespace
