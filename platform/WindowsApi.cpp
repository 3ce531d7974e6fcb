// Placeholder until the registry, profile and module readers land.
#include "platform/WindowsApi.h"
#include "platform/MessagePresenter.h"

namespace platform {
struct WindowsApi::Private { Options options; };
WindowsApi::WindowsApi(Options options) : d(std::make_unique<Private>(Private{std::move(options)})) {}
WindowsApi::~WindowsApi() = default;
std::shared_ptr<WindowsApi> WindowsApi::fromEnvironment(std::shared_ptr<MessagePresenter> presenter)
{ return std::make_shared<WindowsApi>(Options{QString(), std::move(presenter), {}}); }
QString WindowsApi::winePrefix() const { return d->options.winePrefix; }
LONG WindowsApi::RegOpenKeyExA(HKEY, const char *, DWORD, REGSAM, HKEY *) { return ERROR_FILE_NOT_FOUND; }
LONG WindowsApi::RegQueryValueExA(HKEY, const char *, DWORD *, DWORD *, BYTE *, DWORD *) { return ERROR_INVALID_HANDLE; }
LONG WindowsApi::RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }
DWORD WindowsApi::GetPrivateProfileStringA(const char *, const char *, const char *, char *out, DWORD size, const char *)
{ if (size) out[0] = 0; return 0; }
DWORD WindowsApi::GetModuleFileNameA(HMODULE, char *out, DWORD size)
{ const char p[] = "/usr/bin/envelope"; DWORD n = 0; for (; n + 1 < size && p[n]; ++n) out[n] = p[n]; if (size) out[n] = 0; return n; }
DWORD WindowsApi::GetClassLongA(HWND, int) { return 0; }
void WindowsApi::MessageBox(const QString &text, const QString &caption) { d->options.presenter->show(text, caption); }
MessagePresenter &WindowsApi::presenter() const { return *d->options.presenter; }
} // namespace platform
