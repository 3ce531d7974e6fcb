#include "platform/PrivateProfile.h"

#include "platform/Windows1252.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace platform {

namespace {

// Windows counts a vertical tab as a blank too, wherever it trims.
bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\v'); }

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

QStringView trimBlanksRight(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

QString decode(QByteArrayView bytes)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
        const QByteArrayView units = bytes.sliced(2);
        QString text;
        text.reserve(units.size() / 2);
        // An odd last byte is half a character: dropped.
        for (qsizetype i = 0; i + 1 < units.size(); i += 2)
            text.append(QChar(char16_t(static_cast<unsigned char>(units[i]) | (static_cast<unsigned char>(units[i + 1]) << 8))));
        return text;
    }
    return Windows1252::toUnicode(bytes);
}

bool isLineBreak(QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); }

} // namespace

struct PrivateProfile::Private {
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    std::vector<Section> sections;
};

PrivateProfile::PrivateProfile() : d(std::make_unique<Private>()) {}
PrivateProfile::PrivateProfile(PrivateProfile &&) noexcept = default;
PrivateProfile &PrivateProfile::operator=(PrivateProfile &&) noexcept = default;
PrivateProfile::~PrivateProfile() = default;

PrivateProfile PrivateProfile::parse(QByteArrayView bytes)
{
    PrivateProfile profile;
    const QString text = decode(bytes);
    const QStringView all(text);
    Private::Section *section = nullptr;
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype end = pos;
        while (end < all.size() && !isLineBreak(all[end]))
            ++end;
        const QStringView line = trimBlanks(all.sliced(pos, end - pos));
        pos = end;
        while (pos < all.size() && isLineBreak(all[pos]))
            ++pos;

        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            QStringView name = line.sliced(1);
            const qsizetype close = name.indexOf(QLatin1Char(']'));
            if (close >= 0)
                name.truncate(close);
            profile.d->sections.push_back({trimBlanks(name).toString(), {}});
            section = &profile.d->sections.back();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!section || equals < 0)
            continue;
        QStringView value = trimBlanks(line.sliced(equals + 1));
        if (value.size() >= 2 && value.front() == value.back()
            && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
            value = value.sliced(1, value.size() - 2);
        // Windows keeps a value's length in 16 bits: 65,537 characters come back as one.
        value = value.first(value.size() % 65536);
        section->entries.push_back({trimBlanksRight(line.first(equals)).toString(), value.toString()});
    }
    return profile;
}

std::optional<PrivateProfile> PrivateProfile::load(const QString &fileName)
{
    if (QFileInfo(fileName).isDir())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<QString> PrivateProfile::value(QStringView section, QStringView key) const
{
    for (const Private::Section &s : d->sections) {
        if (s.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        // Only the first section of a name is searched.
        for (const Private::Entry &e : s.entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace platform
