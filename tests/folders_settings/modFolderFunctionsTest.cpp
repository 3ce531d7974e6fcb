#include "folders_settings/modFolderFunctions.h"

#include "support/TestWinePrefix.h"
#include "support/RecordingMessagePresenter.h"

#include <gtest/gtest.h>

#include <ostream>

using folders::modFolderFunctions;
using testsupport::currentVersionKey;
using testsupport::TestWinePrefix;

namespace {

const QString company = QStringLiteral("\\Tovrel Associates, Ltd");

struct FolderRow {
    const char *name;
    QByteArray systemReg; // empty: no file
    bool win64;
    QString programFiles;
};

void PrintTo(const FolderRow &row, std::ostream *os) { *os << row.name; }

class CompanyFolder : public ::testing::TestWithParam<FolderRow> {};

TEST_P(CompanyFolder, ReadsProgramFilesDir)
{
    const FolderRow &row = GetParam();
    TestWinePrefix prefix;
    if (!row.systemReg.isEmpty())
        prefix.writeSystemReg(row.systemReg, row.win64);
    const auto presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    const auto api = prefix.api(presenter);
    modFolderFunctions folders(*api);
    EXPECT_EQ(folders.GetCompanyFolder(), row.programFiles + company);
    EXPECT_EQ(folders.GetClientTablesFolder(), row.programFiles + company + QStringLiteral("\\Common Files\\Tables\\Client\\"));
    EXPECT_TRUE(presenter->messages.empty());
}

QByteArray value(const QByteArray &data) { return currentVersionKey("\"ProgramFilesDir\"=" + data); }

const QString fallback = QStringLiteral("C:\\Program Files");

INSTANTIATE_TEST_SUITE_P(
    Table, CompanyFolder,
    ::testing::Values(
        FolderRow{"Plain", value("\"C:\\\\Program Files\""), false, fallback},
        FolderRow{"ThirtyTwoBitView",
                  value("\"C:\\\\Program Files\"") + currentVersionKey("\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"",
                                                                       "Software\\\\Wow6432Node"),
                  true, QStringLiteral("C:\\Program Files (x86)")},
        FolderRow{"OtherDrive", value("\"D:\\\\Apps\""), false, QStringLiteral("D:\\Apps")},
        FolderRow{"Accented", value("\"D:\\\\Logiciels \xC3\xA9t\xC3\xA9\""), false, QStringLiteral("D:\\Logiciels \u00E9t\u00E9")},
        FolderRow{"TrailingBackslashKept", value("\"D:\\\\Apps\\\\\""), false, QStringLiteral("D:\\Apps\\")},
        FolderRow{"UnexpandedMarker", value("\"%ProgramFiles%\""), false, fallback},
        FolderRow{"UnexpandedMarkerAnyCase", value("str(2):\"%pRoGrAmFiLeS%\""), false, fallback},
        FolderRow{"MarkerFollowedByMoreKept", value("str(2):\"%ProgramFiles%\\\\x\""), false,
                  QStringLiteral("%ProgramFiles%\\x")},
        FolderRow{"Longest254", value("\"" + QByteArray(254, 'a') + "\""), false, QString(254, QLatin1Char('a'))},
        FolderRow{"Long255ReadWhole", value("\"" + QByteArray(255, 'b') + "\""), false, QString(255, QLatin1Char('b'))},
        FolderRow{"Long600ReadWhole", value("\"" + QByteArray(600, 'c') + "\""), false, QString(600, QLatin1Char('c'))},
        FolderRow{"WithoutNulKeepsLastChar", value("hex(1):44,00,3a,00,5c,00,41,00"), false, QStringLiteral("D:\\A")},
        FolderRow{"ZeroBytes", value("hex(1):"), false, fallback},
        FolderRow{"EmptyString", value("\"\""), false, fallback},
        FolderRow{"ValueMissing", currentVersionKey("\"CommonFilesDir\"=\"C:\\\\x\""), false, fallback},
        FolderRow{"KeyMissing", "[Software\\\\Other] 1\n\"ProgramFilesDir\"=\"D:\\\\x\"\n", false, fallback},
        FolderRow{"NoSystemReg", QByteArray(), false, fallback}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(CompanyFolder, GarbageRegistryFileGivesTheFallback)
{
    TestWinePrefix prefix;
    prefix.writeRaw(QStringLiteral("system.reg"), "\x7f" "ELF garbage\n[Software\\\\Microsoft]\n");
    const auto api = prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>());
    EXPECT_EQ(modFolderFunctions(*api).GetCompanyFolder(), fallback + company);
}

TEST(CompanyFolder, ReadsTheRegistryAfreshOnEveryCall)
{
    TestWinePrefix prefix;
    prefix.writeSystemReg(value("\"D:\\\\First\""), false);
    const auto api = prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>());
    modFolderFunctions folders(*api);
    EXPECT_EQ(folders.GetCompanyFolder(), QStringLiteral("D:\\First") + company);
    prefix.writeSystemReg(value("\"D:\\\\Second\""), false);
    EXPECT_EQ(folders.GetClientTablesFolder(), QStringLiteral("D:\\Second") + company + QStringLiteral("\\Common Files\\Tables\\Client\\"));
}

TEST(CompanyFolder, LeavesNoKeyOpen)
{
    TestWinePrefix prefix;
    prefix.writeSystemReg(value("\"D:\\\\Apps\""), false);
    const auto api = prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>());
    modFolderFunctions folders(*api);
    for (int i = 0; i < 3; ++i)
        folders.GetCompanyFolder();
    // Handles are handed out in order: the ones the calls used are closed.
    platform::HKEY probe = 0;
    ASSERT_EQ(api->RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, "Software", 0, platform::KEY_READ, &probe), platform::ERROR_SUCCESS);
    for (platform::HKEY earlier = probe - 4; earlier >= probe - 12; earlier -= 4)
        EXPECT_EQ(api->RegCloseKey(earlier), platform::ERROR_INVALID_HANDLE);
}

} // namespace
