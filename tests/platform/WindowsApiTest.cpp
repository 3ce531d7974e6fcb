#include "platform/WindowsApi.h"

#include "support/TestWinePrefix.h"
#include "support/RecordingMessagePresenter.h"

#include <QFile>

#include <gtest/gtest.h>

#include <unistd.h>

#include <ostream>

using namespace platform;
using testsupport::currentVersionKey;
using testsupport::RecordingMessagePresenter;
using testsupport::TestWinePrefix;

namespace {

constexpr const char *currentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

class WindowsApiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        prefix.writeSystemReg(currentVersionKey("\"ProgramFilesDir\"=\"C:\\\\Program Files\"\n"
                                                "\"Accented\"=\"Caf\xC3\xA9\"\n"
                                                "\"NoNul\"=hex(1):43,00,3a,00\n"
                                                "\"Number\"=dword:00000102\n"
                                                "\"Expand\"=str(2):\"%ProgramFiles%\"")
                              + currentVersionKey("\"ProgramFilesDir\"=\"C:\\\\Program Files (x86)\"",
                                                  "Software\\\\Wow6432Node"));
        api = prefix.api(presenter);
    }

    HKEY open(const char *path = currentVersion, REGSAM sam = KEY_READ)
    {
        HKEY key = 0;
        EXPECT_EQ(api->RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, &key), ERROR_SUCCESS);
        return key;
    }

    TestWinePrefix prefix;
    std::shared_ptr<RecordingMessagePresenter> presenter = std::make_shared<RecordingMessagePresenter>();
    std::unique_ptr<WindowsApi> api;
};

struct QueryRow {
    const char *name;
    const char *value;
    REGSAM sam;
    DWORD bufferSize;
    LONG code;
    DWORD type;
    QByteArray data; // also the size reported
};

void PrintTo(const QueryRow &row, std::ostream *os) { *os << row.name; }

class RegistryQuery : public WindowsApiTest, public ::testing::WithParamInterface<QueryRow> {};

TEST_P(RegistryQuery, ReportsCodesAndBytesAsWindows)
{
    const QueryRow &row = GetParam();
    const HKEY key = open(currentVersion, row.sam);
    QByteArray buffer(qsizetype(row.bufferSize), '#');
    DWORD type = REG_SZ;
    DWORD size = row.bufferSize;
    EXPECT_EQ(api->RegQueryValueExA(key, row.value, nullptr, &type, reinterpret_cast<BYTE *>(buffer.data()), &size), row.code);
    if (row.code == ERROR_FILE_NOT_FOUND)
        return;
    EXPECT_EQ(size, DWORD(row.data.size()));
    EXPECT_EQ(type, row.type);
    if (row.code == ERROR_SUCCESS) {
        EXPECT_EQ(buffer.left(row.data.size()).toHex(' '), row.data.toHex(' '));
    }
    EXPECT_EQ(api->RegCloseKey(key), ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryQuery,
    ::testing::Values(
        QueryRow{"ThirtyTwoBitViewByDefault", "ProgramFilesDir", KEY_READ, 255, ERROR_SUCCESS, REG_SZ,
                 QByteArray("C:\\Program Files (x86)", 23)},
        QueryRow{"SixtyFourBitView", "ProgramFilesDir", KEY_READ | KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_SZ,
                 QByteArray("C:\\Program Files", 17)},
        QueryRow{"ExactFit", "ProgramFilesDir", KEY_WOW64_64KEY, 17, ERROR_SUCCESS, REG_SZ,
                 QByteArray("C:\\Program Files", 17)},
        QueryRow{"OneByteShort", "ProgramFilesDir", KEY_WOW64_64KEY, 16, ERROR_MORE_DATA, REG_SZ,
                 QByteArray("C:\\Program Files", 17)},
        QueryRow{"AnsiBytes", "Accented", KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_SZ, QByteArray("Caf\xE9", 5)},
        QueryRow{"StoredWithoutNul", "NoNul", KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_SZ, QByteArray("C:", 2)},
        QueryRow{"TypeNotConverted", "Number", KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_DWORD, QByteArray("\x02\x01\0\0", 4)},
        QueryRow{"NotExpanded", "Expand", KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_EXPAND_SZ,
                 QByteArray("%ProgramFiles%", 15)},
        QueryRow{"NameIgnoresCase", "PROGRAMFILESDIR", KEY_WOW64_64KEY, 255, ERROR_SUCCESS, REG_SZ,
                 QByteArray("C:\\Program Files", 17)},
        QueryRow{"Missing", "Nope", KEY_READ, 255, ERROR_FILE_NOT_FOUND, REG_SZ, QByteArray()}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(WindowsApiTest, SizeOnlyWithoutBuffer)
{
    const HKEY key = open(currentVersion, KEY_WOW64_64KEY);
    DWORD size = 0;
    EXPECT_EQ(api->RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 17u);
    api->RegCloseKey(key);
}

TEST_F(WindowsApiTest, HandlesBelongToTheirOpen)
{
    const HKEY key = open();
    HKEY sub = 0;
    EXPECT_EQ(api->RegOpenKeyExA(key, "", 0, KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_NE(sub, key);
    EXPECT_EQ(api->RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(api->RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api->RegCloseKey(0), ERROR_INVALID_HANDLE);
    DWORD size = 0;
    EXPECT_EQ(api->RegQueryValueExA(key, "ProgramFilesDir", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(api->RegQueryValueExA(sub, "ProgramFilesDir", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(api->RegCloseKey(sub), ERROR_SUCCESS);

    // Another object's handles are not ours.
    const HKEY foreign = open();
    const std::unique_ptr<WindowsApi> other = prefix.api(presenter);
    EXPECT_EQ(other->RegCloseKey(foreign), ERROR_INVALID_HANDLE);
}

TEST_F(WindowsApiTest, OpenReadsTheFileAfreshAndKeepsWhatItOpened)
{
    const HKEY before = open();
    prefix.writeSystemReg(currentVersionKey("\"ProgramFilesDir\"=\"D:\\\\Apps\""), false);
    const HKEY after = open();
    DWORD size = 0;
    EXPECT_EQ(api->RegQueryValueExA(before, "ProgramFilesDir", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 23u);
    EXPECT_EQ(api->RegQueryValueExA(after, "ProgramFilesDir", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 8u);
}

struct OpenFailureRow {
    const char *name;
    QByteArray systemReg; // empty: no file
    const char *path;
};

void PrintTo(const OpenFailureRow &row, std::ostream *os) { *os << row.name; }

class RegistryOpenFailure : public WindowsApiTest, public ::testing::WithParamInterface<OpenFailureRow> {};

TEST_P(RegistryOpenFailure, CannotOpen)
{
    QFile::remove(prefix.path() + QStringLiteral("/system.reg"));
    if (!GetParam().systemReg.isEmpty())
        prefix.writeRaw(QStringLiteral("system.reg"), GetParam().systemReg);
    HKEY key = 0x1234;
    EXPECT_EQ(api->RegOpenKeyExA(HKEY_LOCAL_MACHINE, GetParam().path, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RegistryOpenFailure,
    ::testing::Values(OpenFailureRow{"NoFile", QByteArray(), currentVersion},
                      OpenFailureRow{"Garbage", QByteArray("\x00\x01garbage\n[Software]\n", 19), currentVersion},
                      OpenFailureRow{"TruncatedHeader", QByteArray("WINE REGIS"), currentVersion},
                      OpenFailureRow{"MissingKey", QByteArray("WINE REGISTRY Version 2\n[Software] 1\n"), currentVersion}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(WindowsApiTest, NoPrefixOpensNothing)
{
    WindowsApi bare(WindowsApi::Options{QString(), presenter, {}});
    HKEY key = 0;
    EXPECT_EQ(bare.RegOpenKeyExA(HKEY_LOCAL_MACHINE, currentVersion, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

// --- GetPrivateProfileStringA

struct ProfileRow {
    const char *name;
    const char *section;
    const char *key;
    const char *defaultValue;
    DWORD size;
    QByteArray expected;
};

void PrintTo(const ProfileRow &row, std::ostream *os) { *os << row.name; }

class ProfileCall : public WindowsApiTest, public ::testing::WithParamInterface<ProfileRow> {
protected:
    void SetUp() override
    {
        WindowsApiTest::SetUp();
        static const char nulInValue[] = "NUL=Jane\0Roe\r\n";
        prefix.writeRaw(QStringLiteral("drive_c/Program Files/Tovrel/Client/ARYSFT.INI"),
                        "[FIELDS]\r\nSFTCLK=Jane Roe\r\nSFTCTY=Sp\xE9" "cial\r\nEMPTY=\r\n"
                            + QByteArray(nulInValue, sizeof nulInValue - 1));
    }
};

TEST_P(ProfileCall, CopiesValueOrDefault)
{
    const ProfileRow &row = GetParam();
    QByteArray buffer(qMax<qsizetype>(row.size, 1) + 1, '#');
    const DWORD n = api->GetPrivateProfileStringA(row.section, row.key, row.defaultValue, buffer.data(), row.size,
                                                  "c:\\program files\\TOVREL\\client\\arysft.ini");
    EXPECT_EQ(n, DWORD(row.expected.size()));
    if (row.size > 0) {
        EXPECT_EQ(QByteArray(buffer.constData()), row.expected);
    } else {
        EXPECT_EQ(buffer[0], '#');
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileCall,
    ::testing::Values(ProfileRow{"Found", "FIELDS", "SFTCLK", "", 8192, "Jane Roe"},
                      ProfileRow{"NamesTrimmedOfSpaces", "  FIELDS ", " sftclk  ", "", 8192, "Jane Roe"},
                      ProfileRow{"AnsiBytes", "FIELDS", "SFTCTY", "", 8192, "Sp\xE9" "cial"},
                      ProfileRow{"EmptyValueBeatsDefault", "FIELDS", "EMPTY", "N", 8192, ""},
                      ProfileRow{"DefaultLosesTrailingSpaces", "FIELDS", "MISSING", " N \t  ", 8192, " N \t"},
                      ProfileRow{"MissingSection", "OTHER", "SFTCLK", "000000000", 8192, "000000000"},
                      ProfileRow{"NullDefault", "FIELDS", "MISSING", nullptr, 8192, ""},
                      ProfileRow{"ExactFit", "FIELDS", "SFTCLK", "", 9, "Jane Roe"},
                      ProfileRow{"CutToSizeLessOne", "FIELDS", "SFTCLK", "", 5, "Jane"},
                      ProfileRow{"DefaultCutToo", "FIELDS", "MISSING", "000000000", 4, "000"},
                      ProfileRow{"OnlyRoomForNul", "FIELDS", "SFTCLK", "", 1, ""},
                      ProfileRow{"NoRoomAtAll", "FIELDS", "SFTCLK", "", 0, ""},
                      // The bytes after a NUL in the file came along, past the end of the C string.
                      ProfileRow{"NulInTheFileEndsTheValue", "FIELDS", "NUL", "", 8192, "Jane"}),
    [](const auto &row) { return std::string(row.param.name); });

struct ProfileFileRow {
    const char *name;
    const char *fileName; // "@" stands for the prefix's Linux path
};

void PrintTo(const ProfileFileRow &row, std::ostream *os) { *os << row.name; }

class ProfileFiles : public WindowsApiTest, public ::testing::WithParamInterface<ProfileFileRow> {
protected:
    QByteArray read(const char *fileName)
    {
        const QByteArray name = QByteArray(fileName).replace('@', prefix.path().toLocal8Bit());
        QByteArray buffer(64, '#');
        const DWORD n = api->GetPrivateProfileStringA("S", "K", "default", buffer.data(), 64, name.constData());
        return buffer.left(n);
    }
};

TEST_P(ProfileFiles, FindsTheFile)
{
    prefix.writeRaw(QStringLiteral("drive_c/Data/A.INI"), "[S]\nK=found\n");
    prefix.writeRaw(QStringLiteral("drive_c/windows/WIN.INI"), "[S]\nK=found\n");
    EXPECT_EQ(read(GetParam().fileName), "found");
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileFiles,
                         ::testing::Values(ProfileFileRow{"WindowsPath", "C:\\Data\\A.INI"},
                                           ProfileFileRow{"OtherCaseAndSlashes", "c:/data/a.ini"},
                                           ProfileFileRow{"RootDriveOfLinux", "Z:@\\drive_c\\Data\\A.INI"},
                                           ProfileFileRow{"LinuxPath", "@/drive_c/Data/A.INI"},
                                           ProfileFileRow{"NoDriveMeansC", "\\Data\\A.INI"},
                                           ProfileFileRow{"BareNameInWindowsFolder", "win.ini"}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(ProfileFiles, DefaultWhenTheFileCannotBeRead)
{
    prefix.writeRaw(QStringLiteral("drive_c/Data/Folder.INI/inner"), "[S]\nK=x\n");
    EXPECT_EQ(read("C:\\Data\\Folder.INI"), "default");
    EXPECT_EQ(read("C:\\Missing\\A.INI"), "default");
    EXPECT_EQ(read("Q:\\A.INI"), "default");
    EXPECT_EQ(read(nullptr), "default");
    const QString locked = prefix.writeRaw(QStringLiteral("drive_c/Data/LOCKED.INI"), "[S]\nK=x\n");
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (::geteuid() != 0) { // root reads it anyway
        EXPECT_EQ(read("C:\\Data\\LOCKED.INI"), "default");
    }
    EXPECT_TRUE(presenter->messages.empty());
}

// --- GetModuleFileNameA, GetClassLongA, MessageBox

struct ModuleRow {
    const char *name;
    const char *executable;
    DWORD size;
    DWORD result;
    QByteArray expected;
};

void PrintTo(const ModuleRow &row, std::ostream *os) { *os << row.name; }

class ModuleFileName : public WindowsApiTest, public ::testing::WithParamInterface<ModuleRow> {};

TEST_P(ModuleFileName, ReturnsTheDosPath)
{
    const ModuleRow &row = GetParam();
    const std::unique_ptr<WindowsApi> withExe = prefix.api(presenter, QString::fromUtf8(row.executable));
    QByteArray buffer(qsizetype(row.size) + 1, '#');
    EXPECT_EQ(withExe->GetModuleFileNameA(0, buffer.data(), row.size), row.result);
    EXPECT_EQ(QByteArray(buffer.constData()), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ModuleFileName,
    ::testing::Values(ModuleRow{"Fits", "/usr/bin/korvajury", 260, 20, "Z:\\usr\\bin\\korvajury"},
                      ModuleRow{"ExactFit", "/usr/bin/korvajury", 21, 20, "Z:\\usr\\bin\\korvajury"},
                      ModuleRow{"CutReturnsSize", "/usr/bin/korvajury", 20, 20, "Z:\\usr\\bin\\korvajur"},
                      ModuleRow{"CutShort", "/usr/bin/korvajury", 4, 4, "Z:\\"},
                      ModuleRow{"AnsiName", "/opt/Caf\xC3\xA9/\xE2\x82\xAC\xC4\x80", 260, 14, "Z:\\opt\\Caf\xE9\\\x80?"},
                      ModuleRow{"Unknown", "", 260, 0, ""}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(WindowsApiTest, OnlyTheProcessModuleIsKnown)
{
    char buffer[16] = "unchanged";
    EXPECT_EQ(api->GetModuleFileNameA(0x400000, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(api->GetClassLongA(0, GCL_HMODULE), 0u);
}

TEST_F(WindowsApiTest, MessageBoxGoesToThePresenter)
{
    api->MessageBox(QStringLiteral("Calling .PrintReport..."));
    api->MessageBox(QStringLiteral("No record found."), QStringLiteral("Print an Envelope"));
    EXPECT_EQ(presenter->messages, (std::vector<RecordingMessagePresenter::Message>{
                                       {QString(), QStringLiteral("Calling .PrintReport...")},
                                       {QStringLiteral("Print an Envelope"), QStringLiteral("No record found.")}}));
    EXPECT_EQ(&api->presenter(), presenter.get());
}

TEST(WindowsApiEnvironment, PrefixFromWineprefixElseHome)
{
    const QByteArray savedPrefix = qgetenv("WINEPREFIX");
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("WINEPREFIX", "/srv/wine");
    EXPECT_EQ(WindowsApi::fromEnvironment(nullptr)->winePrefix(), QStringLiteral("/srv/wine"));
    qunsetenv("WINEPREFIX");
    qputenv("HOME", "/home/clerk");
    EXPECT_EQ(WindowsApi::fromEnvironment(nullptr)->winePrefix(), QStringLiteral("/home/clerk/.wine"));
    qputenv("HOME", savedHome);
    if (!savedPrefix.isNull())
        qputenv("WINEPREFIX", savedPrefix);
}

} // namespace
