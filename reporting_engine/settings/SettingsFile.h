#pragma once

#include "reporting_engine/EngineExport.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace engine {

// One of our own INI files (printer profiles, mail settings): "[section]" lines,
// "key = value" lines, blank lines and comments starting with ';' or '#'. A line
// that is none of these is refused with the file and line named, so a damaged
// file is never half understood. Rewriting a section keeps the rest of the file,
// comments included, and the file is replaced whole or not at all.
class ENGINE_EXPORT SettingsFile {
public:
    using Entries = std::vector<std::pair<QString, QString>>; // key, value, in file order

    // A missing file reads as empty; an unreadable or damaged one throws EngineError.
    static SettingsFile read(const QString &path);
    // The same for text already in hand; path names it in errors.
    static SettingsFile parse(const QString &path, const QByteArray &text);

    const QString &path() const { return m_path; }
    QStringList sections() const;
    // The section's entries, or nothing when the file has no such section.
    std::optional<Entries> section(const QString &name) const;
    // The line a key of a section stands on, for messages about its value (0: none).
    int lineOf(const QString &section, const QString &key) const;
    // "FILE line N", where every message about a value starts.
    QString placeOf(const QString &section, const QString &key) const;

    // Replaces the section's entries (added at the end when new); empty entries remove it.
    void setSection(const QString &name, const Entries &entries);
    // Writes the file atomically, making its folder when missing. Throws EngineError.
    void save() const;

private:
    struct Line {
        QString text;    // as written (kept for comments and blank lines)
        QString key;     // empty for a comment, blank or section line
        QString value;
        int number = 0;  // line number in the file as read; 0 for new lines
    };
    struct Section {
        QString name;
        QString header;
        int number = 0;
        std::vector<Line> lines;
    };

    const Section *find(const QString &name) const;

    QString m_path;
    std::vector<Line> m_preamble; // comments before the first section
    std::vector<Section> m_sections;
};

} // namespace engine
