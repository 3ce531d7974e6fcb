// Windows paths as the registry and the settings files give them, resolved on a
// small prefix made once per run. Its z: drive is the prefix itself rather than
// "/", so that what a run touches does not depend on this machine's files.
#include "fuzz/FuzzSupport.h"
#include "platform/WinePathResolver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *prefixDir = nullptr;

void makePrefix(const QString &root)
{
    QDir dir(root);
    const char *const files[] = {
        "drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI",
        "drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/arysft.ini", // a twin in another case
        "drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/JURSFT.INI",
        "drive_c/windows/system32/kernel32.dll",
        "drive_c/users/Public/Desktop/.hidden",
        "drive_c/\u00C4mter/Gr\u00FC\u00DFe.txt",
    };
    for (const char *file : files) {
        const QString path = root + QLatin1Char('/') + QString::fromUtf8(file);
        dir.mkpath(QFileInfo(path).path());
        QFile f(path);
        fuzzsupport::check(f.open(QIODevice::WriteOnly));
    }
    dir.mkpath(QStringLiteral("dosdevices"));
    const struct {
        const char *target;
        const char *link;
    } links[] = {
        {"../drive_c", "dosdevices/c:"},
        {"../drive_c/Program Files", "dosdevices/d:"},
        {"..", "dosdevices/z:"},
        {"../missing", "dosdevices/e:"},
        {"Program Files/Tovrel Associates, Ltd", "drive_c/linked"},
        {"nowhere", "drive_c/dangling"},
        {"loop", "drive_c/loop"},
    };
    for (const auto &l : links)
        fuzzsupport::check(QFile::link(QString::fromUtf8(l.target), root + QLatin1Char('/') + QString::fromUtf8(l.link)));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    prefixDir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/envelope-fuzz-prefix-XXXXXX"));
    fuzzsupport::check(prefixDir->isValid());
    makePrefix(prefixDir->path());
    std::atexit([] { delete prefixDir; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Longer paths only repeat the same folder walks.
    if (size > 1024)
        return 0;
    const platform::WinePathResolver resolver(prefixDir->path());
    const QString windowsPath = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<QString> found = resolver.toLinuxPath(windowsPath);
    if (!found)
        return 0;
    fuzzsupport::check(QFileInfo::exists(*found));

    // Back to the DOS path Wine would show, and that names the same file again.
    const QString dosPath = resolver.toDosPath(*found);
    const std::optional<QString> again = resolver.toLinuxPath(dosPath);
    fuzzsupport::check(again.has_value());
    fuzzsupport::check(QFileInfo(*again).canonicalFilePath() == QFileInfo(*found).canonicalFilePath());
    return 0;
}
