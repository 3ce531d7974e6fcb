// Printing and writing files when the surroundings fail, through the `envelope`
// program as a user runs it: every failure ends with one clear message and exit
// status 1 and leaves nothing behind: no partial file, no spool file, no
// fallback PDF the user did not ask for, and a named file that exists is kept.
#include "support/CupsTestQueue.h"
#include "support/EnvelopeProcess.h"
#include "support/EnvelopeSandbox.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cups/cups.h>

#include <ostream>
#include <vector>

namespace {

using testsupport::EnvelopeProcess;
using testsupport::EnvelopeRun;
using testsupport::entriesOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char *failingQueue = "envelope-failing"; // its backend fails during every job

class PrintFaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sandbox.isValid()); }

    QString path(const char *name) const { return sandbox.path(name); }
    EnvelopeProcess envelope(const QStringList &variables = {}, bool unprivileged = false) const
    {
        return sandbox.envelope(variables, unprivileged);
    }

    static void expectFailure(const EnvelopeRun &run, const QString &message)
    {
        ASSERT_TRUE(run.finished) << "still running after the timeout";
        EXPECT_FALSE(run.crashed) << qPrintable(run.stdErr);
        EXPECT_EQ(run.exitCode, 1) << qPrintable(run.stdErr);
        EXPECT_THAT(run.stdErr.toStdString(), HasSubstr("envelope: error: " + message.toStdString()));
        EXPECT_THAT(run.stdErr.toStdString(), ::testing::Not(HasSubstr("printed on")));
    }

    testsupport::EnvelopeSandbox sandbox;
};

struct RefusalRow {
    const char *name;
    std::vector<const char *> arguments; // "WORK" stands for the working folder
    std::vector<const char *> variables;
    bool needsQueues;
    const char *message; // after "envelope: error: "; "WORK" as in arguments
};

void PrintTo(const RefusalRow &row, std::ostream *os) { *os << row.name; }

class RefusedOutput : public PrintFaults, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(RefusedOutput, EndsWithTheReasonAndLeavesNothing)
{
    const RefusalRow &row = GetParam();
    if (row.needsQueues && !testsupport::cupsTestQueuesReady())
        return;
    QStringList arguments;
    for (const char *a : row.arguments)
        arguments << QString::fromUtf8(a).replace(QStringLiteral("WORK"), path("work"));
    QStringList variables;
    for (const char *v : row.variables)
        variables << QString::fromUtf8(v);

    const EnvelopeRun run = envelope(variables).run(arguments);

    expectFailure(run, QString::fromUtf8(row.message).replace(QStringLiteral("WORK"), path("work")));
    EXPECT_THAT(entriesOf(path("work")), IsEmpty()) << "no output, and no fallback PDF for a named destination";
    EXPECT_THAT(entriesOf(path("spool")), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedOutput,
    ::testing::Values(
        RefusalRow{"SchedulerNotRunning", {"--printer", "envelope-test"}, {"CUPS_SERVER=/nonexistent/cups.sock"}, false,
                   "Cannot print to printer \"envelope-test\": the CUPS scheduler at /nonexistent/cups.sock is not reachable"},
        RefusalRow{"QueueStoppedAndRejectingJobs", {"--printer", "envelope-stopped"}, {}, true,
                   "Cannot print to printer \"envelope-stopped\": Destination \"envelope-stopped\" is not accepting jobs."},
        RefusalRow{"PdfInAMissingFolder", {"--pdf", "WORK/missing/out.pdf"}, {}, false,
                   "Cannot write WORK/missing/out.pdf: the folder WORK/missing does not exist."},
        RefusalRow{"PngInAMissingFolder", {"--png", "WORK/missing/out.png"}, {}, false,
                   "Cannot write WORK/missing/out.png: the folder WORK/missing does not exist."}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(PrintFaults, SchedulerNotRunningWithoutANamedPrinterSavesThePdfHere)
{
    const EnvelopeRun run = envelope({QStringLiteral("CUPS_SERVER=/nonexistent/cups.sock")}).run({});

    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.stdErr);
    EXPECT_THAT(run.stdErr.toStdString(), HasSubstr("No printer is available: \"Envelope\" was saved as"));
    EXPECT_EQ(entriesOf(path("work")), QStringList{QStringLiteral("Envelope.pdf")});
    EXPECT_THAT(entriesOf(path("spool")), IsEmpty());
}

bool failingQueueReady()
{
    if (!testsupport::cupsTestQueuesReady())
        return false;
    if (!testsupport::printerAttributes(failingQueue, "printer-state")) {
        testsupport::skipOrFailWithoutCups("no envelope-failing queue: run scripts/start-cups.sh as root");
        return false;
    }
    return true;
}

// CUPS takes the job before its backend runs, so the command can only report the
// job it handed over; the scheduler then aborts the job and keeps the queue up.
TEST_F(PrintFaults, BackendFailingDuringTheJobAbortsItAndKeepsTheQueue)
{
    if (!failingQueueReady())
        return;

    const EnvelopeRun run = envelope().run({QStringLiteral("--printer"), QLatin1String(failingQueue)});

    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.stdErr);
    const QRegularExpressionMatch printed =
        QRegularExpression(QStringLiteral("envelope: printed on envelope-failing \\(job (\\d+)\\)")).match(run.stdErr);
    ASSERT_TRUE(printed.hasMatch()) << qPrintable(run.stdErr);
    const std::optional<testsupport::RecordedJob> job = testsupport::waitForJobEnd(printed.captured(1).toInt());
    ASSERT_TRUE(job) << cupsLastErrorString();
    EXPECT_EQ(job->state, IPP_JSTATE_ABORTED);

    const testsupport::Ipp accepting = testsupport::printerAttributes(failingQueue, "printer-is-accepting-jobs");
    ASSERT_TRUE(accepting);
    EXPECT_TRUE(ippGetBoolean(ippFindAttribute(accepting.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN), 0));
    const testsupport::Ipp state = testsupport::printerAttributes(failingQueue, "printer-state");
    ASSERT_TRUE(state);
    EXPECT_NE(ippGetInteger(ippFindAttribute(state.get(), "printer-state", IPP_TAG_ENUM), 0), int(IPP_PSTATE_STOPPED));
    EXPECT_THAT(entriesOf(path("spool")), IsEmpty());
    EXPECT_THAT(entriesOf(path("work")), IsEmpty());
}

// With --wait the command follows the job to its end and reports the failure.
TEST_F(PrintFaults, WaitingReportsTheAbortedJobWithItsReasons)
{
    if (!failingQueueReady())
        return;
    const EnvelopeRun run = envelope().run({QStringLiteral("--printer"), QLatin1String(failingQueue), QStringLiteral("--wait"), QStringLiteral("60")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1) << qPrintable(run.stdErr);
    EXPECT_THAT(run.stdErr.toStdString(), ::testing::MatchesRegex("(.|\n)*envelope: error: job [0-9]+ on envelope-failing was aborted; job: [^\n]+(.|\n)*"));
}

TEST_F(PrintFaults, ReadOnlyFolderKeepsTheNamedFileAsItWas)
{
    if (const QString why = testsupport::whyNoUnprivilegedRun(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const QString folder = path("work") + QStringLiteral("/read-only");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString named = folder + QStringLiteral("/out.pdf");
    {
        QFile f(named);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the file the user had");
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                      | QFileDevice::ExeOther);
    const EnvelopeRun run = envelope({}, true).run({QStringLiteral("--pdf"), named});

    expectFailure(run, QStringLiteral("Cannot write "));
    EXPECT_THAT(run.stdErr.toStdString(), HasSubstr(named.toStdString() + ": Permission denied."));
    EXPECT_EQ(entriesOf(folder), QStringList{QStringLiteral("out.pdf")});
    QFile f(named);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("the file the user had"));
}

// A real full disk: a tmpfs of one page, smaller than any envelope's PDF.
class FullDisk : public PrintFaults {
protected:
    void SetUp() override
    {
        PrintFaults::SetUp();
        full = path("work") + QStringLiteral("/full");
        ASSERT_TRUE(QDir().mkdir(full));
        QProcess mount;
        mount.start(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                              QStringLiteral("size=4k,mode=0777"), QStringLiteral("tmpfs"), full});
        mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit && mount.exitCode() == 0;
        if (!mounted)
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root with CAP_SYS_ADMIN): "
                         << mount.readAllStandardError().toStdString()
                         << "; PdfDocumentWriterTest covers full devices with /dev/full";
    }
    void TearDown() override
    {
        if (mounted) {
            EXPECT_EQ(QProcess::execute(QStringLiteral("umount"), {full}), 0);
        }
    }

    QString full;
    bool mounted = false;
};

struct FullDiskRow {
    const char *name;
    std::vector<const char *> arguments; // "FULL" stands for the full folder
    bool spoolOnFullDisk;
    const char *message; // after "envelope: error: "; "FULL" as above
};

void PrintTo(const FullDiskRow &row, std::ostream *os) { *os << row.name; }

class FullDiskOutput : public FullDisk, public ::testing::WithParamInterface<FullDiskRow> {};

TEST_P(FullDiskOutput, SaysTheDiskIsFullAndLeavesNothing)
{
    const FullDiskRow &row = GetParam();
    QStringList arguments;
    for (const char *a : row.arguments)
        arguments << QString::fromUtf8(a).replace(QStringLiteral("FULL"), full);
    const EnvelopeRun run = (row.spoolOnFullDisk ? envelope({QStringLiteral("TMPDIR=") + full}) : envelope()).run(arguments);

    expectFailure(run, QString::fromUtf8(row.message).replace(QStringLiteral("FULL"), full));
    EXPECT_THAT(entriesOf(full), IsEmpty());
    EXPECT_EQ(entriesOf(path("work")), QStringList{QStringLiteral("full")});
    EXPECT_THAT(entriesOf(path("spool")), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, FullDiskOutput,
    ::testing::Values(
        FullDiskRow{"Pdf", {"--pdf", "FULL/out.pdf"}, false,
                    "Cannot write FULL/out.pdf: No space left on device (FULL is full)."},
        FullDiskRow{"Png", {"--png", "FULL/out.png"}, false,
                    "Cannot write FULL/out.png: No space left on device (FULL is full)."},
        FullDiskRow{"PrintJobSpool", {"--printer", "envelope-test"}, true,
                    "Cannot write the print job \"Envelope\" (spooled in FULL): No space left on device (FULL is full)."}),
    [](const auto &row) { return std::string(row.param.name); });

} // namespace
