#include "reporting_engine/print/PrinterProfiles.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/settings/LayeredSettings.h"
#include "reporting_engine/settings/SettingsFile.h"


#include <cmath>

namespace engine {
namespace {

const QString fileName = QStringLiteral("printers.conf");
const QString keyOffsetX = QStringLiteral("offset-x");
const QString keyOffsetY = QStringLiteral("offset-y");
const QString keyRotate = QStringLiteral("rotate");
const QString keySource = QStringLiteral("source");
const QString keyMediaType = QStringLiteral("media-type");

QString valueError(const SettingsFile &file, const QString &queue, const QString &key, const QString &value, const char *what)
{
    return QStringLiteral("%1: %2 = \"%3\" is not %4.").arg(file.placeOf(queue, key), key, value, QLatin1String(what));
}

PrinterProfile fromEntries(const SettingsFile &file, const QString &queue, const SettingsFile::Entries &entries)
{
    PrinterProfile p;
    p.storedIn = file.path();
    for (const auto &[key, value] : entries) {
        if (key == keyOffsetX || key == keyOffsetY) {
            bool ok = false;
            const double inches = value.toDouble(&ok);
            if (!ok || !std::isfinite(inches))
                throw EngineError(valueError(file, queue, key, value, "a number of inches"));
            (key == keyOffsetX ? p.offsetXInches : p.offsetYInches) = inches;
        } else if (key == keyRotate) {
            if (value != QLatin1String("0") && value != QLatin1String("180"))
                throw EngineError(valueError(file, queue, key, value, "0 or 180"));
            p.rotation = value.toInt();
        } else if (key == keySource) {
            p.source = value;
        } else if (key == keyMediaType) {
            p.mediaType = value;
        } else {
            throw EngineError(QStringLiteral("%1: \"%2\" is no printer setting (offset-x, offset-y, rotate, source, media-type).")
                                  .arg(file.placeOf(queue, key), key));
        }
    }
    return p;
}

void check(const SettingsFile &file, const QString &queue, const SettingsFile::Entries &entries)
{
    fromEntries(file, queue, entries);
}

} // namespace

PrinterProfiles::Files PrinterProfiles::standardFiles(const QString &folder)
{
    return LayeredSettings::standardFiles(folder, fileName);
}

PrinterProfiles::PrinterProfiles(Files files) : m_files(std::move(files)) {}

PrinterProfile PrinterProfiles::profile(const QString &queue) const
{
    if (const auto entry = LayeredSettings::find(m_files, {queue}, check))
        return fromEntries(entry->file, queue, entry->entries);
    return PrinterProfile();
}

void PrinterProfiles::save(const QString &queue, const PrinterProfile &profile) const
{
    SettingsFile user = LayeredSettings::readChecked(m_files.user, check);
    SettingsFile::Entries entries;
    if (!profile.isEmpty()) {
        entries = {{keyOffsetX, QString::number(profile.offsetXInches)},
                   {keyOffsetY, QString::number(profile.offsetYInches)},
                   {keyRotate, QString::number(profile.rotation)}};
        if (!profile.source.isEmpty())
            entries.emplace_back(keySource, profile.source);
        if (!profile.mediaType.isEmpty())
            entries.emplace_back(keyMediaType, profile.mediaType);
    }
    user.setSection(queue, entries);
    user.save();
}

} // namespace engine
