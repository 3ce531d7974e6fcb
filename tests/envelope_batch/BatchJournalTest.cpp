// The journal: what it writes is what it reads back, privately; a file that is no
// journal, or a damaged one, is refused naming the line; old journals are pruned.
#include "envelope_batch/BatchJournal.h"
#include "envelope_batch/JournalReader.h"
#include "reporting_engine/base/EngineError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using envelope::BatchJournal;
using envelope::JournalEntry;
using envelope::JournalReader;
using State = JournalEntry::State;

JournalEntry entry(const QString &name, const QString &barcode)
{
    JournalEntry e;
    e.record = 7;
    e.name = name;
    e.lines = QStringList{name, QStringLiteral("1 \"Old\" Rd."), QStringLiteral("Boston, MA 02134")};
    e.zip = QStringLiteral("02134");
    e.barcode = barcode;
    return e;
}

unsigned modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST(BatchJournal, ReadsBackWhatItWroteAndStaysPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("j.csv"));
    BatchJournal journal(path, QStringLiteral("/old, \"run\".csv"));
    journal.add(entry(QStringLiteral("Park, Bo"), QStringLiteral("02134")));
    journal.add(entry(QStringLiteral("Ann\nLee"), QStringLiteral("00270123456000000007-021340001")));
    journal.add(entry(QStringLiteral("Cy"), QString()));
    EXPECT_EQ(modeOf(path), 0600u);
    journal.update(1, 2, QStringLiteral("q"), 12, State::Sent);
    journal.update(2, 2, QStringLiteral("q"), 12, State::Failed);
    EXPECT_EQ(modeOf(path), 0600u);

    const JournalReader::Journal back = JournalReader::read(path);
    EXPECT_EQ(back.reprintOf, QStringLiteral("/old, \"run\".csv"));
    ASSERT_EQ(back.entries.size(), 3u);
    EXPECT_EQ(back.entries[0].name, QStringLiteral("Park, Bo"));
    EXPECT_EQ(back.entries[1].name, QStringLiteral("Ann\nLee"));
    EXPECT_EQ(back.entries[1].lines, entry(QStringLiteral("Ann\nLee"), {}).lines);
    EXPECT_EQ(back.entries[1].barcode, QStringLiteral("00270123456000000007-021340001"));
    EXPECT_TRUE(back.entries[1].hasIntelligentMail());
    const std::vector<std::pair<State, int>> states{{State::Sent, 12}, {State::Failed, 12}, {State::NotSent, 0}};
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(back.entries[i].envelope, qint64(i + 1));
        EXPECT_EQ(back.entries[i].state, states[i].first) << i;
        EXPECT_EQ(back.entries[i].job, states[i].second) << i;
    }
}

TEST(BatchJournal, NeverWritesThroughALinkAtItsName)
{
    QTemporaryDir dir;
    QFile target(dir.filePath(QStringLiteral("target")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("keep");
    target.close();
    const QString link = dir.filePath(QStringLiteral("j.csv"));
    ASSERT_TRUE(QFile::link(target.fileName(), link));
    BatchJournal journal(link);
    journal.add(entry(QStringLiteral("A"), QStringLiteral("02134")));
    ASSERT_TRUE(target.open(QIODevice::ReadOnly));
    EXPECT_EQ(target.readAll(), QByteArray("keep"));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

struct DamagedRow {
    const char *name;
    QByteArray rows; // after the journal's header
    const char *said;
};

class DamagedJournal : public ::testing::TestWithParam<DamagedRow> {};

TEST_P(DamagedJournal, IsRefusedNamingTheLine)
{
    const QByteArray header = BatchJournal::columns().join(QLatin1Char(',')).toUtf8() + '\n';
    const QByteArray bytes = QByteArray(GetParam().name) == "NotAJournal" ? GetParam().rows : header + GetParam().rows;
    try {
        JournalReader::parse(bytes, QStringLiteral("j.csv"));
        ADD_FAILURE() << "accepted";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().said))) << qPrintable(e.message());
    }
}

const QByteArray good = "1,4,A,A,1 St,\"X, YZ 12345\",,12345,12345,q,3,printed,\n";
INSTANTIATE_TEST_SUITE_P(
    Journal, DamagedJournal,
    ::testing::Values(DamagedRow{"NotAJournal", "name,street1,city,state,zip\nA,B,C,D,12345\n", "j.csv line 1: not an envelope journal"},
                      DamagedRow{"Empty", "", "has no envelopes"},
                      DamagedRow{"EnvelopeSkipped", good + "3,5,B,B,,,,1,12345,q,3,printed,\n", "j.csv line 3: envelope \"3\" where 2"},
                      DamagedRow{"UnknownState", "1,4,A,A,,,,1,12345,q,3,jammed,\n", "line 2: state \"jammed\""},
                      DamagedRow{"BadBarcode", "1,4,A,A,,,,1,1234,q,3,printed,\n", "line 2: barcode \"1234\""},
                      DamagedRow{"BadJob", "1,4,A,A,,,,1,12345,q,-3,printed,\n", "line 2: job \"-3\""},
                      DamagedRow{"NoLines", "1,4,A,,,,,1,12345,q,3,printed,\n", "line 2: the envelope has no address lines"},
                      DamagedRow{"TwoJournalsReprinted", "1,4,A,A,,,,1,12345,q,3,made,a.csv\n2,4,A,A,,,,1,12345,q,3,made,b.csv\n",
                                 "line 3: it names another journal"},
                      DamagedRow{"Truncated", good + "2,5,B", "line 3"}),
    [](const auto &row) { return std::string(row.param.name); });

TEST(BatchJournal, PruneRemovesOnlyOldJournalsOfRuns)
{
    QTemporaryDir dir;
    const QByteArray was = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
    ASSERT_TRUE(QDir().mkpath(BatchJournal::defaultFolder()));
    const QDir folder(BatchJournal::defaultFolder());
    const QDateTime old = QDateTime::currentDateTime().addDays(-40);
    for (const char *name : {"2026-01-02T03-04-05.csv", "2026-01-02T03-04-05-2.csv", "notes.csv", "2026-12-01T00-00-00.csv"}) {
        QFile f(folder.filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        if (QByteArray(name) != "2026-12-01T00-00-00.csv") {
            ASSERT_TRUE(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
    }
    EXPECT_EQ(BatchJournal::prune(30).size(), 2);
    EXPECT_EQ(folder.entryList(QDir::Files, QDir::Name), (QStringList{QStringLiteral("2026-12-01T00-00-00.csv"), QStringLiteral("notes.csv")}));
    qputenv("XDG_STATE_HOME", was);
}

} // namespace
