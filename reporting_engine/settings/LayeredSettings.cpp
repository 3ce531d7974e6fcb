#include "reporting_engine/settings/LayeredSettings.h"

#include <QDir>

namespace engine {

LayeredSettings::Files LayeredSettings::standardFiles(const QString &folder, const QString &fileName)
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    const QString inFolder = QLatin1Char('/') + folder + QLatin1Char('/') + fileName;
    return Files{QStringLiteral("/etc") + inFolder, config + inFolder};
}

SettingsFile LayeredSettings::readChecked(const QString &path, const Check &check)
{
    SettingsFile file = SettingsFile::read(path);
    for (const QString &section : file.sections())
        check(file, section, *file.section(section));
    return file;
}

std::optional<LayeredSettings::Entry> LayeredSettings::find(const Files &files, const QStringList &sections, const Check &check)
{
    const SettingsFile system = readChecked(files.system, check);
    const SettingsFile user = readChecked(files.user, check);
    for (const QString &name : sections) {
        if (auto entries = user.section(name))
            return Entry{user, name, std::move(*entries)};
        if (auto entries = system.section(name))
            return Entry{system, name, std::move(*entries)};
    }
    return std::nullopt;
}

} // namespace engine
