#pragma once

#include <QString>

#include <functional>

namespace platform {

// Where the running program's executable lies, as a Linux path. Tests give their
// own source instead of the process's.
class ExecutableLocator {
public:
    // An empty source means the running process (/proc/self/exe).
    explicit ExecutableLocator(std::function<QString()> source = {});

    // Empty when it cannot be found.
    QString path() const;

    // Reads a /proc-style link to an executable. The kernel names an executable
    // replaced or removed since start "path (deleted)": the path it ran from is
    // what callers want, so that suffix goes when no such file exists.
    static QString readExecutableLink(const QString &link);

private:
    std::function<QString()> m_source;
};

} // namespace platform
