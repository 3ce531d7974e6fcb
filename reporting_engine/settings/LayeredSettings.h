#pragma once

#include "reporting_engine/EngineExport.h"
#include "reporting_engine/settings/SettingsFile.h"

#include <QString>

#include <functional>
#include <optional>

namespace engine {

// One of our settings files as the system and the user each keep it: /etc/FOLDER/NAME and
// $XDG_CONFIG_HOME/FOLDER/NAME (default ~/.config). The user's entry for a section wins
// whole; the system's applies only when the user has none.
class ENGINE_EXPORT LayeredSettings {
public:
    struct Files {
        QString system;
        QString user;
    };
    static Files standardFiles(const QString &folder, const QString &fileName);

    // Checks one section's entries, throwing EngineError naming the file and line.
    using Check = std::function<void(const SettingsFile &file, const QString &section, const SettingsFile::Entries &entries)>;

    // The file with every section checked, so a damaged one is reported (and never
    // rewritten) whichever section is asked for.
    static SettingsFile readChecked(const QString &path, const Check &check);

    struct Entry {
        SettingsFile file; // the file the section was found in
        QString section;
        SettingsFile::Entries entries;
    };
    // The winning entry for the first of the sections either file has, in the order
    // given; nothing when neither has any. Both files are read and checked, so a damaged
    // one is reported whichever entry wins.
    static std::optional<Entry> find(const Files &files, const QStringList &sections, const Check &check);
};

} // namespace engine
