#pragma once

#include "platform/WindowsTypes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace platform {

// One registry hive as Wine saves it (system.reg for HKEY_LOCAL_MACHINE), read
// only. Key and value names compare case-insensitively; text values are kept as
// Windows stores them, UTF-16LE with their terminating NUL.
class RegistryHive {
public:
    struct Value {
        DWORD type = REG_NONE;
        QByteArray data;
    };

    // Which registry a program sees on a 64-bit prefix. Our host programs are
    // 32-bit, so that is the view the Windows calls use unless asked otherwise.
    enum class View { Native, Wow32 };

    // Nothing when the bytes are not a hive (the first line is not Wine's header).
    // Lines it cannot make sense of are skipped; any input is safe.
    static std::optional<RegistryHive> parse(QByteArrayView bytes);
    // Nothing when the file is missing, unreadable or not a hive.
    static std::optional<RegistryHive> load(const QString &fileName);

    RegistryHive(RegistryHive &&) noexcept;
    RegistryHive &operator=(RegistryHive &&) noexcept;
    ~RegistryHive();

    // The hive was saved by a 64-bit prefix ("#arch=win64").
    bool isWin64() const;

    // The key that path ('\'-separated, relative to the hive's root, empty for the
    // root) names in the given view, as a token for value(); nothing when absent.
    // In the 32-bit view of a 64-bit hive, Software\X means Software\Wow6432Node\X
    // whenever that key exists.
    std::optional<QString> findKey(QStringView path, View view = View::Native) const;

    // The value of a key found by findKey; an empty name is the key's default value.
    std::optional<Value> value(const QString &key, QStringView name) const;

private:
    struct Private;
    RegistryHive();
    std::unique_ptr<Private> d;
};

} // namespace platform
