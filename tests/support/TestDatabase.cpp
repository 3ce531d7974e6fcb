#include "support/TestDatabase.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <gtest/gtest.h>

namespace testsupport {

namespace {
const QString names[] = {QStringLiteral("Orrin Vask"), QStringLiteral("Ada Quill"), QStringLiteral("Bo Tran")};
QSqlDatabase writer() { return QSqlDatabase::database(TestDatabase::writerConnection(), false); }
} // namespace

bool TestDatabase::required(Backend backend)
{
    return backend == Backend::SQLite || qEnvironmentVariable("ENVELOPE_REQUIRE_POSTGRES") == QLatin1String("1");
}

std::optional<QString> TestDatabase::unavailable(Backend backend)
{
    if (backend == Backend::PostgreSQL && qEnvironmentVariable("ENVELOPE_TEST_PG_URL").isEmpty())
        return QStringLiteral("no test server: set ENVELOPE_TEST_PG_URL (scripts/start-postgres.sh prints it)");
    return std::nullopt;
}

TestDatabase::TestDatabase(Backend backend) : m_backend(backend)
{
    // Parallel test processes share the server: every process its own table.
    m_table = QStringLiteral("addressees_%1").arg(QCoreApplication::applicationPid());
    if (backend == Backend::SQLite) {
        m_file = m_dir.filePath(QStringLiteral("court.db"));
        m_url = QStringLiteral("sqlite:") + m_file;
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), writerConnection());
        db.setDatabaseName(m_file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
    } else {
        m_url = qEnvironmentVariable("ENVELOPE_TEST_PG_URL");
        const QUrl url(m_url);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), writerConnection());
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
    }
    EXPECT_TRUE(writer().open()) << writer().lastError().text().toStdString();
    if (backend == Backend::PostgreSQL)
        write(QStringLiteral("SET client_min_messages = warning"));
    write(sql("DROP TABLE IF EXISTS %1"));
    write(sql("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(40))"));
    for (int i = 0; i < 3; ++i)
        write(QStringLiteral("INSERT INTO %1 (id, name) VALUES (%2, '%3')").arg(m_table).arg(i + 1).arg(names[i]));
}

TestDatabase::~TestDatabase()
{
    if (!QSqlDatabase::contains(writerConnection()))
        return;
    {
        QSqlDatabase db = writer();
        if (db.isOpen())
            QSqlQuery(db).exec(sql("DROP TABLE IF EXISTS %1"));
        db.close();
    }
    QSqlDatabase::removeDatabase(writerConnection());
}

QString TestDatabase::sql(const char *pattern) const { return QString::fromUtf8(pattern).replace(QStringLiteral("%1"), m_table); }

bool TestDatabase::write(const QString &statement)
{
    QSqlQuery q(writer());
    const bool ok = q.exec(statement);
    EXPECT_TRUE(ok || !q.lastError().isValid()) << statement.toStdString() << ": " << q.lastError().text().toStdString();
    return ok;
}

int TestDatabase::rowCount()
{
    QSqlQuery q(writer());
    if (!q.exec(sql("SELECT count(*) FROM %1")) || !q.next())
        return -1;
    return q.value(0).toInt();
}

} // namespace testsupport
