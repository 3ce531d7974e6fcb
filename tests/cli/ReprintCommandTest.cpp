// `envelope reprint`, in-process: which envelopes of a journal it makes again, and
// the command lines it refuses.
#include "cli/ExitStatus.h"
#include "cli/runs/ReprintCommand.h"
#include "envelope_batch/BatchJournal.h"
#include "envelope_batch/JournalReader.h"
#include "support/CapturedStreams.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

namespace {

using envelope::JournalEntry;
using State = JournalEntry::State;

class ReprintCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        envelope::BatchJournal journal(path("run.csv"));
        for (const State s : {State::Printed, State::Failed, State::NotSent, State::Printed, State::Sent}) {
            JournalEntry e;
            e.record = journal.count() + 1;
            e.name = QStringLiteral("Clerk %1").arg(e.record);
            e.lines = QStringList{e.name, QStringLiteral("1 Main St"), QStringLiteral("Salem, OR 97301")};
            e.zip = QStringLiteral("97301");
            e.barcode = e.zip;
            e.state = s;
            journal.add(e);
        }
    }
    int run(const QStringList &args)
    {
        cli::ReprintCommand command(prefix.api(presenter), captured.io());
        return command.run(QStringList{QStringLiteral("envelope"), QStringLiteral("reprint")} + args);
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    std::vector<qint64> reprinted() const
    {
        std::vector<qint64> records;
        for (const JournalEntry &e : envelope::JournalReader::read(path("again.csv")).entries)
            records.push_back(e.record);
        return records;
    }

    QTemporaryDir dir;
    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    testsupport::CapturedStreams captured;
};

struct PickRow {
    const char *name;
    QStringList args;
    std::vector<qint64> envelopes;
};

void PrintTo(const PickRow &row, std::ostream *os) { *os << row.name; }

class ReprintPicks : public ReprintCommandTest, public ::testing::WithParamInterface<PickRow> {};

TEST_P(ReprintPicks, MakesExactlyTheseEnvelopesAgain)
{
    ASSERT_EQ(run(QStringList{path("run.csv"), QStringLiteral("--pdf"), path("again.pdf"), QStringLiteral("--journal"), path("again.csv")}
                  + GetParam().args),
              cli::ExitStatus::ok)
        << qPrintable(captured.err());
    EXPECT_EQ(reprinted(), GetParam().envelopes);
}

INSTANTIATE_TEST_SUITE_P(
    Reprint, ReprintPicks,
    ::testing::Values(PickRow{"FailedAndNotSentByDefault", {}, {2, 3}},
                      PickRow{"StatesNamed", {QStringLiteral("--state"), QStringLiteral("sent,failed")}, {2, 5}},
                      PickRow{"PrintedOnesNamedByNumber", {QStringLiteral("--state"), QStringLiteral("printed"), QStringLiteral("--envelopes"), QStringLiteral("4-5")}, {4}},
                      PickRow{"OneEnvelope", {QStringLiteral("--envelopes"), QStringLiteral("3")}, {3}}),
    [](const auto &row) { return std::string(row.param.name); });

struct RefusedRow {
    const char *name;
    QStringList args;
    const char *said;
};

void PrintTo(const RefusedRow &row, std::ostream *os) { *os << row.name; }

class ReprintRefuses : public ReprintCommandTest, public ::testing::WithParamInterface<RefusedRow> {};

TEST_P(ReprintRefuses, ExitsTwoWithTheUsage)
{
    QStringList args = GetParam().args;
    args.replaceInStrings(QStringLiteral("RUN"), path("run.csv"));
    EXPECT_EQ(run(args), cli::ExitStatus::usage);
    EXPECT_TRUE(captured.err().contains(QLatin1String(GetParam().said))) << qPrintable(captured.err());
}

INSTANTIATE_TEST_SUITE_P(
    Reprint, ReprintRefuses,
    ::testing::Values(RefusedRow{"NoJournal", {QStringLiteral("--pdf"), QStringLiteral("x.pdf")}, "name the journal"},
                      // Those came out: reprinting them doubles mail pieces unless the clerk names them.
                      RefusedRow{"PrintedWithoutNumbers", {QStringLiteral("RUN"), QStringLiteral("--state"), QStringLiteral("printed")}, "--envelopes names them"},
                      RefusedRow{"UnknownState", {QStringLiteral("RUN"), QStringLiteral("--state"), QStringLiteral("jammed")}, "\"jammed\""},
                      RefusedRow{"BackwardRange", {QStringLiteral("RUN"), QStringLiteral("--envelopes"), QStringLiteral("4-2")}, "ends before it starts"},
                      RefusedRow{"JobSizeWithPdf", {QStringLiteral("RUN"), QStringLiteral("--pdf"), QStringLiteral("x.pdf"), QStringLiteral("--job-size"), QStringLiteral("2")}, "--job-size goes with --printer"}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
