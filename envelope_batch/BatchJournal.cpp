#include "envelope_batch/BatchJournal.h"

#include "envelope_batch/AddresseeValidator.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace envelope {
namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

QByteArray csvField(const QString &value)
{
    QByteArray out = value.toUtf8();
    if (out.contains(',') || out.contains('"') || out.contains('\n') || out.contains('\r')) {
        out.replace("\"", "\"\"");
        out = '"' + out + '"';
    }
    return out;
}

// The fields that never change, from envelope to barcode.
QByteArray fixedFields(const JournalEntry &e)
{
    QByteArray row = QByteArray::number(e.envelope) + ',' + QByteArray::number(e.record) + ',' + csvField(e.name);
    for (int i = 0; i < AddresseeValidator::addressBoxLines; ++i)
        row += ',' + csvField(e.lines.value(i));
    return row + ',' + csvField(e.zip) + ',' + csvField(e.barcode);
}

struct Row {
    QByteArray fixed;
    QString queue;
    int job = 0;
    JournalEntry::State state = JournalEntry::State::NotSent;
};

} // namespace

const QStringList &BatchJournal::columns()
{
    static const QStringList all{QStringLiteral("envelope"), QStringLiteral("record"), QStringLiteral("name"),
                                 QStringLiteral("line1"), QStringLiteral("line2"), QStringLiteral("line3"),
                                 QStringLiteral("line4"), QStringLiteral("zip"), QStringLiteral("barcode"),
                                 QStringLiteral("queue"), QStringLiteral("job"), QStringLiteral("state"),
                                 QStringLiteral("reprint-of")};
    return all;
}

QString BatchJournal::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::home().filePath(QStringLiteral(".local/state"));
    return QDir(state).filePath(QStringLiteral("korva-envelope/journal"));
}

QStringList BatchJournal::prune(int days)
{
    const QDir folder(defaultFolder());
    static const QRegularExpression runName(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}T\\d{2}-\\d{2}-\\d{2}(-\\d+)?\\.csv$"));
    const QDateTime before = QDateTime::currentDateTime().addDays(-days);
    QStringList removed;
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (!runName.match(file.fileName()).hasMatch() || file.isSymLink() || file.lastModified() >= before)
            continue;
        if (!QFile::remove(file.filePath()))
            throw engine::EngineError(QStringLiteral("Cannot remove the journal %1.").arg(QDir::toNativeSeparators(file.filePath())));
        removed << file.filePath();
    }
    return removed;
}

struct BatchJournal::Private {
    QString path;
    QByteArray reprintOf;
    std::vector<Row> rows;
    int fd = -1;

    ~Private()
    {
        if (fd >= 0)
            ::close(fd);
    }

    engine::EngineError failure(const QString &why) const
    {
        return engine::EngineError(QStringLiteral("Cannot write the journal %1: %2.").arg(QDir::toNativeSeparators(path), why));
    }

    QByteArray line(const Row &row) const
    {
        return row.fixed + ',' + csvField(row.queue) + ',' + (row.job > 0 ? QByteArray::number(row.job) : QByteArray()) + ','
               + JournalEntry::stateName(row.state).toLatin1() + ',' + reprintOf + '\n';
    }

    void append(const QByteArray &bytes) const
    {
        // One write per row: a run stopped in between leaves whole rows.
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw failure(n < 0 ? systemError() : QStringLiteral("nothing could be written"));
            done += n;
        }
    }

    // O_NOFOLLOW: never through a link someone put at the name.
    void openForAppend(int extraFlags)
    {
        fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | extraFlags, 0600);
        if (fd < 0)
            throw failure(systemError());
    }

    void create(const QString &given)
    {
        if (!given.isEmpty()) {
            path = QFileInfo(given).absoluteFilePath();
            if (QFileInfo(path).isDir())
                throw failure(QStringLiteral("it is a folder"));
            ::unlink(QFile::encodeName(path).constData()); // a file or link there goes; never its target
            openForAppend(O_CREAT | O_EXCL);
            return;
        }
        const QString folder = defaultFolder();
        if (!QDir().mkpath(folder))
            throw engine::EngineError(QStringLiteral("Cannot make the journal folder %1.").arg(QDir::toNativeSeparators(folder)));
        const QString stem = QDir(folder).filePath(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH-mm-ss")));
        for (int n = 1;; ++n) {
            path = n == 1 ? stem + QStringLiteral(".csv") : QStringLiteral("%1-%2.csv").arg(stem).arg(n);
            fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_CREAT | O_EXCL, 0600);
            if (fd >= 0)
                return;
            if (errno != EEXIST || n >= 1000)
                throw failure(systemError());
        }
    }

    // The whole file again, replaced at once; appending goes on into the new file.
    void rewrite()
    {
        engine::OutputFile out(path, engine::OutputFile::Policy::Replace);
        QByteArray bytes = header();
        for (const Row &row : rows)
            bytes += line(row);
        if (out.device().write(bytes) != bytes.size())
            throw failure(out.device().errorString());
        ::close(fd);
        fd = -1;
        out.commit(); // keeps the file's 0600
        openForAppend(0);
    }

    static QByteArray header() { return columns().join(QLatin1Char(',')).toUtf8() + '\n'; }
};

BatchJournal::BatchJournal(const QString &path, const QString &reprintOf) : d(std::make_unique<Private>())
{
    d->reprintOf = csvField(reprintOf);
    d->create(path);
    d->append(Private::header());
}

BatchJournal::~BatchJournal() = default;

const QString &BatchJournal::path() const { return d->path; }
qint64 BatchJournal::count() const { return qint64(d->rows.size()); }

qint64 BatchJournal::add(JournalEntry entry)
{
    entry.envelope = count() + 1;
    Row row{fixedFields(entry), entry.queue, entry.job, entry.state};
    d->append(d->line(row));
    d->rows.push_back(std::move(row));
    return entry.envelope;
}

void BatchJournal::update(qint64 first, qint64 last, const QString &queue, int job, JournalEntry::State state)
{
    if (first > last)
        return;
    for (qint64 i = std::max<qint64>(first, 1); i <= std::min(last, count()); ++i)
        d->rows[size_t(i - 1)] = Row{d->rows[size_t(i - 1)].fixed, queue, job, state};
    d->rewrite();
}

void BatchJournal::updateAll(JournalEntry::State from, JournalEntry::State to)
{
    bool changed = false;
    for (Row &row : d->rows) {
        if (row.state == from) {
            row.state = to;
            changed = true;
        }
    }
    if (changed)
        d->rewrite();
}

} // namespace envelope
