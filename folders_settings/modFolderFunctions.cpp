#include "folders_settings/modFolderFunctions.h"

#include "platform/Windows1252.h"

#include <QByteArray>

namespace folders {

namespace {

const QString fallback = QStringLiteral("C:\\Program Files");

} // namespace

modFolderFunctions::modFolderFunctions(platform::WindowsApi &api) : m_api(api) {}

QString modFolderFunctions::GetCompanyFolder()
{
    QString programFiles = fallback;
    if (m_api.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0,
                            platform::KEY_READ, &m_key)
        == platform::ERROR_SUCCESS) {
        programFiles = readProgramFilesDir();
        m_api.RegCloseKey(m_key);
    }
    // Nothing is left open between calls, and a failed open is never closed.
    m_key = 0;
    return programFiles + QLatin1String("\\Tovrel Associates, Ltd");
}

QString modFolderFunctions::GetClientTablesFolder()
{
    return GetCompanyFolder() + QLatin1String("\\Common Files\\Tables\\Client\\");
}

QString modFolderFunctions::readProgramFilesDir()
{
    QByteArray buffer(255, ' ');
    platform::DWORD size = platform::DWORD(buffer.size());
    platform::DWORD type = platform::REG_SZ;
    auto query = [&] {
        return m_api.RegQueryValueExA(m_key, "ProgramFilesDir", nullptr, &type,
                                      reinterpret_cast<platform::BYTE *>(buffer.data()), &size);
    };
    platform::LONG rc = query();
    // A value longer than the first buffer is read whole with one the size the
    // query asked for (a few tries, should the value grow in between).
    for (int tries = 0; rc == platform::ERROR_MORE_DATA && size > platform::DWORD(buffer.size()) && tries < 3; ++tries) {
        buffer = QByteArray(qsizetype(size), ' ');
        type = platform::REG_SZ;
        rc = query();
    }
    if (rc != platform::ERROR_SUCCESS)
        return fallback;

    QByteArray data = buffer.left(qsizetype(size));
    if (data.endsWith('\0'))
        data.chop(1);
    // An empty value would put the company folder at the root of a drive.
    if (data.isEmpty())
        return fallback;
    const QString text = platform::Windows1252::toUnicode(data);
    if (text.toUpper() == QLatin1String("%PROGRAMFILES%"))
        return fallback;
    return text;
}

} // namespace folders
