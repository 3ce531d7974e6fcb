#include "reporting_engine/base/WriteFailure.h"

#include <QFileDevice>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <cstring>

namespace engine {

QString WriteFailure::reason(const QIODevice &device)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    const QString said = device.errorString();
    const bool vague = said.isEmpty() || said == QLatin1String("Unknown error");
    if (!vague || !file || file->fileName().isEmpty())
        return vague ? QStringLiteral("the device took only part of the data") : said;

    // A short write leaves no error number behind; a file system with no room left explains it.
    const QStorageInfo storage(QFileInfo(file->fileName()).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < 64 * 1024)
        return QStringLiteral("%1 (%2 is full)").arg(QString::fromLocal8Bit(std::strerror(ENOSPC)), storage.rootPath());
    return QStringLiteral("the file system took only part of the data");
}

} // namespace engine
