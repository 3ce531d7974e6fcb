#pragma once

#include "platform/WindowsApi.h"

#include <QString>

namespace folders {

// The company folder below Program Files, and the client tables folder in it
// where the host programs keep their settings files.
class modFolderFunctions {
public:
    explicit modFolderFunctions(platform::WindowsApi &api);

    // ProgramFilesDir of the registry (32-bit view) + "\Tovrel Associates, Ltd",
    // read afresh on every call; "C:\Program Files" when it cannot be read.
    // Never ends with a backslash.
    QString GetCompanyFolder();

    // GetCompanyFolder() + "\Common Files\Tables\Client\"; always ends with a backslash.
    QString GetClientTablesFolder();

private:
    QString readProgramFilesDir();

    platform::WindowsApi &m_api;
    platform::HKEY m_key = 0; // open only during GetCompanyFolder
};

} // namespace folders
