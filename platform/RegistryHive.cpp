#include "platform/RegistryHive.h"

#include <QFile>
#include <QHash>

#include <map>

namespace platform {

namespace {

constexpr QByteArrayView header = "WINE REGISTRY Version 2";
constexpr QLatin1String software("software");
constexpr QLatin1String wow6432Node("wow6432node");

// Key tokens: the path's components case-folded and joined by single '\'.
// One pass with no string per component: a garbage line can hold millions.
QString normalizedPath(QStringView path)
{
    const QString folded = path.toString().toCaseFolded();
    QString token;
    token.reserve(folded.size());
    for (const QChar c : folded) {
        if (c == QLatin1Char('\\') && (token.isEmpty() || token.back() == QLatin1Char('\\')))
            continue;
        token.append(c);
    }
    if (token.endsWith(QLatin1Char('\\')))
        token.chop(1);
    return token;
}

QList<QByteArrayView> splitBytes(QByteArrayView s, char separator)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == separator) {
            parts.append(s.sliced(start, i - start));
            start = i + 1;
        }
    }
    parts.append(s.sliced(start));
    return parts;
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView s)
{
    while (!s.isEmpty() && isSpace(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isSpace(s.back()))
        s.chop(1);
    return s;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads Wine's escaped text from s[pos] up to the unescaped terminator and leaves
// pos after it. Raw bytes are UTF-8; escapes give UTF-16 code units. Nothing when
// the terminator never comes.
std::optional<QString> readEscaped(QByteArrayView s, qsizetype &pos, char terminator)
{
    QString out;
    QByteArray raw;
    const auto flush = [&] {
        if (raw.isEmpty())
            return;
        out += QString::fromUtf8(raw);
        raw.clear();
    };
    while (pos < s.size()) {
        const char c = s[pos++];
        if (c == terminator) {
            flush();
            return out;
        }
        if (c != '\\') {
            raw.append(c);
            continue;
        }
        if (pos >= s.size())
            return std::nullopt;
        const char e = s[pos++];
        if (e != 'x' && (e < '0' || e > '7') && QByteArrayView("ntrabvfe").indexOf(e) < 0) {
            // \\, \" and any unknown escape stand for the character itself.
            raw.append(e);
            continue;
        }
        flush();
        switch (e) {
        case 'n': out += QChar(u'\n'); break;
        case 't': out += QChar(u'\t'); break;
        case 'r': out += QChar(u'\r'); break;
        case 'a': out += QChar(u'\a'); break;
        case 'b': out += QChar(u'\b'); break;
        case 'v': out += QChar(u'\v'); break;
        case 'f': out += QChar(u'\f'); break;
        case 'e': out += QChar(char16_t(0x1B)); break;
        case 'x': {
            int unit = 0;
            int digits = 0;
            while (digits < 4 && pos < s.size() && hexDigit(s[pos]) >= 0) {
                unit = unit * 16 + hexDigit(s[pos++]);
                ++digits;
            }
            out += digits ? QChar(char16_t(unit)) : QChar(u'x');
            break;
        }
        default: { // an octal escape
            int unit = e - '0';
            for (int digits = 1; digits < 3 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++digits)
                unit = unit * 8 + (s[pos++] - '0');
            out += QChar(char16_t(unit));
        }
        }
    }
    return std::nullopt;
}

QByteArray storedText(const QString &text)
{
    QByteArray data;
    data.reserve((text.size() + 1) * 2);
    for (const QChar c : text) {
        data.append(static_cast<char>(c.unicode() & 0xFF));
        data.append(static_cast<char>(c.unicode() >> 8));
    }
    data.append('\0').append('\0');
    return data;
}

// "(N):" after str or hex; N is hexadecimal as Wine writes it.
std::optional<DWORD> readTypeSuffix(QByteArrayView s, qsizetype &pos)
{
    if (pos >= s.size() || s[pos] != '(')
        return std::nullopt;
    ++pos;
    std::uint64_t type = 0;
    int digits = 0;
    while (pos < s.size() && hexDigit(s[pos]) >= 0 && digits < 8) {
        type = type * 16 + std::uint64_t(hexDigit(s[pos++]));
        ++digits;
    }
    if (!digits || pos + 1 >= s.size() || s[pos] != ')' || s[pos + 1] != ':')
        return std::nullopt;
    pos += 2;
    return DWORD(type);
}

std::optional<QByteArray> readHexList(QByteArrayView s)
{
    QByteArray data;
    for (const QByteArrayView item : splitBytes(s, ',')) {
        const QByteArrayView t = trimmed(item);
        if (t.isEmpty())
            continue;
        if (t.size() > 2 || hexDigit(t[0]) < 0 || (t.size() == 2 && hexDigit(t[1]) < 0))
            return std::nullopt;
        data.append(static_cast<char>(t.size() == 1 ? hexDigit(t[0]) : hexDigit(t[0]) * 16 + hexDigit(t[1])));
    }
    return data;
}

// The name of a value line ("name"= or @= for the default value), leaving pos at
// its data; nothing when the line is no value.
std::optional<QString> readValueName(QByteArrayView line, qsizetype &pos)
{
    std::optional<QString> name;
    if (line.front() == '@') {
        name = QString();
        pos = 1;
    } else if (line.front() == '"') {
        pos = 1;
        name = readEscaped(line, pos, '"');
    }
    if (!name || pos >= line.size() || line[pos] != '=')
        return std::nullopt;
    ++pos;
    return name;
}

using Value = RegistryHive::Value;

// "text" or str(N):"text".
std::optional<Value> readTextValue(QByteArrayView data)
{
    qsizetype pos = 0;
    Value value;
    value.type = REG_SZ;
    if (data.startsWith("str(")) {
        pos = 3;
        const std::optional<DWORD> type = readTypeSuffix(data, pos);
        if (!type)
            return std::nullopt;
        value.type = *type;
    }
    if (pos >= data.size() || data[pos] != '"')
        return std::nullopt;
    ++pos;
    const std::optional<QString> text = readEscaped(data, pos, '"');
    if (!text)
        return std::nullopt;
    value.data = storedText(*text);
    return value;
}

std::optional<Value> readDwordValue(QByteArrayView data)
{
    const QByteArrayView digits = trimmed(data.sliced(6));
    std::uint32_t number = 0;
    bool ok = !digits.isEmpty() && digits.size() <= 8;
    for (const char c : digits) {
        ok = ok && hexDigit(c) >= 0;
        number = number * 16 + std::uint32_t(ok ? hexDigit(c) : 0);
    }
    if (!ok)
        return std::nullopt;
    Value value;
    value.type = REG_DWORD;
    for (int b = 0; b < 4; ++b)
        value.data.append(static_cast<char>((number >> (8 * b)) & 0xFF));
    return value;
}

// hex:... or hex(N):...; a long list goes on over the following lines, each
// ending in '\', and i is left at the list's last line.
std::optional<Value> readHexValue(QByteArrayView data, const QList<QByteArrayView> &lines, qsizetype &i)
{
    qsizetype pos = 3;
    std::optional<DWORD> type = REG_BINARY;
    if (data.startsWith("hex:"))
        pos = 4;
    else
        type = readTypeSuffix(data, pos);
    // Appended in place: copying the list for every line takes quadratic time.
    QByteArray list = trimmed(data.sliced(std::min(pos, data.size()))).toByteArray();
    bool complete = true;
    while (list.endsWith('\\')) {
        list.chop(1);
        if (++i >= lines.size()) {
            complete = false;
            break;
        }
        list += trimmed(lines[i]);
    }
    std::optional<QByteArray> bytesRead = readHexList(list);
    if (!type || !complete || !bytesRead)
        return std::nullopt;
    return Value{*type, std::move(*bytesRead)};
}

// The value of a line's data (after its '='); nothing for data it cannot read.
std::optional<Value> readValue(QByteArrayView data, const QList<QByteArrayView> &lines, qsizetype &i)
{
    if (data.startsWith('"') || data.startsWith("str("))
        return readTextValue(data);
    if (data.startsWith("dword:"))
        return readDwordValue(data);
    if (data.startsWith("hex"))
        return readHexValue(data, lines, i);
    return std::nullopt;
}

} // namespace

struct RegistryHive::Private {
    struct Key {
        QHash<QString, Value> values; // by case-folded name
    };
    bool win64 = false;
    // By token, in order: a key's subkeys follow it. Wine leaves out keys that
    // only hold subkeys; they exist all the same, found as their subkeys' prefix
    // rather than stored, which would take memory quadratic in a key's depth.
    std::map<QString, Key> keys;

    Key &addKey(const QString &token) { return keys[token]; }

    bool hasKey(const QString &token) const
    {
        if (keys.count(token))
            return true;
        const QString below = token + QLatin1Char('\\');
        const auto next = keys.lower_bound(below);
        return next != keys.end() && next->first.startsWith(below);
    }
};

RegistryHive::RegistryHive() : d(std::make_unique<Private>())
{
    (void)d->keys[QString()];
}
RegistryHive::RegistryHive(RegistryHive &&) noexcept = default;
RegistryHive &RegistryHive::operator=(RegistryHive &&) noexcept = default;
RegistryHive::~RegistryHive() = default;

std::optional<RegistryHive> RegistryHive::parse(QByteArrayView bytes)
{
    QList<QByteArrayView> lines = splitBytes(bytes, '\n');
    for (QByteArrayView &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (lines.isEmpty() || lines.front() != header)
        return std::nullopt;

    RegistryHive hive;
    Private::Key *current = nullptr;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArrayView line = trimmed(lines[i]);
        if (line.isEmpty() || line.front() == ';')
            continue;
        if (line.front() == '#') {
            if (!current && line == QByteArrayView("#arch=win64"))
                hive.d->win64 = true;
            continue; // other lines of metadata: #time, #class, #link...
        }
        if (line.front() == '[') {
            qsizetype pos = 1;
            const std::optional<QString> path = readEscaped(line, pos, ']');
            current = path ? &hive.d->addKey(normalizedPath(*path)) : nullptr;
            continue;
        }
        qsizetype pos = 0;
        const std::optional<QString> name = readValueName(line, pos);
        if (!name)
            continue;
        std::optional<Value> value = readValue(line.sliced(pos), lines, i);
        if (value && current)
            current->values.insert(name->toCaseFolded(), std::move(*value));
    }
    return hive;
}

std::optional<RegistryHive> RegistryHive::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

bool RegistryHive::isWin64() const { return d->win64; }

std::optional<QString> RegistryHive::findKey(QStringView path, View view) const
{
    const QString token = normalizedPath(path);
    if (view == View::Wow32 && d->win64) {
        const QStringList parts = token.split(QLatin1Char('\\'));
        if (parts.size() >= 2 && parts[0] == software && parts[1] != wow6432Node) {
            QStringList redirected = parts;
            redirected.insert(1, wow6432Node);
            const QString wow = redirected.join(QLatin1Char('\\'));
            if (d->hasKey(wow))
                return wow;
        }
    }
    if (d->hasKey(token))
        return token;
    return std::nullopt;
}

std::optional<RegistryHive::Value> RegistryHive::value(const QString &key, QStringView name) const
{
    const auto k = d->keys.find(key);
    if (k == d->keys.end())
        return std::nullopt;
    const auto v = k->second.values.constFind(name.toString().toCaseFolded());
    if (v == k->second.values.cend())
        return std::nullopt;
    return *v;
}

} // namespace platform
