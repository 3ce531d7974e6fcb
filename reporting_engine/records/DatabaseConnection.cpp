#include "reporting_engine/records/DatabaseConnection.h"

#include "reporting_engine/base/EngineError.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

#include <functional>
#include <optional>

namespace engine {
namespace {

// A server that does not accept the connection by then is treated as down.
constexpr int connectTimeoutSeconds = 10;

// A libpq connection value inside single quotes.
QString quoted(QString value) { return value.replace(u'\\', QLatin1String("\\\\")).replace(u'\'', QLatin1String("\\'")); }

QString urlForMessages(const QString &url)
{
    const QUrl parsed(url);
    if (parsed.isValid() && !parsed.password().isEmpty())
        return parsed.toDisplayString(QUrl::RemovePassword);
    return url;
}

[[noreturn]] void badUrl(const QString &url, const QString &why)
{
    throw EngineError(QStringLiteral("\"%1\" is not a database URL (%2): use sqlite:PATH or "
                                     "postgresql://user@host:port/database")
                          .arg(urlForMessages(url), why));
}

// Opens the registered connection or unregisters it again, so a failed open
// leaves no half-made connection behind.
void openOrForget(const QString &key, const QString &url, const std::function<void(QSqlDatabase &)> &afterOpen)
{
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::database(key, false);
        if (!db.open()) {
            failure = DatabaseConnection::errorText(db.lastError());
        } else {
            try {
                afterOpen(db);
            } catch (const EngineError &e) {
                failure = e.message();
            }
        }
        if (failure)
            db.close();
    }
    if (failure) {
        QSqlDatabase::removeDatabase(key);
        throw EngineError(QStringLiteral("cannot open the database \"%1\": %2").arg(urlForMessages(url), *failure));
    }
}

void execOrThrow(QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        throw EngineError(DatabaseConnection::errorText(query.lastError()));
}

void openSqlite(const QString &url, const QString &key)
{
    const QString path = url.mid(7);
    if (path.isEmpty())
        badUrl(url, QStringLiteral("no file named"));
    const QFileInfo file(path);
    if (!file.exists())
        throw EngineError(QStringLiteral("cannot open the database \"%1\": the file \"%2\" does not exist").arg(url, path));
    if (!file.isFile())
        throw EngineError(QStringLiteral("cannot open the database \"%1\": \"%2\" is not a file").arg(url, path));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), key);
        db.setDatabaseName(path);
        // Read-only also keeps SQLite from creating a file that went missing meanwhile.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    }
    // SQLite opens lazily: reading the schema shows a file that is no database now.
    openOrForget(key, url, [](QSqlDatabase &db) { execOrThrow(db, QStringLiteral("SELECT count(*) FROM sqlite_master")); });
}

// libpq's settings for the session: any the URL gives as ?key=value, then ours, which win.
QString postgresOptions(const QUrl &parsed, const QString &applicationName, bool readOnly)
{
    QStringList options;
    for (const auto &[name, value] : QUrlQuery(parsed).queryItems(QUrl::FullyDecoded))
        options << QStringLiteral("%1='%2'").arg(name, quoted(value));
    options << QStringLiteral("connect_timeout=%1").arg(connectTimeoutSeconds)
            << QStringLiteral("application_name='%1'").arg(quoted(applicationName));
    // Read-only from the session's first transaction on.
    if (readOnly)
        options << QStringLiteral("options='-c default_transaction_read_only=on'");
    return options.join(u';');
}

void openPostgres(const QString &url, const QString &applicationName, const QString &key, bool readOnly)
{
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres")))
        badUrl(url, QStringLiteral("unknown form"));
    const QString database = parsed.path().mid(1);
    if (!parsed.path().startsWith(u'/') || database.isEmpty() || database.contains(u'/'))
        badUrl(url, QStringLiteral("no database named"));
    if (parsed.port() == 0 || (!parsed.authority().isEmpty() && parsed.authority().endsWith(u':')))
        badUrl(url, QStringLiteral("bad port"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), key);
        if (!db.isValid()) {
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(key);
            throw EngineError(QStringLiteral("cannot open the database \"%1\": Qt's PostgreSQL driver is missing (libqt6sql6-psql)")
                                  .arg(urlForMessages(url)));
        }
        db.setDatabaseName(database);
        if (!parsed.host().isEmpty())
            db.setHostName(parsed.host());
        if (parsed.port() > 0)
            db.setPort(parsed.port());
        if (!parsed.userName().isEmpty())
            db.setUserName(parsed.userName());
        if (!parsed.password().isEmpty())
            db.setPassword(parsed.password());
        db.setConnectOptions(postgresOptions(parsed, applicationName, readOnly));
    }
    // Again as a statement: a pooler may drop startup options.
    openOrForget(key, url, [readOnly](QSqlDatabase &db) {
        execOrThrow(db, readOnly ? QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY") : QStringLiteral("SELECT 1"));
    });
}

} // namespace

QString DatabaseConnection::connectionKey(const QString &connectionName)
{
    return connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection) : connectionName;
}

QString DatabaseConnection::errorText(const QSqlError &error)
{
    // One line: PostgreSQL ends its text with a newline and Qt adds the error code after it.
    const QString own = error.databaseText().simplified();
    if (!own.isEmpty() && own != QLatin1String("not an error"))
        return own;
    const QString driver = error.driverText().simplified();
    return driver.isEmpty() ? QStringLiteral("unknown error") : driver;
}

void DatabaseConnection::open(const QString &url, const QString &applicationName, const QString &connectionName)
{
    const QString key = connectionKey(connectionName);
    close(connectionName);
    if (url.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        openSqlite(url, key);
    else
        openPostgres(url, applicationName, key, true);
}

void DatabaseConnection::openForWriting(const QString &url, const QString &applicationName, const QString &connectionName)
{
    const QString key = connectionKey(connectionName);
    close(connectionName);
    if (url.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive))
        badUrl(url, QStringLiteral("not a PostgreSQL database"));
    openPostgres(url, applicationName, key, false);
}

void DatabaseConnection::close(const QString &connectionName)
{
    const QString key = connectionKey(connectionName);
    if (!QSqlDatabase::contains(key))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(key, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(key);
}

} // namespace engine
