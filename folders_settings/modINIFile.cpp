#include "folders_settings/modINIFile.h"

#include "platform/Windows1252.h"

#include <QByteArray>

namespace folders {

using platform::Windows1252;

modINIFile::modINIFile(platform::WindowsApi &api) : m_api(api) {}

QString modINIFile::GetINIValue(QString file, const QString &section, const QString &key, const QString &defaultValue)
{
    QByteArray buffer(8192, ' ');
    const platform::DWORD n = m_api.GetPrivateProfileStringA(
        Windows1252::fromUnicode(section).constData(), Windows1252::fromUnicode(key).constData(),
        Windows1252::fromUnicode(defaultValue).constData(), buffer.data(), platform::DWORD(buffer.size()),
        Windows1252::fromUnicode(file).constData());
    // Windows-1252 has one byte per character, so the count cuts characters exactly.
    return Windows1252::toUnicode(QByteArrayView(buffer).first(qMin(qsizetype(n), buffer.size())));
}

} // namespace folders
