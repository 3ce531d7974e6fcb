#include "platform/WinePathResolver.h"

#include "support/TestWinePrefix.h"

#include <gtest/gtest.h>

#include <ostream>

using platform::WinePathResolver;
using testsupport::TestWinePrefix;

namespace {

class WinePaths : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix.writeRaw(QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI"), "x");
        prefix.writeRaw(QStringLiteral("drive_c/Apps/Tool.exe"), "x");
    }
    QString clientFolder() const
    {
        return prefix.driveC() + QStringLiteral("/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client");
    }
    TestWinePrefix prefix;
};

struct ToLinuxRow {
    const char *name;
    const char *windowsPath;
    const char *expected; // below drive_c; nullptr: not found
};

void PrintTo(const ToLinuxRow &row, std::ostream *os) { *os << row.name; }

class WindowsToLinux : public WinePaths, public ::testing::WithParamInterface<ToLinuxRow> {};

TEST_P(WindowsToLinux, Resolves)
{
    const ToLinuxRow &row = GetParam();
    const std::optional<QString> found = WinePathResolver(prefix.path()).toLinuxPath(QString::fromUtf8(row.windowsPath));
    if (!row.expected) {
        EXPECT_FALSE(found) << qPrintable(found.value_or(QString()));
        return;
    }
    ASSERT_TRUE(found) << row.windowsPath;
    EXPECT_EQ(QFileInfo(*found).canonicalFilePath(), QFileInfo(prefix.driveC() + QString::fromUtf8(row.expected)).canonicalFilePath());
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsToLinux,
    ::testing::Values(
        ToLinuxRow{"Exact", "C:\\Program Files\\Tovrel Associates, Ltd\\Common Files\\Tables\\Client\\ARYSFT.INI",
                   "/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI"},
        ToLinuxRow{"MixedCase", "c:\\PROGRAM FILES\\tovrel associates, ltd\\COMMON files\\tables\\CLIENT\\arysft.ini",
                   "/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI"},
        ToLinuxRow{"ForwardAndDoubledSeparators", "C:/Apps//tool.EXE", "/Apps/Tool.exe"},
        ToLinuxRow{"DotAndDotDot", "C:\\Apps\\.\\..\\..\\Apps\\Tool.exe", "/Apps/Tool.exe"},
        ToLinuxRow{"DriveRoot", "C:\\", ""},
        ToLinuxRow{"Folder", "C:\\apps", "/Apps"},
        ToLinuxRow{"MissingFile", "C:\\Apps\\Other.exe", nullptr},
        ToLinuxRow{"FileUsedAsFolder", "C:\\Apps\\Tool.exe\\x", nullptr},
        ToLinuxRow{"MissingDrive", "D:\\Apps\\Tool.exe", nullptr},
        ToLinuxRow{"NoDrive", "\\Apps\\Tool.exe", nullptr},
        ToLinuxRow{"NotAPath", "", nullptr}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(WinePaths, ExactNameWinsOverOtherCases)
{
    prefix.writeRaw(QStringLiteral("drive_c/case/abc"), "lower");
    prefix.writeRaw(QStringLiteral("drive_c/case/ABC"), "upper");
    const WinePathResolver resolver(prefix.path());
    const auto nameOf = [&](const char16_t *path) {
        return QFileInfo(resolver.toLinuxPath(QStringView(path)).value_or(QString())).fileName();
    };
    EXPECT_EQ(nameOf(u"C:\\case\\ABC"), QStringLiteral("ABC"));
    EXPECT_EQ(nameOf(u"C:\\case\\abc"), QStringLiteral("abc"));
    EXPECT_EQ(nameOf(u"C:\\case\\Abc").compare(QStringLiteral("abc"), Qt::CaseInsensitive), 0);
}

TEST_F(WinePaths, NoPrefixResolvesNothing)
{
    EXPECT_FALSE(WinePathResolver(QString()).toLinuxPath(u"C:\\"));
    EXPECT_FALSE(WinePathResolver(prefix.path() + QStringLiteral("/missing")).toLinuxPath(u"C:\\"));
}

struct ToDosRow {
    const char *name;
    const char *linuxPath; // "@" stands for drive_c
    const char *expected;
};

void PrintTo(const ToDosRow &row, std::ostream *os) { *os << row.name; }

class LinuxToDos : public WinePaths, public ::testing::WithParamInterface<ToDosRow> {
protected:
    void SetUp() override
    {
        WinePaths::SetUp();
        // A second drive inside the first: the longer target must win.
        prefix.link(clientFolder(), QStringLiteral("t:"));
    }
};

TEST_P(LinuxToDos, NamesThePathAsWineShowsIt)
{
    const ToDosRow &row = GetParam();
    const QString path = QString::fromUtf8(row.linuxPath).replace(QLatin1Char('@'), prefix.driveC());
    EXPECT_EQ(WinePathResolver(prefix.path()).toDosPath(path), QString::fromUtf8(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, LinuxToDos,
    ::testing::Values(ToDosRow{"RootDrive", "/usr/bin/korvajury", "Z:\\usr\\bin\\korvajury"},
                      ToDosRow{"MissingFileStillNamed", "/no/such/folder/Tool", "Z:\\no\\such\\folder\\Tool"},
                      ToDosRow{"CleanedFirst", "/usr/./bin/../bin/korvajury", "Z:\\usr\\bin\\korvajury"},
                      ToDosRow{"PrefixDriveWins", "@/Apps/Tool.exe", "C:\\Apps\\Tool.exe"},
                      ToDosRow{"DriveRoot", "@", "C:\\"},
                      ToDosRow{"LongestTargetWins",
                               "@/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/ARYSFT.INI",
                               "T:\\ARYSFT.INI"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(WinePaths, PathOutsideEveryDriveUsesWinesUnixForm)
{
    QFile::remove(prefix.path() + QStringLiteral("/dosdevices/z:"));
    EXPECT_EQ(WinePathResolver(prefix.path()).toDosPath(QStringLiteral("/usr/bin/korvajury")),
              QStringLiteral("\\\\?\\unix\\usr\\bin\\korvajury"));
}

TEST_F(WinePaths, SymbolicLinkInFolderResolvedButNotFileName)
{
    QFile::link(prefix.driveC() + QStringLiteral("/Apps"), prefix.path() + QStringLiteral("/elsewhere"));
    QFile::link(prefix.driveC() + QStringLiteral("/Apps/Tool.exe"), prefix.driveC() + QStringLiteral("/Apps/korvajury"));
    const WinePathResolver resolver(prefix.path());
    EXPECT_EQ(resolver.toDosPath(prefix.path() + QStringLiteral("/elsewhere/Tool.exe")), QStringLiteral("C:\\Apps\\Tool.exe"));
    EXPECT_EQ(resolver.toDosPath(prefix.driveC() + QStringLiteral("/Apps/korvajury")), QStringLiteral("C:\\Apps\\korvajury"));
}

} // namespace
