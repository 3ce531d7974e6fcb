#pragma once

#include "platform/WindowsApi.h"

#include <QString>

namespace folders {

// Reads one value of a settings file through the Windows private-profile call.
class modINIFile {
public:
    explicit modINIFile(platform::WindowsApi &api);

    // The value of key in section of file (a full Windows path), defaultValue when
    // the file, section or key is missing; at most 8191 characters, as read.
    QString GetINIValue(QString file, const QString &section, const QString &key, const QString &defaultValue);

private:
    platform::WindowsApi &m_api;
};

} // namespace folders
