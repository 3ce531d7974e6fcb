#include "folders_settings/modGetParentEXEPath.h"

#include "support/TestWinePrefix.h"
#include "support/RecordingMessagePresenter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

using folders::modGetParentEXEPath;
using testsupport::TestWinePrefix;

namespace {

struct NameRow {
    const char *name;
    QString executable; // Linux path; "@" stands for drive_c
    QString path;       // as GetParentEXEPath reports it
    QString programName;
};

void PrintTo(const NameRow &row, std::ostream *os) { *os << row.name; }

class HostName : public ::testing::TestWithParam<NameRow> {};

TEST_P(HostName, FromTheExecutable)
{
    const NameRow &row = GetParam();
    TestWinePrefix prefix;
    const auto presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    const auto api = prefix.api(presenter, QString(row.executable).replace(QLatin1Char('@'), prefix.driveC()));
    modGetParentEXEPath module(*api);
    const std::int32_t noWindow = 0;
    EXPECT_EQ(module.GetParentEXEPath(noWindow), row.path);
    EXPECT_EQ(module.GetParentEXEName(), row.programName);
    EXPECT_TRUE(presenter->messages.empty());
}

const QString longFolder = QString(300, QLatin1Char('d'));

INSTANTIATE_TEST_SUITE_P(
    Table, HostName,
    ::testing::Values(
        NameRow{"LinuxWithoutExtension", QStringLiteral("/usr/bin/korvajury"), QStringLiteral("Z:\\usr\\bin\\korvajury"),
                QStringLiteral("korvajury")},
        NameRow{"WindowsExe", QStringLiteral("@/Apps/Tool.exe"), QStringLiteral("C:\\Apps\\Tool.exe"), QStringLiteral("Tool")},
        NameRow{"CaseAsReported", QStringLiteral("@/Apps/tool.EXE"), QStringLiteral("C:\\Apps\\tool.EXE"), QStringLiteral("tool")},
        NameRow{"LastDotCounts", QStringLiteral("@/Apps/My.Tool.exe"), QStringLiteral("C:\\Apps\\My.Tool.exe"),
                QStringLiteral("My.Tool")},
        NameRow{"DotOnlyInFolder", QStringLiteral("@/My.Apps/Tool"), QStringLiteral("C:\\My.Apps\\Tool"), QStringLiteral("Tool")},
        NameRow{"OnlyAnExtension", QStringLiteral("@/Apps/.exe"), QStringLiteral("C:\\Apps\\.exe"), QString()},
        NameRow{"AnsiName", QStringLiteral("/opt/Korva\u00C9t\u00E9.exe"), QStringLiteral("Z:\\opt\\Korva\u00C9t\u00E9.exe"),
                QStringLiteral("Korva\u00C9t\u00E9")},
        NameRow{"LongerThan260NotCut", QStringLiteral("/") + longFolder + QStringLiteral("/KorvaMain.exe"),
                QStringLiteral("Z:\\") + longFolder + QStringLiteral("\\KorvaMain.exe"), QStringLiteral("KorvaMain")}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(HostName, UnknownExecutableIsAClearError)
{
    TestWinePrefix prefix;
    const auto api = prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>(), QString());
    modGetParentEXEPath module(*api);
    EXPECT_EQ(module.GetParentEXEPath(0), QString());
    try {
        module.GetParentEXEName();
        FAIL() << "no error";
    } catch (const std::invalid_argument &error) {
        EXPECT_NE(std::string(error.what()).find("executable"), std::string::npos) << error.what();
    }
}

TEST(HostName, TheRunningProgramByDefault)
{
    TestWinePrefix prefix;
    platform::WindowsApi api({prefix.path(), std::make_shared<testsupport::RecordingMessagePresenter>(), {}});
    EXPECT_EQ(modGetParentEXEPath(api).GetParentEXEName(), QStringLiteral("modGetParentEXEPathTest"));
}

} // namespace
