#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace platform {

// Maps between Windows paths and the Linux files of a Wine prefix, the way Wine
// does: drive letters are the entries PREFIX/dosdevices/x:, and each component is
// matched exactly first, then case-insensitively (first match in directory order).
class WinePathResolver {
public:
    explicit WinePathResolver(QString prefix);

    // The existing Linux file or folder that a drive-qualified Windows path names
    // ("C:\Program Files\x.ini", '\' or '/' separating), or nothing when the drive
    // or any component does not exist.
    std::optional<QString> toLinuxPath(QStringView windowsPath) const;

    // The DOS path Wine shows for a Linux path: through the drive whose target
    // holds it (the longest target wins, then the earlier letter), else Wine's
    // "\\?\unix\..." form for a file outside every drive.
    QString toDosPath(const QString &linuxPath) const;

private:
    QString m_prefix;
};

} // namespace platform
