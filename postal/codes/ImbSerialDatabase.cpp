#include "postal/codes/ImbSerialDatabase.h"

#include "postal/codes/TrackingCode.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/DatabaseConnection.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <optional>

namespace postal {
namespace {

// The advisory locks of our counters: this key and the Mailer ID (below 2^31).
constexpr int lockKey = 0x4b4f5256; // "KORV"

std::atomic<int> connections{0};

} // namespace

ImbSerialDatabase::ImbSerialDatabase(const QString &mailerId, const QString &url, const QString &applicationName)
    : m_mailerId(mailerId), m_url(url)
{
    if (!TrackingCode::mailerIdProblem(mailerId).isEmpty())
        throw engine::EngineError(QStringLiteral("The Mailer ID \"%1\" is neither 6 digits not starting with 9 nor 9 digits "
                                                 "starting with 9.")
                                      .arg(mailerId));
    m_width = TrackingCode::serialWidth(mailerId);
    m_limit = 1;
    for (int i = 0; i < m_width; ++i)
        m_limit *= 10;
    m_connection = QStringLiteral("imb-serials-%1").arg(++connections);
    engine::DatabaseConnection::openForWriting(url, applicationName, m_connection);
}

ImbSerialDatabase::~ImbSerialDatabase() { engine::DatabaseConnection::close(m_connection); }

QString ImbSerialDatabase::sequenceName(const QString &mailerId) { return QStringLiteral("korva_imb_serial_") + mailerId; }

QString ImbSerialDatabase::serialText(std::uint64_t serial) const
{
    return QStringLiteral("%1").arg(static_cast<qulonglong>(serial), m_width, 10, QLatin1Char('0'));
}

template<typename Change>
void ImbSerialDatabase::locked(const Change &change)
{
    QSqlDatabase db = QSqlDatabase::database(engine::DatabaseConnection::connectionKey(m_connection));
    const QString where = QUrl(m_url).toDisplayString(QUrl::RemovePassword);
    const auto fail = [&](const QSqlError &error) {
        db.rollback();
        return engine::EngineError(QStringLiteral("Cannot count the Intelligent Mail serials of Mailer ID %1 in %2: %3.")
                                       .arg(m_mailerId, where, engine::DatabaseConnection::errorText(error)));
    };
    if (!db.transaction())
        throw fail(db.lastError());
    QSqlQuery q(db);
    const QString sequence = sequenceName(m_mailerId); // digits only: safe in the statement
    const auto exec = [&](const QString &sql) {
        if (!q.exec(sql))
            throw fail(q.lastError());
    };
    exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1, %2)").arg(lockKey).arg(m_mailerId.toInt() & 0x7fffffff));
    // The sequence holds the last serial handed out; a new one has handed out none.
    exec(QStringLiteral("CREATE SEQUENCE IF NOT EXISTS %1 MINVALUE 0 MAXVALUE %2 START WITH 0")
             .arg(sequence)
             .arg(static_cast<qulonglong>(m_limit - 1)));
    exec(QStringLiteral("SELECT last_value, is_called FROM %1").arg(sequence));
    if (!q.next())
        throw fail(q.lastError());
    const std::uint64_t last = q.value(0).toULongLong();
    const std::uint64_t next = q.value(1).toBool() ? (last + 1) % m_limit : last;
    if (const std::optional<std::uint64_t> set = change(next)) {
        // setval(s, v, false): the next serial is v.
        exec(QStringLiteral("SELECT setval('%1', %2, false)").arg(sequence).arg(static_cast<qulonglong>(*set)));
    }
    if (!db.commit())
        throw fail(db.lastError());
}

ImbSerialDatabase::Range ImbSerialDatabase::reserve(std::uint64_t count)
{
    step(0, count, m_limit, m_mailerId, QString(), QString()); // refuses a bad count before the database is asked
    Range range;
    locked([&](std::uint64_t next) -> std::optional<std::uint64_t> {
        const Step s = step(next, count, m_limit, m_mailerId, serialText(m_limit - 1),
                            QStringLiteral("sequence %1").arg(sequenceName(m_mailerId)));
        range = s.range;
        return s.next;
    });
    return range;
}

bool ImbSerialDatabase::release(const Range &range, std::uint64_t used)
{
    checkRange(range, m_limit, m_mailerId);
    if (used >= range.count)
        return false;
    bool released = false;
    // Only the last reservation can be taken back: serials after it may already be printed.
    locked([&](std::uint64_t next) -> std::optional<std::uint64_t> {
        if (next != (range.first + range.count) % m_limit)
            return std::nullopt;
        released = true;
        return range.first + used;
    });
    return released;
}

} // namespace postal
