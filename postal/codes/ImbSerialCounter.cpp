#include "postal/codes/ImbSerialCounter.h"

#include "postal/codes/TrackingCode.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/OutputFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace postal {

using engine::EngineError;

namespace {

// The lock is held for one read and one write; longer means a program is stuck holding it.
constexpr int lockWaitMilliseconds = 10000;
constexpr int lockPollMilliseconds = 5;

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }
QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// An exclusive lock on FILE.lock for as long as it lives. The lock file itself is never
// replaced, so every program locks the same file while the serial file is renamed over.
// flock() locks belong to the open file, so two counters of one process exclude each other too.
class SerialFileLock {
public:
    explicit SerialFileLock(const QString &serialPath) : m_path(serialPath + QStringLiteral(".lock"))
    {
        const QByteArray name = QFile::encodeName(m_path);
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (m_fd < 0 && errno == EACCES) // a colleague's lock file we may not write still locks
            m_fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (m_fd < 0)
            throw engine::EngineError(QStringLiteral("Cannot lock the serial file %1: %2: %3.")
                                  .arg(shown(serialPath), shown(m_path), systemError(errno)));
        const QDeadlineTimer deadline(lockWaitMilliseconds);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err != EWOULDBLOCK && err != EINTR) {
                ::close(m_fd);
                throw engine::EngineError(QStringLiteral("Cannot lock the serial file %1: %2: %3.")
                                      .arg(shown(serialPath), shown(m_path), systemError(err)));
            }
            if (deadline.hasExpired()) {
                ::close(m_fd);
                throw engine::EngineError(QStringLiteral("The serial file %1 has been locked by another program for over %2 s (%3).")
                                      .arg(shown(serialPath))
                                      .arg(lockWaitMilliseconds / 1000)
                                      .arg(shown(m_path)));
            }
            QThread::msleep(lockPollMilliseconds);
        }
    }
    ~SerialFileLock() { ::close(m_fd); } // closing releases the lock
    SerialFileLock(const SerialFileLock &) = delete;
    SerialFileLock &operator=(const SerialFileLock &) = delete;

private:
    QString m_path;
    int m_fd = -1;
};

engine::EngineError damaged(const QString &path, const QString &reason)
{
    return engine::EngineError(QStringLiteral("The serial file %1 is damaged: %2. It is left as it is; write the next serial "
                                      "into it, above every serial printed in the last 45 days.")
                           .arg(shown(path), reason));
}

// The next serial as the file holds it; 0 when there is no file yet.
std::uint64_t readNext(const QString &path, int width)
{
    const QFileInfo info(path);
    // Renaming over a link would cut it off from the file it points to, a shared one perhaps.
    if (info.isSymLink())
        throw engine::EngineError(QStringLiteral("The serial file %1 is a symbolic link; name the file it points to instead.")
                              .arg(shown(path)));
    if (!info.exists())
        return 0;
    if (info.isDir())
        throw engine::EngineError(QStringLiteral("The serial file %1 is a folder.").arg(shown(path)));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw engine::EngineError(QStringLiteral("Cannot read the serial file %1: %2.").arg(shown(path), file.errorString()));
    QByteArray text = file.read(width + 2); // enough to tell a line that is too long
    if (file.error() != QFileDevice::NoError)
        throw engine::EngineError(QStringLiteral("Cannot read the serial file %1: %2.").arg(shown(path), file.errorString()));
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty())
        throw damaged(path, QStringLiteral("it is empty"));
    if (!std::all_of(text.cbegin(), text.cend(), isAsciiDigit))
        throw damaged(path, QStringLiteral("it holds something other than one line of digits"));
    if (text.size() > width || !file.atEnd())
        throw damaged(path, QStringLiteral("it holds more than %1 digits").arg(width));
    return text.toULongLong();
}

void writeNext(const QString &path, std::uint64_t next)
{
    engine::OutputFile out(path, engine::OutputFile::Policy::Replace);
    const QByteArray line = QByteArray::number(static_cast<qulonglong>(next)) + '\n';
    if (out.device().write(line) != line.size())
        throw engine::EngineError(QStringLiteral("Cannot write the serial file %1: %2.").arg(shown(path), out.device().errorString()));
    out.commit(); // says why when the disk is full
    // The rename must outlast a power cut too, or the serials after it would be handed out again.
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // EINVAL: a file system that cannot sync a folder, where the rename is as safe as it gets.
    const bool synced = folder >= 0 && (::fsync(folder) == 0 || errno == EINVAL);
    const int err = errno;
    if (folder >= 0)
        ::close(folder);
    if (!synced)
        throw engine::EngineError(QStringLiteral("Cannot write the serial file %1: %2.").arg(shown(path), systemError(err)));
}

} // namespace

ImbSerialCounter::ImbSerialCounter(const QString &mailerId, const QString &serialFile) : m_mailerId(mailerId)
{
    if (!TrackingCode::mailerIdProblem(mailerId).isEmpty())
        throw engine::EngineError(QStringLiteral("The Mailer ID \"%1\" is neither 6 digits not starting with 9 nor 9 digits "
                                         "starting with 9.")
                              .arg(mailerId));
    m_defaultPath = serialFile.isEmpty();
    m_path = QFileInfo(m_defaultPath ? defaultFile(mailerId) : serialFile).absoluteFilePath();
    m_width = TrackingCode::serialWidth(mailerId);
    m_limit = 1;
    for (int i = 0; i < m_width; ++i)
        m_limit *= 10;
}

QString ImbSerialCounter::defaultFile(const QString &mailerId)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/korva-envelope/imb-serial-") + mailerId;
}

QString ImbSerialCounter::serialText(std::uint64_t serial) const
{
    return QStringLiteral("%1").arg(static_cast<qulonglong>(serial), m_width, 10, QLatin1Char('0'));
}

ImbSerialCounter::Range ImbSerialCounter::reserve(std::uint64_t count)
{
    step(0, count, m_limit, m_mailerId, QString(), QString()); // refuses a bad count before the file is touched
    // Our own folder is made on first use; a configured one missing means a share is not there.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (m_defaultPath && !QDir().mkpath(folder))
        throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(shown(folder)));
    if (!QFileInfo(folder).isDir())
        throw engine::EngineError(QStringLiteral("Cannot use the serial file %1: the folder %2 does not exist.")
                              .arg(shown(m_path), shown(folder)));

    const SerialFileLock lock(m_path);
    const Step next = step(readNext(m_path, m_width), count, m_limit, m_mailerId, serialText(m_limit - 1), shown(m_path));
    writeNext(m_path, next.next);
    return next.range;
}

bool ImbSerialCounter::release(const Range &range, std::uint64_t used)
{
    checkRange(range, m_limit, m_mailerId);
    if (used >= range.count)
        return false;
    const SerialFileLock lock(m_path);
    // Only the last reservation can be taken back: serials after it may already be printed.
    if (readNext(m_path, m_width) != (range.first + range.count) % m_limit)
        return false;
    writeNext(m_path, range.first + used);
    return true;
}

} // namespace postal
