// Printer profiles: the user's entry wins whole, a damaged file is named with its
// line and never changed, and saving keeps the rest of the user's file.
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/print/PrinterProfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using engine::PrinterProfile;
using engine::PrinterProfiles;
using ::testing::HasSubstr;

namespace {

class PrinterProfilesTest : public ::testing::Test {
protected:
    void write(const QString &path, const QByteArray &text)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir m_dir;
    PrinterProfiles::Files m_files{m_dir.filePath(QStringLiteral("etc/printers.conf")),
                                  m_dir.filePath(QStringLiteral("home/korva-envelope/printers.conf"))};
};

TEST_F(PrinterProfilesTest, TheUsersEntryWinsWholeAndOthersComeFromTheSystem)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("etc"))));
    write(m_files.system, "[HP4250]\noffset-x = 0.1\nsource = tray-1\n[Lobby]\nrotate = 180\n");
    const PrinterProfiles profiles(m_files);
    profiles.save(QStringLiteral("hp4250"), PrinterProfile{-0.05, 0.02, 0, {}, {}, {}});

    const PrinterProfile mine = profiles.profile(QStringLiteral("HP4250"));
    EXPECT_DOUBLE_EQ(mine.offsetXInches, -0.05);
    EXPECT_DOUBLE_EQ(mine.offsetYInches, 0.02);
    EXPECT_EQ(mine.source, QString()) << "the system's source must not leak into the user's entry";
    EXPECT_EQ(mine.storedIn, m_files.user);
    EXPECT_EQ(profiles.profile(QStringLiteral("Lobby")).rotation, 180);
    EXPECT_TRUE(profiles.profile(QStringLiteral("Other")).storedIn.isEmpty());

    profiles.save(QStringLiteral("HP4250"), PrinterProfile()); // --reset
    EXPECT_DOUBLE_EQ(profiles.profile(QStringLiteral("HP4250")).offsetXInches, 0.1);
}

TEST_F(PrinterProfilesTest, SavingKeepsCommentsAndOtherPrinters)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("home/korva-envelope"))));
    write(m_files.user, "; my printers\n[Front]\n# the desk one\noffset-x = 0.03\n\n[Back]\nrotate = 180\n");
    const PrinterProfiles profiles(m_files);
    profiles.save(QStringLiteral("Front"), PrinterProfile{0.04, -0.01, 180, QStringLiteral("envelope-feeder"), {}, {}});
    EXPECT_EQ(read(m_files.user), QByteArray("; my printers\n[Front]\n# the desk one\noffset-x = 0.04\noffset-y = -0.01\n"
                                            "rotate = 180\nsource = envelope-feeder\n\n[Back]\nrotate = 180\n"));
}

struct DamagedCase {
    const char *name;
    QByteArray text;
    const char *message; // with the file's name before it
};

void PrintTo(const DamagedCase &c, std::ostream *os) { *os << c.name; }

class DamagedProfileFile : public PrinterProfilesTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedProfileFile, IsNamedWithItsLineAndLeftUnchanged)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath(QStringLiteral("home/korva-envelope"))));
    write(m_files.user, GetParam().text);
    const PrinterProfiles profiles(m_files);
    for (const auto &attempt : {std::function<void()>([&] { profiles.profile(QStringLiteral("Q")); }),
                                std::function<void()>([&] { profiles.save(QStringLiteral("Other"), PrinterProfile{0.1, 0, 0, {}, {}, {}}); })}) {
        try {
            attempt();
            ADD_FAILURE() << "the damaged file was accepted";
        } catch (const engine::EngineError &e) {
            EXPECT_THAT(e.message().toStdString(), HasSubstr(m_files.user.toStdString()));
            EXPECT_THAT(e.message().toStdString(), HasSubstr(GetParam().message));
        }
    }
    EXPECT_EQ(read(m_files.user), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    PrinterProfiles, DamagedProfileFile,
    ::testing::Values(DamagedCase{"OffsetNotANumber", "[Q]\noffset-x = 0,05\n", "line 2: offset-x = \"0,05\" is not a number of inches"},
                      DamagedCase{"RotateNot0Or180", "[Q]\n\nrotate = 90\n", "line 3: rotate = \"90\" is not 0 or 180"},
                      DamagedCase{"UnknownKey", "[Q]\noffset = 1\n", "line 2: \"offset\" is no printer setting"},
                      DamagedCase{"NotAKeyValueLine", "[Q]\noffset-x 0.1\n", "line 2: \"offset-x 0.1\" is not a \"key = value\" line"},
                      DamagedCase{"UnclosedSection", "[Q\n", "line 1: \"[Q\" is not a section line"},
                      DamagedCase{"KeyBeforeAnySection", "rotate = 0\n", "line 1: \"rotate = 0\" stands before any [section]"},
                      DamagedCase{"KeyTwice", "[Q]\nrotate = 0\nrotate = 180\n", "line 3: rotate was already given in [Q]"},
                      DamagedCase{"SectionTwice", "[Q]\n[q]\n", "line 2: the section [q] was already given"},
                      DamagedCase{"BinaryFile", QByteArray("[Q]\n\0\x01", 6), "holds NUL bytes"}),
    [](const auto &param) { return std::string(param.param.name); });

} // namespace
