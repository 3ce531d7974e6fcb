#include "reporting_engine/settings/SettingsFile.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/base/WriteFailure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace engine {
namespace {

QString located(const QString &path, int line)
{
    return QStringLiteral("%1 line %2").arg(QDir::toNativeSeparators(path)).arg(line);
}

} // namespace

SettingsFile SettingsFile::read(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return parse(path, QByteArray());
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        throw EngineError(QStringLiteral("Cannot read %1: %2.").arg(QDir::toNativeSeparators(path),
                                                                      QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : file.errorString()));
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EngineError(QStringLiteral("Cannot read %1: %2.").arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(path, text);
}

SettingsFile SettingsFile::parse(const QString &path, const QByteArray &text)
{
    SettingsFile out;
    out.m_path = path;
    if (text.contains('\0'))
        throw EngineError(QStringLiteral("%1 is not a settings file: it holds NUL bytes.").arg(QDir::toNativeSeparators(path)));
    const QString decoded = QString::fromUtf8(text);
    if (decoded.contains(QChar::ReplacementCharacter) && !text.contains("\xEF\xBF\xBD"))
        throw EngineError(QStringLiteral("%1 is not UTF-8 text.").arg(QDir::toNativeSeparators(path)));
    QStringList lines = decoded.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    int number = 0;
    for (QString raw : lines) {
        ++number;
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        if (number == 1 && raw.startsWith(QChar(0xFEFF)))
            raw.remove(0, 1);
        const QString t = raw.trimmed();
        Line line{raw, {}, {}, number};
        if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#'))) {
            (out.m_sections.empty() ? out.m_preamble : out.m_sections.back().lines).push_back(line);
            continue;
        }
        if (t.startsWith(QLatin1Char('['))) {
            if (!t.endsWith(QLatin1Char(']')) || t.size() < 3)
                throw EngineError(QStringLiteral("%1: \"%2\" is not a section line like [name].").arg(located(path, number), t));
            const QString name = t.mid(1, t.size() - 2).trimmed();
            if (out.find(name))
                throw EngineError(QStringLiteral("%1: the section [%2] was already given.").arg(located(path, number), name));
            out.m_sections.push_back(Section{name, raw, number, {}});
            continue;
        }
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw EngineError(QStringLiteral("%1: \"%2\" is not a \"key = value\" line.").arg(located(path, number), t));
        if (out.m_sections.empty())
            throw EngineError(QStringLiteral("%1: \"%2\" stands before any [section].").arg(located(path, number), t));
        line.key = t.left(eq).trimmed();
        line.value = t.mid(eq + 1).trimmed();
        for (const Line &earlier : out.m_sections.back().lines) {
            if (earlier.key.compare(line.key, Qt::CaseInsensitive) == 0)
                throw EngineError(QStringLiteral("%1: %2 was already given in [%3].").arg(located(path, number), line.key, out.m_sections.back().name));
        }
        out.m_sections.back().lines.push_back(line);
    }
    return out;
}

const SettingsFile::Section *SettingsFile::find(const QString &name) const
{
    for (const Section &s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

QStringList SettingsFile::sections() const
{
    QStringList names;
    for (const Section &s : m_sections)
        names << s.name;
    return names;
}

std::optional<SettingsFile::Entries> SettingsFile::section(const QString &name) const
{
    const Section *s = find(name);
    if (!s)
        return std::nullopt;
    Entries entries;
    for (const Line &l : s->lines)
        if (!l.key.isEmpty())
            entries.emplace_back(l.key, l.value);
    return entries;
}

int SettingsFile::lineOf(const QString &section, const QString &key) const
{
    if (const Section *s = find(section)) {
        for (const Line &l : s->lines)
            if (l.key.compare(key, Qt::CaseInsensitive) == 0)
                return l.number;
    }
    return 0;
}

QString SettingsFile::placeOf(const QString &section, const QString &key) const
{
    return located(m_path, lineOf(section, key));
}

void SettingsFile::setSection(const QString &name, const Entries &entries)
{
    auto it = std::find_if(m_sections.begin(), m_sections.end(),
                           [&](const Section &s) { return s.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (entries.empty()) {
        if (it != m_sections.end())
            m_sections.erase(it);
        return;
    }
    if (it == m_sections.end()) {
        m_sections.push_back(Section{name, QLatin1Char('[') + name + QLatin1Char(']'), 0, {}});
        it = m_sections.end() - 1;
    }
    // The section's own comments stay, and the blank lines that part it from the next.
    std::vector<Line> kept;
    std::vector<Line> trailing;
    for (const Line &l : it->lines) {
        if (!l.key.isEmpty())
            continue;
        (l.text.trimmed().isEmpty() ? trailing : kept).push_back(l);
        if (!l.text.trimmed().isEmpty()) {
            kept.insert(kept.end() - 1, trailing.begin(), trailing.end());
            trailing.clear();
        }
    }
    for (const auto &[key, value] : entries)
        kept.push_back(Line{key + QStringLiteral(" = ") + value, key, value, 0});
    kept.insert(kept.end(), trailing.begin(), trailing.end());
    it->lines = std::move(kept);
}

void SettingsFile::save() const
{
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath()))
        throw EngineError(QStringLiteral("Cannot make the folder %1.").arg(QDir::toNativeSeparators(info.absolutePath())));
    QString text;
    const auto add = [&text](const Line &l) { text += l.text + QLatin1Char('\n'); };
    for (const Line &l : m_preamble)
        add(l);
    for (const Section &s : m_sections) {
        if (s.number == 0 && !text.isEmpty() && !text.endsWith(QStringLiteral("\n\n")))
            text += QLatin1Char('\n'); // a new section stands apart
        text += s.header + QLatin1Char('\n');
        for (const Line &l : s.lines)
            add(l);
    }
    QSaveFile file(m_path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EngineError(QStringLiteral("Cannot write %1: %2.").arg(QDir::toNativeSeparators(m_path), WriteFailure::reason(file)));
}

} // namespace engine
