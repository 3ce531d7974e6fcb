// The Windows calls over a damaged Wine prefix, as an office machine can have
// one: system.reg and the settings files missing, unreadable, truncated, binary,
// with NUL bytes or a 10 MB line. Each gives the documented fallback, or the
// default or a truncated value, in bounded time, and leaves the file as it was;
// a host program printing over such a prefix still prints.
#include "folders_settings/modFolderFunctions.h"
#include "platform/WindowsApi.h"
#include "support/EnvelopeProcess.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::WinePrefixFixture;

constexpr qint64 boundMs = 30000; // generous for the sanitizer build; a hang takes far longer

enum class Damage {
    Bytes,      // the file holds the row's bytes
    Missing,    // there is no file
    Folder,     // a folder has its name
    Unreadable, // the intact file, mode 000, read by an unprivileged user
};

// Root reads any file: a check of an unreadable one runs as nobody in a child
// process, and its outcome comes back as the exit status.
bool asReader(Damage damage, const std::function<bool()> &check)
{
    if (damage != Damage::Unreadable || ::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool ok = ::setgroups(0, nullptr) == 0 && ::setgid(testsupport::nobody) == 0
            && ::setuid(testsupport::nobody) == 0 && check();
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// A file's bytes, mode and time: what a reader must leave alone.
struct FileState {
    explicit FileState(const QString &path)
    {
        const QFileInfo info(path);
        exists = info.exists();
        permissions = info.permissions();
        modified = info.lastModified();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            bytes = f.readAll();
    }
    bool operator==(const FileState &) const = default;

    bool exists;
    QFileDevice::Permissions permissions;
    QDateTime modified;
    QByteArray bytes;
};

class DamagedPrefix : public ::testing::Test {
protected:
    DamagedPrefix() : prefix("C:\\\\Programs")
    {
        // Reachable by the unprivileged reader.
        QFile::setPermissions(prefix.path(), QFile::permissions(prefix.path()) | QFileDevice::ReadOther | QFileDevice::ExeOther);
    }

    // Puts the damaged file at path (below the prefix); the intact bytes go into an unreadable one.
    void damage(const QString &path, Damage how, const QByteArray &bytes, const QByteArray &intact) const
    {
        const QString file = prefix.path() + QLatin1Char('/') + path;
        QFile::remove(file);
        switch (how) {
        case Damage::Bytes: prefix.writeRaw(path, bytes); break;
        case Damage::Missing: break;
        case Damage::Folder: ASSERT_TRUE(QDir().mkpath(file)); break;
        case Damage::Unreadable:
            prefix.writeRaw(path, intact);
            ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::Permissions()));
            break;
        }
    }

    std::unique_ptr<platform::WindowsApi> api() const
    {
        return prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>());
    }

    WinePrefixFixture prefix;
};

const QByteArray header = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
const QByteArray key = testsupport::currentVersionKey("\"ProgramFilesDir\"=\"C:\\\\Programs\"");
const QString read = QStringLiteral("C:\\Programs\\Tovrel Associates, Ltd");
const QString fallback = QStringLiteral("C:\\Program Files\\Tovrel Associates, Ltd");

struct RegistryRow {
    const char *name;
    Damage damage;
    QByteArray bytes;
    bool valueRead; // else the fallback folder
};

void PrintTo(const RegistryRow &row, std::ostream *os) { *os << row.name; }

class DamagedSystemReg : public DamagedPrefix, public ::testing::WithParamInterface<RegistryRow> {};

TEST_P(DamagedSystemReg, GivesTheFolderOrTheFallbackAndLeavesTheFile)
{
    const RegistryRow &row = GetParam();
    damage(QStringLiteral("system.reg"), row.damage, row.bytes, header + key);
    const FileState before(prefix.path() + QStringLiteral("/system.reg"));
    const QString expected = row.valueRead ? read : fallback;

    QElapsedTimer timer;
    timer.start();
    QString found;
    EXPECT_TRUE(asReader(row.damage, [&] {
        const auto windows = api();
        found = folders::modFolderFunctions(*windows).GetCompanyFolder();
        return found == expected;
    })) << "got " << qPrintable(found) << ", expected " << qPrintable(expected);
    EXPECT_LT(timer.elapsed(), boundMs);

    EXPECT_TRUE(FileState(prefix.path() + QStringLiteral("/system.reg")) == before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedSystemReg,
    ::testing::Values(
        RegistryRow{"Intact", Damage::Bytes, header + key, true},
        RegistryRow{"Missing", Damage::Missing, {}, false},
        RegistryRow{"FolderInItsPlace", Damage::Folder, {}, false},
        RegistryRow{"Unreadable", Damage::Unreadable, {}, false},
        RegistryRow{"Empty", Damage::Bytes, QByteArray(), false},
        RegistryRow{"TruncatedInTheHeader", Damage::Bytes, header.left(10), false},
        RegistryRow{"TruncatedInTheKeyLine", Damage::Bytes, header + key.left(20), false},
        RegistryRow{"TruncatedInTheValue", Damage::Bytes, header + key.left(key.indexOf("Programs\"")), false},
        RegistryRow{"Garbage", Damage::Bytes, randomBytes(1 << 16, 7), false},
        RegistryRow{"GarbageAfterTheHeader", Damage::Bytes, header + randomBytes(1 << 16, 8), false},
        RegistryRow{"NulBytesBeforeTheKey", Damage::Bytes, header + QByteArray(4096, '\0') + "\n" + key, true},
        RegistryRow{"TenMegabyteLineBeforeTheKey", Damage::Bytes, header + QByteArray(10 << 20, 'x') + "\n" + key, true},
        // Found by hand: every parent of a key was stored whole, memory quadratic in the depth.
        RegistryRow{"TenMegabyteKeyPath", Damage::Bytes, header + "[" + QByteArray("a\\\\").repeated((10 << 20) / 3) + "]\n" + key,
                    true},
        // Found by hand: a value continued over many lines was copied whole for each line.
        RegistryRow{"TenMegabyteHexValue", Damage::Bytes,
                    header + key.chopped(1) + "\"Blob\"=hex:" + QByteArray("00,\\\n").repeated(2 << 20) + "00\n", true}),
    [](const auto &row) { return std::string(row.param.name); });

const QString settingsFile = QStringLiteral("C:\\Program Files\\Tovrel Associates, Ltd\\Common Files\\Tables\\Client\\JURSFT.INI");
const QByteArray intactSettings = "[FIELDS]\r\nSFTCO=Ferren\r\n";
const char nulInValue[] = "[FIELDS]\r\nSFTCO=Fer\0ren\r\n";

struct SettingsRow {
    const char *name;
    Damage damage;
    QByteArray bytes;
    QByteArray expected; // what GetPrivateProfileStringA copies, the default is "dflt"
};

void PrintTo(const SettingsRow &row, std::ostream *os) { *os << row.name; }

class DamagedSettingsFile : public DamagedPrefix, public ::testing::WithParamInterface<SettingsRow> {};

TEST_P(DamagedSettingsFile, GivesTheValueTheDefaultOrATruncatedValueAndLeavesTheFile)
{
    const SettingsRow &row = GetParam();
    const QString relative = QStringLiteral("drive_c/Program Files/Tovrel Associates, Ltd/Common Files/Tables/Client/JURSFT.INI");
    damage(relative, row.damage, row.bytes, intactSettings);
    const FileState before(prefix.path() + QLatin1Char('/') + relative);

    QElapsedTimer timer;
    timer.start();
    QByteArray got;
    EXPECT_TRUE(asReader(row.damage, [&] {
        const auto windows = api();
        QByteArray buffer(8192, '*'); // the size the settings module asks with
        const platform::DWORD n = windows->GetPrivateProfileStringA("FIELDS", "SFTCO", "dflt", buffer.data(),
                                                                    platform::DWORD(buffer.size()),
                                                                    settingsFile.toLatin1().constData());
        got = buffer.left(qsizetype(n));
        return got == row.expected && buffer.at(qsizetype(n)) == '\0';
    })) << "got " << got.left(80).toStdString() << " (" << got.size() << " bytes)";
    EXPECT_LT(timer.elapsed(), boundMs);

    EXPECT_TRUE(FileState(prefix.path() + QLatin1Char('/') + relative) == before);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedSettingsFile,
    ::testing::Values(
        SettingsRow{"Intact", Damage::Bytes, intactSettings, "Ferren"},
        SettingsRow{"Missing", Damage::Missing, {}, "dflt"},
        SettingsRow{"FolderInItsPlace", Damage::Folder, {}, "dflt"},
        SettingsRow{"Unreadable", Damage::Unreadable, {}, "dflt"},
        SettingsRow{"Binary", Damage::Bytes, randomBytes(1 << 16, 11), "dflt"},
        SettingsRow{"BinaryAroundTheSection", Damage::Bytes,
                    randomBytes(1 << 16, 12) + "\r\n" + intactSettings + randomBytes(1 << 16, 13), "Ferren"},
        // Found by hand: the bytes after the NUL came along, a C string the caller could not read as one.
        SettingsRow{"NulInTheValue", Damage::Bytes, QByteArray(nulInValue, sizeof nulInValue - 1), "Fer"},
        SettingsRow{"NulBytesBeforeTheSection", Damage::Bytes, QByteArray(4096, '\0') + "\r\n" + intactSettings, "Ferren"},
        // Windows keeps the length in 16 bits: 10 MB and 9,000 characters give 9,000, cut to the buffer.
        SettingsRow{"TenMegabyteValue", Damage::Bytes, "[FIELDS]\r\nSFTCO=" + QByteArray((10 << 20) + 9000, 'x') + "\r\n",
                    QByteArray(8191, 'x')},
        SettingsRow{"TenMegabyteLineBeforeTheSection", Damage::Bytes, QByteArray(10 << 20, 'x') + "\r\n" + intactSettings,
                    "Ferren"}),
    [](const auto &row) { return std::string(row.param.name); });

// The circuit clerk's program over a settings file with damaged lines: it prints
// what it can read, never crashes or hangs.
struct HostRow {
    const char *name;
    QByteArray clerkLine; // the SFTCLK line's value
};

void PrintTo(const HostRow &row, std::ostream *os) { *os << row.name; }

class DamagedHostSettings : public ::testing::TestWithParam<HostRow> {};

TEST_P(DamagedHostSettings, HostProgramStillPrints)
{
    const HostRow &row = GetParam();
    const WinePrefixFixture prefix;
    prefix.writeSettings(QStringLiteral("ARYSFT.INI"), "[FIELDS]\r\nSFTFLG8=Y\r\nSFTCLK=" + row.clerkLine
                                                           + "\r\nSFTCO=Ferren\r\nSFTSTR=1 Main\r\nSFTCTY=Ferren\r\nSFTSTA=AK\r\n"
                                                             "SFTZIP=99501\r\n");
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QStringList variables{QStringLiteral("WINEPREFIX=") + prefix.path(), QStringLiteral("XDG_RUNTIME_DIR=") + work.path()};
    testsupport::EnvelopeProcess host(work.path(), variables);
    host.setExecutable(testsupport::installEnvelopeAs(work.path(), QStringLiteral("KorvaMain")));

    const testsupport::EnvelopeRun run = host.run({QStringLiteral("--pdf"), work.filePath(QStringLiteral("out.pdf"))});

    ASSERT_TRUE(run.finished) << "still running after the timeout";
    EXPECT_FALSE(run.crashed) << qPrintable(run.stdErr);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.stdErr);
    EXPECT_GT(QFileInfo(work.filePath(QStringLiteral("out.pdf"))).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, DamagedHostSettings,
                         ::testing::Values(HostRow{"NulInTheName", QByteArray("Marta\0 Ilves", 12)},
                                           HostRow{"TenMegabyteName", QByteArray(10 << 20, 'M')},
                                           HostRow{"BinaryName", randomBytes(4096, 21).replace('\n', ' ').replace('\r', ' ')}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
