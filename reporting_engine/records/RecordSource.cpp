#include "reporting_engine/records/RecordSource.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/DatabaseConnection.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <optional>
#include <utility>

namespace engine {
namespace {

QString describeConnection(const QString &connectionName)
{
    return connectionName.isEmpty() ? QStringLiteral("the default database connection")
                                    : QStringLiteral("database connection \"%1\"").arg(connectionName);
}

QString describeDatabase(const QSqlDatabase &db)
{
    if (db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL) {
        const QString host = db.hostName().isEmpty() ? QStringLiteral("the local socket") : db.hostName();
        const QString port = db.port() > 0 ? QStringLiteral(":%1").arg(db.port()) : QString();
        return QStringLiteral("PostgreSQL database \"%1\" on %2%3").arg(db.databaseName(), host, port);
    }
    if (db.driver() && db.driver()->dbmsType() == QSqlDriver::SQLite)
        return QStringLiteral("SQLite database \"%1\"").arg(db.databaseName());
    return QStringLiteral("%1 database \"%2\"").arg(db.driverName(), db.databaseName());
}

bool isPostgres(const QSqlDatabase &db)
{
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

bool isSqlite(const QSqlDatabase &db)
{
    return db.driver() && db.driver()->dbmsType() == QSqlDriver::SQLite;
}

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Where a /* comment */ that starts at i ends; they nest, as PostgreSQL's do.
qsizetype afterBlockComment(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    int depth = 1;
    i += 2;
    while (i < n && depth > 0) {
        if (sql.at(i) == u'/' && i + 1 < n && sql.at(i + 1) == u'*') {
            ++depth;
            i += 2;
        } else if (sql.at(i) == u'*' && i + 1 < n && sql.at(i + 1) == u'/') {
            --depth;
            i += 2;
        } else {
            ++i;
        }
    }
    return i;
}

// Where the quoted string or name that starts at i ends.
qsizetype afterQuoted(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    const QChar quote = sql.at(i);
    // E'...' strings take backslash escapes; '' and "" stand for the quote itself.
    const bool backslashes = quote == u'\'' && i > 0 && (sql.at(i - 1) == u'E' || sql.at(i - 1) == u'e')
        && (i < 2 || !isIdentifierChar(sql.at(i - 2)));
    ++i;
    while (i < n) {
        if (backslashes && sql.at(i) == u'\\') {
            i += 2;
            continue;
        }
        if (sql.at(i) == quote) {
            if (i + 1 < n && sql.at(i + 1) == quote) {
                i += 2;
                continue;
            }
            break;
        }
        ++i;
    }
    return i + 1;
}

// Where the $tag$ ... $tag$ string that starts at i ends (the tag empty or an
// identifier); nothing when the '$' starts none ("$1" is a parameter).
std::optional<qsizetype> afterDollarQuoted(const QString &sql, qsizetype i)
{
    const qsizetype n = sql.size();
    if (i > 0 && isIdentifierChar(sql.at(i - 1)))
        return std::nullopt;
    qsizetype j = i + 1;
    while (j < n && sql.at(j) != u'$' && (sql.at(j).isLetterOrNumber() || sql.at(j) == u'_'))
        ++j;
    if (j >= n || sql.at(j) != u'$' || (j > i + 1 && sql.at(i + 1).isDigit()))
        return std::nullopt;
    const QString tag = sql.mid(i, j - i + 1);
    const qsizetype close = sql.indexOf(tag, j + 1);
    return close < 0 ? n : close + tag.size();
}

// PostgreSQL runs every statement of a simple query, and a later statement may
// undo the read-only mode of the first ("SET TRANSACTION READ WRITE; DELETE ...").
// So a text with a second statement is refused. This follows PostgreSQL's
// lexical rules for quotes, dollar quotes and comments.
bool holdsSeveralStatements(const QString &sql)
{
    const qsizetype n = sql.size();
    bool ended = false; // a ';' outside quotes has been seen
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const QChar nextChar = i + 1 < n ? sql.at(i + 1) : QChar();
        if (c == u'-' && nextChar == u'-') {
            while (i < n && sql.at(i) != u'\n')
                ++i;
        } else if (c == u'/' && nextChar == u'*') {
            i = afterBlockComment(sql, i);
        } else if (c.isSpace()) {
            ++i;
        } else if (c == u';') {
            ended = true;
            ++i;
        } else if (ended) {
            return true;
        } else if (c == u'\'' || c == u'"') {
            i = afterQuoted(sql, i);
        } else if (c == u'$') {
            i = afterDollarQuoted(sql, i).value_or(i + 1);
        } else {
            ++i;
        }
    }
    return false;
}

} // namespace

struct RecordSource::Private {
    enum class Position { BeforeFirst, OnRecord, AfterLast };

    std::optional<QSqlQuery> query;
    QString sql;
    bool found = false;
    Position position = Position::BeforeFirst;

    [[noreturn]] void fail(const QString &what, const QSqlDatabase &db, const QString &message)
    {
        throw EngineError(QStringLiteral("the query \"%1\" %2 on the %3: %4").arg(sql, what, describeDatabase(db), message));
    }

    void requireOpen() const
    {
        if (!query)
            throw EngineError(QStringLiteral("the record source is not open"));
    }

    // PostgreSQL: refuses a connection on which this statement could write.
    void requireReadOnlyTransaction(QSqlDatabase &db)
    {
        QSqlQuery check(db);
        check.setForwardOnly(true);
        if (!check.exec(QStringLiteral("SHOW transaction_read_only")) || !check.next())
            fail(QStringLiteral("could not run"), db, DatabaseConnection::errorText(check.lastError()));
        if (check.value(0).toString() != QLatin1String("on"))
            fail(QStringLiteral("was refused"), db,
                 QStringLiteral("the connection is not read-only, and the record source only reads "
                                "(open it with DatabaseConnection)"));
    }

    // SQLite: the previous query_only setting, so the host's connection gets it back.
    bool sqliteQueryOnly(QSqlDatabase &db)
    {
        QSqlQuery pragma(db);
        if (!pragma.exec(QStringLiteral("PRAGMA query_only")) || !pragma.next())
            fail(QStringLiteral("could not run"), db, DatabaseConnection::errorText(pragma.lastError()));
        return pragma.value(0).toInt() != 0;
    }

    void setSqliteQueryOnly(QSqlDatabase &db, bool on)
    {
        QSqlQuery pragma(db);
        if (!pragma.exec(on ? QStringLiteral("PRAGMA query_only = ON") : QStringLiteral("PRAGMA query_only = OFF")))
            fail(QStringLiteral("could not run"), db, DatabaseConnection::errorText(pragma.lastError()));
    }

    void run(QSqlDatabase &db)
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            fail(QStringLiteral("failed"), db, DatabaseConnection::errorText(q.lastError()));
        if (!q.isSelect())
            fail(QStringLiteral("was refused"), db, QStringLiteral("it is not a query and returns no records"));
        // The first record is fetched now so end of data is known also where the
        // driver cannot count the records (SQLite); next() hands it out later.
        found = q.next();
        if (!found && q.lastError().isValid())
            fail(QStringLiteral("failed"), db, DatabaseConnection::errorText(q.lastError()));
        position = Position::BeforeFirst;
        query.emplace(std::move(q));
    }
};

RecordSource::RecordSource() : d(std::make_unique<Private>()) {}

RecordSource::~RecordSource()
{
    close();
}

void RecordSource::open(const QString &sql, const QString &connectionName)
{
    close();
    d->sql = sql;
    const QString key = DatabaseConnection::connectionKey(connectionName);
    QSqlDatabase db = QSqlDatabase::contains(key) ? QSqlDatabase::database(key, false) : QSqlDatabase();
    if (!db.isValid() || !db.isOpen())
        throw EngineError(QStringLiteral("no database connection is open (%1) for the query \"%2\"")
                              .arg(describeConnection(connectionName), sql));

    if (isPostgres(db)) {
        if (holdsSeveralStatements(sql))
            d->fail(QStringLiteral("was refused"), db,
                    QStringLiteral("it holds more than one statement, and the record source runs one query"));
        d->requireReadOnlyTransaction(db);
        d->run(db);
    } else if (isSqlite(db)) {
        // SQLite checks query_only when a statement starts writing, which for a
        // write happens in the first step, inside exec; restored right after.
        const bool wasQueryOnly = d->sqliteQueryOnly(db);
        if (!wasQueryOnly)
            d->setSqliteQueryOnly(db, true);
        try {
            d->run(db);
        } catch (...) {
            if (!wasQueryOnly)
                d->setSqliteQueryOnly(db, false);
            throw;
        }
        if (!wasQueryOnly)
            d->setSqliteQueryOnly(db, false);
    } else {
        d->fail(QStringLiteral("was refused"), db,
                QStringLiteral("the record source reads only SQLite and PostgreSQL databases"));
    }
}

bool RecordSource::endOfData() const
{
    d->requireOpen();
    return !d->found;
}

void RecordSource::close()
{
    if (!d->query)
        return;
    d->query->finish();
    d->query.reset();
    d->found = false;
    d->position = Private::Position::BeforeFirst;
}

bool RecordSource::isOpen() const
{
    return d->query.has_value();
}

bool RecordSource::next()
{
    d->requireOpen();
    switch (d->position) {
    case Private::Position::BeforeFirst:
        d->position = d->found ? Private::Position::OnRecord : Private::Position::AfterLast;
        break;
    case Private::Position::OnRecord:
        if (!d->query->next()) {
            d->position = Private::Position::AfterLast;
            if (d->query->lastError().isValid())
                throw EngineError(QStringLiteral("reading the records of the query \"%1\" failed: %2")
                                      .arg(d->sql, DatabaseConnection::errorText(d->query->lastError())));
        }
        break;
    case Private::Position::AfterLast:
        break;
    }
    return d->position == Private::Position::OnRecord;
}

QVariant RecordSource::value(const QString &column) const
{
    d->requireOpen();
    if (d->position != Private::Position::OnRecord)
        throw EngineError(QStringLiteral("the query \"%1\" has no current record to read \"%2\" from").arg(d->sql, column));
    const int index = d->query->record().indexOf(column);
    if (index < 0)
        throw EngineError(QStringLiteral("the query \"%1\" has no column \"%2\"").arg(d->sql, column));
    return d->query->value(index);
}

QStringList RecordSource::columns() const
{
    d->requireOpen();
    const QSqlRecord record = d->query->record();
    QStringList names;
    names.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        names << record.fieldName(i);
    return names;
}

} // namespace engine
