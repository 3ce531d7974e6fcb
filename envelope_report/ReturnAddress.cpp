#include "envelope_report/ReturnAddress.h"

#include "folders_settings/modFolderFunctions.h"
#include "folders_settings/modGetParentEXEPath.h"
#include "folders_settings/modINIFile.h"
#include "platform/WindowsApi.h"
#include "postal/codes/ZipCode.h"

namespace envelope {
namespace {

const QString crlf = QStringLiteral("\r\n");
const QString fieldsSection = QStringLiteral("FIELDS");

// Leading and trailing blanks only; a tab is part of the value.
QString trimSpaces(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && s.at(end - 1) == QLatin1Char(' '))
        --end;
    return s.mid(begin, end - begin);
}

} // namespace

ReturnAddress ReturnAddress::ofHost(platform::WindowsApi &api)
{
    folders::modGetParentEXEPath exePath(api);
    const QString hostName = exePath.GetParentEXEName().toUpper();

    if (hostName == QLatin1String("KORVAMAIN"))
        return LoadReturnAddress(api, QStringLiteral("ARYSFT"), QStringLiteral("SFTFLG8"), QStringLiteral("County Circuit Clerk"), true);
    if (hostName == QLatin1String("KORVAPROBATION"))
        return LoadReturnAddress(api, QStringLiteral("PRBSFT"), QStringLiteral("SFTFLG1"), QStringLiteral("County Probation"), false);
    if (hostName == QLatin1String("KORVAJURY")) {
        folders::modFolderFunctions folders(api);
        folders::modINIFile ini(api);
        const QString commissioner = ini.GetINIValue(folders.GetClientTablesFolder() + QStringLiteral("JURSFT.INI"), fieldsSection,
                                                     QStringLiteral("SFTCMM"), QStringLiteral("N"));
        return LoadReturnAddress(api, QStringLiteral("JURSFT"), QStringLiteral("SFTFLG1"), QStringLiteral("County Jury"),
                                 commissioner != QLatin1String("Y"));
    }
    if (hostName == QLatin1String("KORVAPUBLICDEFENDER"))
        return LoadReturnAddress(api, QStringLiteral("DEFSFT"), QStringLiteral("SFTRTNADR"), QStringLiteral("Public Defender"), true);
    api.MessageBox(QStringLiteral("Case Else; no return address."));
    return {};
}

ReturnAddress ReturnAddress::LoadReturnAddress(platform::WindowsApi &api, const QString &settingsBaseName, const QString &enablingKey,
                                               const QString &officeTitle, bool nameLineWanted)
{
    folders::modFolderFunctions folders(api);
    folders::modINIFile ini(api);
    const QString file = folders.GetClientTablesFolder() + settingsBaseName + QStringLiteral(".INI");
    const auto read = [&](const char *key, const QString &dflt = QString()) {
        return ini.GetINIValue(file, fieldsSection, QLatin1String(key), dflt);
    };

    ReturnAddress from;
    if (ini.GetINIValue(file, fieldsSection, enablingKey, QString()) != QLatin1String("Y"))
        return from;

    if (nameLineWanted) {
        from.name = trimSpaces(read("SFTCLK"));
        from.lines = trimSpaces(read("SFTCO")) + QLatin1Char(' ') + officeTitle + crlf;
    } else {
        from.name = trimSpaces(read("SFTCO")) + QLatin1Char(' ') + officeTitle;
    }
    from.lines += read("SFTSTR") + crlf;
    const QString zip = read("SFTZIP", QStringLiteral("000000000"));
    const QString city = read("SFTCTY");
    const QString state = read("SFTSTA");
    from.lines += city + QLatin1Char(' ') + state + QStringLiteral(", ") + postal::ZipCode::fromNumberText(zip).printed();
    return from;
}

} // namespace envelope
