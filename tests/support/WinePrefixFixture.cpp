#include "support/WinePrefixFixture.h"

#include <algorithm>

namespace testsupport {

namespace {
const QString clientTables = QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client");
}

WinePrefixFixture::WinePrefixFixture(const QByteArray &programFilesDir)
{
    writeSystemReg(currentVersionKey("\"ProgramFilesDir\"=\"" + programFilesDir + "\""), false);
    QDir(path()).mkpath(clientTables);
}

QString WinePrefixFixture::clientTablesFolder() const { return QDir(path()).filePath(clientTables); }

void WinePrefixFixture::writeSettings(const QString &fileName, const QByteArray &content) const
{
    writeRaw(clientTables + QLatin1Char('/') + fileName, content);
}

void WinePrefixFixture::exportTo(QStringList &environment) const
{
    environment.erase(std::remove_if(environment.begin(), environment.end(),
                                     [](const QString &e) { return e.startsWith(QLatin1String("WINEPREFIX=")); }),
                      environment.end());
    environment << QStringLiteral("WINEPREFIX=") + path();
}

} // namespace testsupport
