#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace platform {

// An INI-style settings file read with the rules of Windows' private-profile
// calls: lines trimmed of blanks and tabs, the first '=' splitting key and value,
// ';' comment lines, one pair of matching quotes removed, case-insensitive names,
// the first section and the first key of a name winning. A file that starts with
// FF FE is UTF-16LE, any other is Windows-1252.
class PrivateProfile {
public:
    // Any bytes give a profile; nothing in them can make this fail.
    static PrivateProfile parse(QByteArrayView bytes);
    // Nothing when the file is missing, unreadable or a folder.
    static std::optional<PrivateProfile> load(const QString &fileName);

    PrivateProfile(PrivateProfile &&) noexcept;
    PrivateProfile &operator=(PrivateProfile &&) noexcept;
    ~PrivateProfile();

    // The value of key in section, nothing when either is missing. Names are
    // looked up as given; trimming the caller's names is the caller's rule.
    std::optional<QString> value(QStringView section, QStringView key) const;

private:
    struct Private;
    PrivateProfile();
    std::unique_ptr<Private> d;
};

} // namespace platform
