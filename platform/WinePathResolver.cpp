#include "platform/WinePathResolver.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace platform {

namespace {

bool isSeparator(QChar c) { return c == QLatin1Char('\\') || c == QLatin1Char('/'); }

bool isDriveLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

// The component's entry in folder: the exact name when it exists, else the first
// entry in directory order whose name matches ignoring case.
std::optional<QString> findEntry(const QString &folder, const QString &name)
{
    const QString exact = folder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact))
        return exact;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0 && it.fileInfo().exists())
            return it.filePath();
    }
    return std::nullopt;
}

// Windows drops "." and resolves ".." by text, never above the drive's root.
QStringList components(QStringView path)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        const QStringView part = path.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(part.toString());
    }
    return out;
}

bool isSameOrBelow(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return true;
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == QLatin1Char('/'));
}

} // namespace

WinePathResolver::WinePathResolver(QString prefix) : m_prefix(std::move(prefix)) {}

std::optional<QString> WinePathResolver::toLinuxPath(QStringView windowsPath) const
{
    if (m_prefix.isEmpty() || windowsPath.size() < 2 || !isDriveLetter(windowsPath[0])
        || windowsPath[1] != QLatin1Char(':'))
        return std::nullopt;
    QString current = m_prefix + QLatin1String("/dosdevices/") + windowsPath[0].toLower() + QLatin1Char(':');
    if (!QFileInfo(current).isDir())
        return std::nullopt;
    const QStringList parts = components(windowsPath.mid(2));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const std::optional<QString> entry = findEntry(current, parts[i]);
        if (!entry || (i + 1 < parts.size() && !QFileInfo(*entry).isDir()))
            return std::nullopt;
        current = *entry;
    }
    return current;
}

QString WinePathResolver::toDosPath(const QString &linuxPath) const
{
    // Symbolic links in the folders are resolved so that they compare with the
    // drives' resolved targets; the file's own name is kept as given.
    const QFileInfo info(QDir::cleanPath(QDir::current().absoluteFilePath(linuxPath)));
    const QString canonicalFolder = QFileInfo(info.path()).canonicalFilePath();
    QString path = canonicalFolder.isEmpty() ? info.filePath()
                                             : QDir::cleanPath(canonicalFolder + QLatin1Char('/') + info.fileName());

    QString bestTarget;
    QChar bestLetter;
    if (!m_prefix.isEmpty()) {
        QDir devices(m_prefix + QLatin1String("/dosdevices"));
        const QStringList entries = devices.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &entry : entries) {
            if (entry.size() != 2 || entry[1] != QLatin1Char(':') || !entry[0].isLower() || !isDriveLetter(entry[0]))
                continue;
            const QString target = QFileInfo(devices.filePath(entry)).canonicalFilePath();
            if (target.isEmpty() || !isSameOrBelow(path, target))
                continue;
            if (bestLetter.isNull() || target.size() > bestTarget.size()) {
                bestTarget = target;
                bestLetter = entry[0].toUpper();
            }
        }
    }
    if (bestLetter.isNull()) {
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
        return QLatin1String("\\\\?\\unix") + path;
    }
    QString rest = bestTarget == QLatin1String("/") ? path.mid(1) : path.mid(bestTarget.size() + 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return bestLetter + QLatin1String(":\\") + rest;
}

} // namespace platform
