#include "reporting_engine/base/OutputFile.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/WriteFailure.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace engine {
namespace {

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

} // namespace

struct OutputFile::Private {
    QString finalPath;
    Policy policy;
    QTemporaryFile temp;
    bool committed = false;
};

OutputFile::OutputFile(const QString &finalPath, Policy policy) : d(std::make_unique<Private>())
{
    d->finalPath = QFileInfo(finalPath).absoluteFilePath();
    d->policy = policy;
    const QFileInfo target(d->finalPath);
    const QDir folder = target.absoluteDir();
    if (!folder.exists())
        throw EngineError(QStringLiteral("Cannot write %1: the folder %2 does not exist.")
                              .arg(finalPath, QDir::toNativeSeparators(folder.path())));
    if (target.isDir())
        throw EngineError(QStringLiteral("Cannot write %1: it is a folder.").arg(finalPath));
    d->temp.setFileTemplate(folder.filePath(QStringLiteral(".%1.XXXXXX.part").arg(target.fileName())));
    if (!d->temp.open())
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(finalPath, d->temp.errorString()));
}

namespace {

// A file replaced keeps its mode; a new one is 0666 less the umask.
mode_t modeFor(const QString &finalPath, OutputFile::Policy policy)
{
    struct stat existing {};
    if (policy == OutputFile::Policy::Replace && ::lstat(QFile::encodeName(finalPath).constData(), &existing) == 0
        && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

OutputFile::~OutputFile() = default; // an uncommitted temporary file is removed with it

QIODevice &OutputFile::device() { return d->temp; }

QString OutputFile::commit()
{
    if (d->committed)
        return d->finalPath;
    const QString shown = QDir::toNativeSeparators(d->finalPath);
    if (!d->temp.flush() || d->temp.error() != QFileDevice::NoError)
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(shown, WriteFailure::reason(d->temp)));
    if (::fsync(d->temp.handle()) != 0)
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(shown, systemError(errno)));
    const QByteArray tempName = QFile::encodeName(d->temp.fileName());
    // The temporary file is private (0600); the result gets the mode any tool
    // would give it, so colleagues sharing the folder can read it.
    if (::fchmod(d->temp.handle(), modeFor(d->finalPath, d->policy)) != 0)
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(shown, systemError(errno)));

    if (d->policy == Policy::Replace) {
        // rename() replaces a link at the final name itself and never writes through it.
        if (::rename(tempName.constData(), QFile::encodeName(d->finalPath).constData()) != 0)
            throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(shown, systemError(errno)));
    } else {
        // link() fails rather than replace, so a file that appears meanwhile is never overwritten.
        const QFileInfo info(d->finalPath);
        const QString stem = info.dir().filePath(info.completeBaseName());
        const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
        for (int n = 1;; ++n) {
            const QString candidate = n == 1 ? d->finalPath : QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix);
            if (::link(tempName.constData(), QFile::encodeName(candidate).constData()) == 0) {
                ::unlink(tempName.constData());
                d->finalPath = candidate;
                break;
            }
            if (errno != EEXIST || n >= 10000)
                throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(QDir::toNativeSeparators(candidate), systemError(errno)));
        }
    }
    d->temp.setAutoRemove(false);
    d->temp.close();
    d->committed = true;
    return d->finalPath;
}

} // namespace engine
