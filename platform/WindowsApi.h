#pragma once

#include "platform/PlatformExport.h"
#include "platform/WindowsTypes.h"

#include <QString>

#include <functional>
#include <memory>

namespace platform {

class MessagePresenter;

// The handful of Win32 calls our programs make, behaving as Windows does,
// over a Wine prefix: the registry from its system.reg, files through its drive
// letters, private-profile files with Windows' parsing rules, the executable's path
// and modal message boxes. Text crosses the "A" calls in the ANSI code page
// (Windows-1252), exactly as the callers' buffers would see it on Windows.
class PLATFORM_EXPORT WindowsApi {
public:
    struct Options {
        QString winePrefix;                         // absolute path of the prefix folder
        std::shared_ptr<MessagePresenter> presenter; // where MessageBox goes
        std::function<QString()> executablePath;   // defaults to the running process's executable
    };

    explicit WindowsApi(Options options);
    ~WindowsApi();
    WindowsApi(const WindowsApi &) = delete;
    WindowsApi &operator=(const WindowsApi &) = delete;

    // $WINEPREFIX when set, else $HOME/.wine; the executable from /proc/self/exe.
    static std::shared_ptr<WindowsApi> fromEnvironment(std::shared_ptr<MessagePresenter> presenter);

    QString winePrefix() const;

    // advapi32
    LONG RegOpenKeyExA(HKEY key, const char *subKey, DWORD options, REGSAM samDesired, HKEY *result);
    LONG RegQueryValueExA(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, BYTE *data, DWORD *cbData);
    LONG RegCloseKey(HKEY key);

    // kernel32
    DWORD GetPrivateProfileStringA(const char *appName, const char *keyName, const char *defaultValue,
                                   char *returnedString, DWORD size, const char *fileName);
    DWORD GetModuleFileNameA(HMODULE module, char *fileName, DWORD size);

    // user32
    DWORD GetClassLongA(HWND window, int index);
    void MessageBox(const QString &text, const QString &caption = QString());

    MessagePresenter &presenter() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace platform
