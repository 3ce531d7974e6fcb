// system.reg as a Wine prefix holds it: any bytes.
#include "fuzz/FuzzSupport.h"
#include "platform/RegistryHive.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using platform::RegistryHive;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<RegistryHive> hive = RegistryHive::parse(bytes);
    if (!hive)
        return 0;

    static const char16_t *const paths[] = {u"Software\\Microsoft\\Windows\\CurrentVersion",
                                            u"software\\\\microsoft\\windows\\currentversion\\", u"Software", u"",
                                            u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion"};
    static const char16_t *const names[] = {u"ProgramFilesDir", u"programfilesdir", u"", u"CommonFilesDir"};
    for (const char16_t *path : paths) {
        for (const RegistryHive::View view : {RegistryHive::View::Native, RegistryHive::View::Wow32}) {
            const std::optional<QString> key = hive->findKey(QStringView(path), view);
            if (!key)
                continue;
            for (const char16_t *name : names) {
                const std::optional<RegistryHive::Value> value = hive->value(*key, QStringView(name));
                // At most two bytes a character read, and a text's NUL.
                if (value)
                    fuzzsupport::check(value->data.size() <= 2 * bytes.size() + 2);
            }
        }
    }
    // The root key exists in every hive.
    fuzzsupport::check(hive->findKey(u"").has_value());
    return 0;
}
