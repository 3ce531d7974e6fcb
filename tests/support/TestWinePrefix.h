#pragma once

// A throw-away Wine prefix for tests: drive_c, dosdevices/c: -> ../drive_c and
// z: -> /, and a system.reg written the way Wine writes it.
#include "platform/WindowsApi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

class TestWinePrefix {
public:
    TestWinePrefix()
    {
        EXPECT_TRUE(m_dir.isValid());
        QDir(path()).mkpath(QStringLiteral("drive_c/windows"));
        QDir(path()).mkpath(QStringLiteral("dosdevices"));
        link(QStringLiteral("../drive_c"), QStringLiteral("c:"));
        link(QStringLiteral("/"), QStringLiteral("z:"));
    }

    QString path() const { return m_dir.path(); }
    QString driveC() const { return path() + QStringLiteral("/drive_c"); }

    void link(const QString &target, const QString &drive) const
    {
        EXPECT_TRUE(QFile::link(target, path() + QStringLiteral("/dosdevices/") + drive));
    }

    // The header and a comment line as Wine starts the file, then body.
    void writeSystemReg(const QByteArray &body, bool win64 = true) const
    {
        QByteArray text = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
        if (win64)
            text += "#arch=win64\n\n";
        writeRaw(QStringLiteral("system.reg"), text + body);
    }

    // A file below the prefix; returns its Linux path.
    QString writeRaw(const QString &relativePath, const QByteArray &bytes) const
    {
        const QString file = path() + QLatin1Char('/') + relativePath;
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return file;
    }

    std::unique_ptr<platform::WindowsApi> api(std::shared_ptr<platform::MessagePresenter> presenter,
                                              QString executable = QStringLiteral("/usr/bin/korvajury")) const
    {
        return std::make_unique<platform::WindowsApi>(platform::WindowsApi::Options{
            path(), std::move(presenter), [executable] { return executable; }});
    }

private:
    QTemporaryDir m_dir;
};

// Wine's key for the Program Files folder, with one value line.
inline QByteArray currentVersionKey(const QByteArray &valueLine, const QByteArray &under = "Software")
{
    return "[" + under + "\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796689512\n#time=1d9e3f0a2b4c5d6\n"
        + valueLine + "\n\n";
}

} // namespace testsupport
