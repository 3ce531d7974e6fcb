#include "support/WinePrefixFixture.h"

#include "platform/WindowsApi.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace testsupport {

WinePrefixFixture::WinePrefixFixture(const QString &programFilesDir)
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary Wine prefix");
    QDir root(m_dir.path());
    root.mkpath(QStringLiteral("dosdevices"));
    root.mkpath(QStringLiteral("drive_c/windows"));
    QFile::link(QStringLiteral("../drive_c"), root.filePath(QStringLiteral("dosdevices/c:")));
    QFile::link(QStringLiteral("/"), root.filePath(QStringLiteral("dosdevices/z:")));
    root.mkpath(QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client"));

    writeSystemReg(QByteArrayLiteral("WINE REGISTRY Version 2\n"
                                     ";; All keys relative to \\\\Machine\n\n"
                                     "#arch=win32\n\n"
                                     "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion] 1796689512\n"
                                     "#time=1d9a4c2f3b8e6a0\n"
                                     "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"\n"
                                     "\"ProgramFilesDir\"=\"")
                   + programFilesDir.toUtf8() + QByteArrayLiteral("\"\n\n"));
}

QString WinePrefixFixture::clientTablesFolder() const
{
    return QDir(m_dir.path()).filePath(QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client"));
}

void WinePrefixFixture::writeSettings(const QString &fileName, const QByteArray &content) const
{
    QFile f(QDir(clientTablesFolder()).filePath(fileName));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write a settings file");
}

void WinePrefixFixture::writeSystemReg(const QByteArray &content) const
{
    QFile f(QDir(m_dir.path()).filePath(QStringLiteral("system.reg")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error("cannot write system.reg");
}

std::shared_ptr<platform::WindowsApi> WinePrefixFixture::api(std::shared_ptr<platform::MessagePresenter> presenter,
                                                             const QString &executablePath) const
{
    platform::WindowsApi::Options options;
    options.winePrefix = m_dir.path();
    options.presenter = std::move(presenter);
    options.executablePath = [executablePath] { return executablePath; };
    return std::make_shared<platform::WindowsApi>(std::move(options));
}

void WinePrefixFixture::exportTo(QStringList &environment) const
{
    environment.erase(std::remove_if(environment.begin(), environment.end(),
                                     [](const QString &e) { return e.startsWith(QLatin1String("WINEPREFIX=")); }),
                      environment.end());
    environment << QStringLiteral("WINEPREFIX=") + m_dir.path();
}

} // namespace testsupport
