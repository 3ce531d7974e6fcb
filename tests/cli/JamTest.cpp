// A run in jobs on a printer that jams (tests/cups/envelope-jam): the journal says
// which envelopes came out, and the reprint of it makes exactly the others again,
// each with the barcode the journal gave it.
#include "cli/BatchCommand.h"
#include "cli/ExitStatus.h"
#include "cli/runs/ReprintCommand.h"
#include "envelope_batch/JournalReader.h"
#include "support/CapturedStreams.h"
#include "support/CupsTestQueue.h"
#include "support/PdfReport.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include <sys/stat.h>

namespace {

using envelope::JournalEntry;
using State = JournalEntry::State;

struct JamRow {
    const char *name;
    const char *queue;
    int printedBeforeJam; // of the second job's ten
};

void PrintTo(const JamRow &row, std::ostream *os) { *os << row.name; }

class Jam : public ::testing::TestWithParam<JamRow> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile csv(path("forty.csv"));
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("name,street1,city,state,zip\n");
        for (int i = 1; i <= 40; ++i)
            csv.write(QStringLiteral("Clerk %1,%1 Main St,Springfield,IL,627%2\n").arg(i).arg(i, 2, 10, QLatin1Char('0')).toUtf8());
    }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QStringList imb() const
    {
        return {QStringLiteral("--barcode"), QStringLiteral("imb"), QStringLiteral("--mailer-id"), QStringLiteral("123456"),
                QStringLiteral("--service-type"), QStringLiteral("270")};
    }

    QTemporaryDir dir;
    testsupport::ScopedEnv state{"XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state")))};
    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    testsupport::CapturedStreams captured;
};

TEST_P(Jam, JournalSaysWhatCameOutAndTheReprintMakesTheRest)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    if (!testsupport::printerAttributes(GetParam().queue, "printer-state")) {
        testsupport::skipOrFailWithoutCups("no jamming queue: run scripts/start-cups.sh as root");
        return;
    }
    const testsupport::CupsTestQueueLock lock(GetParam().queue);
    ASSERT_TRUE(lock.isLocked());
    cli::BatchCommand batch(prefix.api(presenter), captured.io());
    const int status = batch.run(QStringList{QStringLiteral("envelope"), QStringLiteral("batch"), QStringLiteral("--csv"), path("forty.csv"),
                                             QStringLiteral("--printer"), QLatin1String(GetParam().queue), QStringLiteral("--job-size"),
                                             QStringLiteral("10"), QStringLiteral("--wait"), QStringLiteral("60"), QStringLiteral("--journal"),
                                             path("run.csv")}
                               + imb());
    EXPECT_EQ(status, cli::ExitStatus::failed) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QRegularExpression(QStringLiteral("Job \\d+ \"Envelope 11\u201320 of 40\".*was aborted.*media-jam-error"))))
        << qPrintable(captured.err());

    const std::vector<JournalEntry> run = envelope::JournalReader::read(path("run.csv")).entries;
    ASSERT_EQ(run.size(), 40u);
    const int jammedAt = 11 + GetParam().printedBeforeJam;
    for (const JournalEntry &e : run) {
        const State expected = e.envelope < jammedAt ? State::Printed : e.envelope <= 20 ? State::Failed : State::NotSent;
        EXPECT_EQ(JournalEntry::stateName(e.state), JournalEntry::stateName(expected)) << "envelope " << e.envelope;
        EXPECT_EQ(e.job > 0, e.envelope <= 20) << "envelope " << e.envelope;
        EXPECT_EQ(e.lines.value(0), QStringLiteral("Clerk %1").arg(e.record));
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path("run.csv")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u); // it holds addresses

    // The same mail pieces again: no serial used, none given back.
    const auto counter = [this] {
        QFile f(dir.filePath(QStringLiteral("state/korva-envelope/imb-serial-123456")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray counterBefore = counter();
    EXPECT_EQ(counterBefore.trimmed(), "40");
    cli::ReprintCommand reprint(prefix.api(presenter), captured.io());
    ASSERT_EQ(reprint.run({QStringLiteral("envelope"), QStringLiteral("reprint"), path("run.csv"), QStringLiteral("--pdf"), path("again.pdf"),
                           QStringLiteral("--journal"), path("again.csv")}),
              cli::ExitStatus::ok)
        << qPrintable(captured.err());
    // Each page carries the barcode its envelope was journaled with, digits under the bars.
    std::map<int, QString> barcodeOnPage;
    for (const auto &w : testsupport::PdfReport(path("again.pdf")).words())
        if (w.text.contains(QRegularExpression(QStringLiteral("^\\d{20}-\\d{5}$"))))
            barcodeOnPage[w.page] = w.text;
    EXPECT_EQ(counter(), counterBefore);
    const envelope::JournalReader::Journal again = envelope::JournalReader::read(path("again.csv"));
    EXPECT_EQ(again.reprintOf, path("run.csv"));
    ASSERT_EQ(again.entries.size(), size_t(41 - jammedAt));
    ASSERT_EQ(barcodeOnPage.size(), again.entries.size());
    for (const JournalEntry &e : again.entries) {
        const JournalEntry &original = run[size_t(e.record - 1)];
        EXPECT_EQ(e.record, jammedAt + e.envelope - 1);
        EXPECT_EQ(barcodeOnPage[int(e.envelope)], original.barcode) << "page " << e.envelope;
        EXPECT_EQ(e.lines, original.lines);
        EXPECT_EQ(JournalEntry::stateName(e.state), QStringLiteral("made"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cups, Jam,
                         ::testing::Values(JamRow{"JamsBeforeAnyPage", "envelope-jam", 0},
                                           // The printer's job-impressions-completed splits the job.
                                           JamRow{"JamsAfterThreePages", "envelope-jam-late", 3}),
                         [](const auto &row) { return std::string(row.param.name); });

} // namespace
