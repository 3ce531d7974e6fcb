#include "platform/WindowsApi.h"

#include "platform/ExecutableLocator.h"
#include "platform/MessagePresenter.h"
#include "platform/PrivateProfile.h"
#include "platform/RegistryHive.h"
#include "platform/TerminalMessagePresenter.h"
#include "platform/WinePathResolver.h"
#include "platform/Windows1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

constexpr DWORD registryStringTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ};

QString fromAnsi(const char *text) { return text ? Windows1252::toUnicode(QByteArrayView(text, qstrlen(text))) : QString(); }

QString trimSpaces(QString s)
{
    qsizetype start = 0;
    while (start < s.size() && s[start] == QLatin1Char(' '))
        ++start;
    qsizetype end = s.size();
    while (end > start && s[end - 1] == QLatin1Char(' '))
        --end;
    return s.mid(start, end - start);
}

// The bytes of a value as an "A" call hands them out: text types go from the
// stored UTF-16 to the ANSI code page, their NULs included; others are untouched.
QByteArray ansiData(const RegistryHive::Value &value)
{
    if (std::find(std::begin(registryStringTypes), std::end(registryStringTypes), value.type)
        == std::end(registryStringTypes))
        return value.data;
    QString text;
    text.reserve(value.data.size() / 2);
    for (qsizetype i = 0; i + 1 < value.data.size(); i += 2)
        text.append(QChar(char16_t(static_cast<unsigned char>(value.data[i])
                                   | (static_cast<unsigned char>(value.data[i + 1]) << 8))));
    return Windows1252::fromUnicode(text);
}

// Copies as much of text as fits with its NUL; returns the characters copied.
DWORD copyTruncated(const QByteArray &text, char *out, DWORD size)
{
    if (!out || size == 0)
        return 0;
    const DWORD n = std::min<DWORD>(DWORD(text.size()), size - 1);
    std::memcpy(out, text.constData(), n);
    out[n] = '\0';
    return n;
}

} // namespace

struct WindowsApi::Private {
    struct OpenKey {
        std::shared_ptr<const RegistryHive> hive;
        QString key;
    };

    Options options;
    WinePathResolver paths;
    ExecutableLocator executable;
    QHash<HKEY, OpenKey> openKeys;
    HKEY nextHandle = 0x100;

    explicit Private(Options o)
        : options(std::move(o)), paths(options.winePrefix), executable(options.executablePath)
    {
        if (!options.presenter)
            options.presenter = std::make_shared<TerminalMessagePresenter>(QCoreApplication::applicationName());
    }

    // Settings-file names: a Windows path through the prefix's drives; an absolute
    // Linux path as it is; a bare name in the Windows folder, as Windows looks there.
    std::optional<QString> profileFile(const QString &name) const
    {
        if (name.startsWith(QLatin1Char('/')))
            return name;
        if (name.size() >= 2 && name[1] == QLatin1Char(':'))
            return paths.toLinuxPath(name);
        if (name.startsWith(QLatin1Char('\\')))
            return paths.toLinuxPath(QLatin1String("C:") + name);
        return paths.toLinuxPath(QLatin1String("C:\\windows\\") + name);
    }
};

WindowsApi::WindowsApi(Options options) : d(std::make_unique<Private>(std::move(options))) {}
WindowsApi::~WindowsApi() = default;

std::shared_ptr<WindowsApi> WindowsApi::fromEnvironment(std::shared_ptr<MessagePresenter> presenter)
{
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QLatin1String("/.wine");
    prefix = QFileInfo(prefix).absoluteFilePath();
    return std::make_shared<WindowsApi>(Options{prefix, std::move(presenter), {}});
}

QString WindowsApi::winePrefix() const { return d->options.winePrefix; }

LONG WindowsApi::RegOpenKeyExA(HKEY key, const char *subKey, DWORD, REGSAM samDesired, HKEY *result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    const RegistryHive::View view = (samDesired & KEY_WOW64_64KEY) ? RegistryHive::View::Native : RegistryHive::View::Wow32;

    Private::OpenKey opened;
    QString path = fromAnsi(subKey);
    if (key == HKEY_LOCAL_MACHINE) {
        // Read afresh: Wine may have saved the hive since the last open.
        if (d->options.winePrefix.isEmpty())
            return ERROR_FILE_NOT_FOUND;
        std::optional<RegistryHive> hive = RegistryHive::load(d->options.winePrefix + QLatin1String("/system.reg"));
        if (!hive)
            return ERROR_FILE_NOT_FOUND;
        opened.hive = std::make_shared<const RegistryHive>(std::move(*hive));
    } else {
        const auto parent = d->openKeys.constFind(key);
        if (parent == d->openKeys.cend())
            return ERROR_INVALID_HANDLE;
        opened.hive = parent->hive;
        path = parent->key + QLatin1Char('\\') + path;
    }
    const std::optional<QString> found = opened.hive->findKey(path, view);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    opened.key = *found;
    const HKEY handle = d->nextHandle;
    d->nextHandle += 4;
    d->openKeys.insert(handle, std::move(opened));
    *result = handle;
    return ERROR_SUCCESS;
}

LONG WindowsApi::RegQueryValueExA(HKEY key, const char *valueName, DWORD *reserved, DWORD *type, BYTE *data,
                                  DWORD *cbData)
{
    const auto open = d->openKeys.constFind(key);
    if (open == d->openKeys.cend())
        return ERROR_INVALID_HANDLE;
    if (reserved || (data && !cbData))
        return ERROR_INVALID_PARAMETER;
    const std::optional<RegistryHive::Value> value = open->hive->value(open->key, fromAnsi(valueName));
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    const QByteArray bytes = ansiData(*value);
    if (type)
        *type = value->type;
    if (!cbData)
        return ERROR_SUCCESS;
    const DWORD available = *cbData;
    *cbData = DWORD(bytes.size());
    if (!data)
        return ERROR_SUCCESS;
    if (DWORD(bytes.size()) > available)
        return ERROR_MORE_DATA;
    std::memcpy(data, bytes.constData(), std::size_t(bytes.size()));
    return ERROR_SUCCESS;
}

LONG WindowsApi::RegCloseKey(HKEY key)
{
    return d->openKeys.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

DWORD WindowsApi::GetPrivateProfileStringA(const char *appName, const char *keyName, const char *defaultValue,
                                           char *returnedString, DWORD size, const char *fileName)
{
    if (!returnedString || size == 0)
        return 0;
    // Only the default's trailing spaces go.
    QString result = fromAnsi(defaultValue);
    while (result.endsWith(QLatin1Char(' ')))
        result.chop(1);

    // Listing sections or keys (a null name) is not something our callers do: they
    // get the default.
    if (appName && keyName && fileName) {
        if (const std::optional<QString> file = d->profileFile(fromAnsi(fileName))) {
            if (const std::optional<PrivateProfile> profile = PrivateProfile::load(*file)) {
                if (std::optional<QString> found = profile->value(trimSpaces(fromAnsi(appName)), trimSpaces(fromAnsi(keyName)))) {
                    // The caller gets a C string, as from Windows: a NUL read from the file ends the value.
                    result = std::move(*found);
                    if (const qsizetype nul = result.indexOf(QChar(u'\0')); nul >= 0)
                        result.truncate(nul);
                }
            }
        }
    }
    return copyTruncated(Windows1252::fromUnicode(result), returnedString, size);
}

DWORD WindowsApi::GetModuleFileNameA(HMODULE module, char *fileName, DWORD size)
{
    if (!fileName || size == 0)
        return 0;
    // Only the process's own executable is known here. A failure leaves an empty
    // string rather than whatever the buffer held.
    const QString linuxPath = module == 0 ? d->executable.path() : QString();
    if (linuxPath.isEmpty()) {
        fileName[0] = '\0';
        return 0;
    }
    const QByteArray path = Windows1252::fromUnicode(d->paths.toDosPath(linuxPath));
    const DWORD copied = copyTruncated(path, fileName, size);
    // Windows Vista and later report a cut path by returning the buffer's size.
    return DWORD(path.size()) >= size ? size : copied;
}

DWORD WindowsApi::GetClassLongA(HWND, int) { return 0; }

void WindowsApi::MessageBox(const QString &text, const QString &caption) { d->options.presenter->show(text, caption); }

MessagePresenter &WindowsApi::presenter() const { return *d->options.presenter; }

} // namespace platform
