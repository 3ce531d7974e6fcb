// Settings files of the office programs: any bytes, Windows-1252 or UTF-16LE.
#include "fuzz/FuzzSupport.h"
#include "platform/PrivateProfile.h"

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
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const platform::PrivateProfile profile = platform::PrivateProfile::parse(bytes);

    // The lookups the office programs make, and a few a hand-edited file invites.
    static const char16_t *const sections[] = {u"FIELDS", u"fields", u"", u" FIELDS", u"OTHER"};
    static const char16_t *const keys[] = {u"SFTFLG8", u"SFTCLK", u"SFTCO", u"SFTSTR", u"SFTZIP", u"sftcty", u""};
    for (const char16_t *section : sections) {
        for (const char16_t *key : keys) {
            if (const std::optional<QString> value = profile.value(QStringView(section), QStringView(key)))
                fuzzsupport::check(value->size() <= bytes.size()); // never more characters than bytes read
        }
    }
    return 0;
}
