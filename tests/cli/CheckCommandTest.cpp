// `envelope check`: every rule on every record, nothing printed; what it lists, its summary
// and its exit status (the rules themselves: ReaderRulesTest, Pub28StyleTest, AddresseeValidatorTest).
#include "cli/ExitStatus.h"
#include "cli/runs/CheckCommand.h"
#include "support/CapturedStreams.h"
#include "support/EnvelopeProcess.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

using cli::ExitStatus;

namespace {

const char header[] = "name,street1,street2,city,state,zip\n";

struct CheckRow {
    const char *name;
    const char *records;
    int status;
    std::vector<const char *> out; // lines of standard output, in order
    const char *err;
};

void PrintTo(const CheckRow &row, std::ostream *os) { *os << row.name; }

class Check : public ::testing::TestWithParam<CheckRow> {
protected:
    testsupport::WinePrefixFixture prefix;
    testsupport::CapturedStreams captured;
    QTemporaryDir dir;
};

TEST_P(Check, ListsEveryProblemByRecordThenASummary)
{
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(header) + GetParam().records);
    f.close();
    cli::CheckCommand command(prefix.api(std::make_shared<testsupport::RecordingMessagePresenter>()), captured.io());
    EXPECT_EQ(command.run({QStringLiteral("envelope"), QStringLiteral("check"), QStringLiteral("--csv"), csv}), GetParam().status);
    QStringList expected;
    for (const char *line : GetParam().out)
        expected << QString::fromUtf8(line);
    EXPECT_EQ(captured.out().split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    EXPECT_TRUE(captured.err().contains(QString::fromUtf8(GetParam().err))) << qPrintable(captured.err());
}

INSTANTIATE_TEST_SUITE_P(
    Records, Check,
    ::testing::Values(
        CheckRow{"Clean", "Orrin Vask,123 Here Road,Apartment 4,Anchorage,AK,99501\nLena Marsh,77 Court St,,Salem,OR,97301\n",
                 ExitStatus::ok, {"check done: 2 records: 2 clean, 0 with warnings, 0 bad"}, ""},
        CheckRow{"LongLineZipOfAnotherStateAndDuplicate",
                 "Orrin Vask,123 Here Road,Apartment 4,Anchorage,Alaska,99501\n"
                 "Lena Marsh,12345 North Southwest Extraordinarily Long Boulevard Apartment 1234,,Salem,OR,97301\n"
                 "Tomas Ruiz,400 Main St.,,Boston,NY,02108\n"
                 "ORRIN VASK,123 Here Rd,Apt 4,Anchorage,AK,99501-1234\n",
                 ExitStatus::failed,
                 {"record 2 (line 3): line 2 is 67 characters; at 8 pt the box holds about 49",
                  "record 2 (line 3): warning: line 2 is 67 characters; the address readers take 40",
                  "record 3 (line 4): warning: the ZIP code 02108 is in MA, not in NY",
                  "record 4 (line 5): warning: the same addressee as record 1",
                  "check done: 4 records: 1 clean, 2 with warnings, 1 bad; by rule: 8 pt 1, ZIP and state 1, duplicate 1, line length 1"},
                 ""},
        CheckRow{"NoRecords", "", ExitStatus::failed, {}, "check: no records"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(CheckUsage, WithoutAnInputIsBadUsage)
{
    testsupport::CapturedStreams captured;
    cli::CheckCommand command(nullptr, captured.io());
    EXPECT_EQ(command.run({QStringLiteral("envelope"), QStringLiteral("check"), QStringLiteral("--address-style"), QStringLiteral("pub28")}),
              ExitStatus::usage);
    EXPECT_TRUE(captured.err().contains(QLatin1String("give either --csv FILE or --database URL"))) << qPrintable(captured.err());
}

// The tables are read once per process: a missing one is seen by a program of its own.
TEST(CheckTables, AMissingTableIsAnErrorNamingTheFile)
{
    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(header) + "Ann Lee,9 Elm St,,Salem,OR,97301\n");
    f.close();
    const testsupport::EnvelopeProcess envelope(dir.path(), {QStringLiteral("KORVA_ENVELOPE_DATA_DIR=") + dir.path(),
                                                             QStringLiteral("XDG_CONFIG_HOME=") + dir.path()});
    const testsupport::EnvelopeRun run = envelope.run({QStringLiteral("check"), QStringLiteral("--csv"), csv});
    EXPECT_EQ(run.exitCode, ExitStatus::failed);
    EXPECT_TRUE(run.stdErr.contains(dir.filePath(QStringLiteral("street-suffixes.txt")) + QStringLiteral(" cannot be read")) ||
                run.stdErr.contains(dir.filePath(QStringLiteral("zip3-state.txt")) + QStringLiteral(" cannot be read")))
        << qPrintable(run.stdErr);
}

} // namespace
