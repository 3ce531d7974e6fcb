// `envelope batch`, called in-process: inputs, outputs, bad records, failures
// that leave nothing behind, and pages equal to the single envelope's.
#include "cli/BatchCommand.h"
#include "cli/EnvelopeCommand.h"
#include "cli/ExitStatus.h"
#include "support/CapturedStreams.h"
#include "support/PdfReport.h"
#include "support/RecordingMessagePresenter.h"
#include "support/TestDatabase.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>

using cli::BatchCommand;
using cli::EnvelopeCommand;
using cli::ExitStatus;

namespace {

using Captured = testsupport::CapturedStreams;

const QByteArray threeGood = "name,street1,street2,city,state,zip\r\n"
                             "Ann Lee,9 Elm St.,Apt 2,Salem,OR,973011234\r\n"
                             "\"Park, Bo\",\"1 \"\"Old\"\" Rd.\",,Boston,MA,02134\r\n"
                             "Cy Ng,77 Oak Ave.,,Nowheresville,AK,92901\r\n";

class BatchCommandTest : public ::testing::Test {
protected:
    int run(const QStringList &args)
    {
        BatchCommand command(prefix.api(presenter), captured.io());
        return command.run(QStringList{QStringLiteral("envelope"), QStringLiteral("batch")} + args);
    }
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }
    QString csv(const QByteArray &bytes, const char *name = "in.csv") const
    {
        QFile f(file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QStringList filesHere() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    Captured captured;
    QTemporaryDir dir;
};

TEST_F(BatchCommandTest, CsvIntoOnePdfWithASummary)
{
    ASSERT_EQ(run({QStringLiteral("--csv"), csv(threeGood), QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::ok)
        << qPrintable(captured.err());
    testsupport::PdfReport pdf(file("out.pdf"));
    EXPECT_EQ(pdf.pageCount(), 3);
    EXPECT_EQ(pdf.pageSizePoints(), QSizeF(684, 297));
    EXPECT_TRUE(captured.err().contains(QLatin1String("3 printed, 0 skipped, 0 bad, 3 pages"))) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(file("out.pdf"))) << qPrintable(captured.err());
    // Not on a terminal: no progress drawing.
    EXPECT_FALSE(captured.err().contains(QLatin1Char('\r')));
}

// Page i of the batch carries the same words, in the same places, as the single
// envelope printed for record i.
TEST_F(BatchCommandTest, PagesMatchSingleEnvelopes)
{
    ASSERT_EQ(run({QStringLiteral("--csv"), csv(threeGood), QStringLiteral("--pdf"), file("batch.pdf")}), ExitStatus::ok);
    const std::vector<QStringList> singles{
        {QStringLiteral("--name"), QStringLiteral("Ann Lee"), QStringLiteral("--street1"), QStringLiteral("9 Elm St."),
         QStringLiteral("--street2"), QStringLiteral("Apt 2"), QStringLiteral("--city"), QStringLiteral("Salem"), QStringLiteral("--state"),
         QStringLiteral("OR"), QStringLiteral("--zip"), QStringLiteral("973011234")},
        {QStringLiteral("--name"), QStringLiteral("Park, Bo"), QStringLiteral("--street1"), QStringLiteral("1 \"Old\" Rd."),
         QStringLiteral("--city"), QStringLiteral("Boston"), QStringLiteral("--state"), QStringLiteral("MA"), QStringLiteral("--zip"),
         QStringLiteral("2134")},
        {QStringLiteral("--name"), QStringLiteral("Cy Ng"), QStringLiteral("--street1"), QStringLiteral("77 Oak Ave."),
         QStringLiteral("--city"), QStringLiteral("Nowheresville"), QStringLiteral("--state"), QStringLiteral("AK"), QStringLiteral("--zip"),
         QStringLiteral("92901")}};
    const auto batchWords = testsupport::PdfReport(file("batch.pdf")).words();
    const auto key = [](const testsupport::PdfReport::Word &w) {
        return QStringLiteral("%1@%2,%3,%4,%5")
            .arg(w.text)
            .arg(w.box.left(), 0, 'f', 1)
            .arg(w.box.top(), 0, 'f', 1)
            .arg(w.box.right(), 0, 'f', 1)
            .arg(w.box.bottom(), 0, 'f', 1);
    };
    for (int i = 0; i < 3; ++i) {
        const QString single = dir.filePath(QStringLiteral("single-%1.pdf").arg(i + 1));
        EnvelopeCommand command(prefix.api(presenter), captured.io());
        ASSERT_EQ(command.run(QStringList{QStringLiteral("envelope"), QStringLiteral("--pdf"), single} + singles[i]), ExitStatus::ok);
        QStringList expected, actual;
        for (const auto &w : testsupport::PdfReport(single).words())
            expected << key(w);
        for (const auto &w : batchWords)
            if (w.page == i + 1)
                actual << key(w);
        EXPECT_FALSE(expected.isEmpty());
        EXPECT_EQ(actual, expected) << "page " << i + 1;
    }
}

const QByteArray withBad = "name,street1,city,state,zip\n"
                           "Ann Lee,9 Elm St.,Salem,OR,97301\n"
                           "Bo Park,1 Old Rd.,Boston,MA,2134\n"
                           ",77 Oak Ave.,Nowheresville,AK,92901\n"
                           "Cy Ng,\"5 Pine Ct.\nRear\nUpstairs\",Nome,AK,99762\n"
                           "Di Roy,3 Bay Rd.,Juneau,AK,99801-1234\n";

struct PolicyRow {
    const char *name;
    const char *policy;
    int exitCode;
    int pages; // 0: no PDF at all
    const char *summary;
};

void PrintTo(const PolicyRow &row, std::ostream *os) { *os << row.name; }

class BadRecordPolicies : public BatchCommandTest, public ::testing::WithParamInterface<PolicyRow> {};

TEST_P(BadRecordPolicies, ListEveryBadRecordAndActOnThem)
{
    const int code = run({QStringLiteral("--csv"), csv(withBad), QStringLiteral("--pdf"), file("out.pdf"), QStringLiteral("--on-bad-record"),
                          QLatin1String(GetParam().policy)});
    EXPECT_EQ(code, GetParam().exitCode) << qPrintable(captured.err());
    const QString err = captured.err();
    EXPECT_TRUE(err.contains(QLatin1String("record 2 (line 3): the ZIP code \"2134\" has 4 digits"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("record 3 (line 4): the name is missing"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("record 4 (line 5): the address takes 5 lines"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String(GetParam().summary))) << qPrintable(err);
    if (GetParam().pages == 0)
        EXPECT_EQ(filesHere(), QStringList{QStringLiteral("in.csv")});
    else
        EXPECT_EQ(testsupport::PdfReport(file("out.pdf")).pageCount(), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Batch, BadRecordPolicies,
                         ::testing::Values(PolicyRow{"Print", "print", 0, 5, "5 printed, 0 skipped, 3 bad"},
                                           PolicyRow{"Skip", "skip", 0, 2, "2 printed, 3 skipped, 3 bad"},
                                           PolicyRow{"Stop", "stop", 1, 0, "3 of 5 records are bad; nothing was printed"}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(BatchCommandTest, BadRecordPrintsItsZipAsGivenWithoutBars)
{
    ASSERT_EQ(run({QStringLiteral("--csv"), csv(withBad), QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::ok);
    QStringList page2;
    for (const auto &w : testsupport::PdfReport(file("out.pdf")).words())
        if (w.page == 2)
            page2 << w.text;
    EXPECT_TRUE(page2.contains(QStringLiteral("2134"))) << qPrintable(page2.join(QLatin1Char(' ')));
    EXPECT_FALSE(page2.contains(QStringLiteral("02134")));
}

struct FailRow {
    const char *name;
    QByteArray csv;
    QStringList extra;
    const char *mentioned;
};

void PrintTo(const FailRow &row, std::ostream *os) { *os << row.name; }

class FailsLeavingTheOldFile : public BatchCommandTest, public ::testing::WithParamInterface<FailRow> {};

TEST_P(FailsLeavingTheOldFile, ExitsOneNamingTheProblem)
{
    QFile old(file("out.pdf"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the user's old file");
    old.close();
    EXPECT_EQ(run(QStringList{QStringLiteral("--csv"), csv(GetParam().csv), QStringLiteral("--pdf"), file("out.pdf")} + GetParam().extra),
              ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(QLatin1String(GetParam().mentioned))) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QLatin1String("nothing was printed or saved"))) << qPrintable(captured.err());
    EXPECT_EQ(filesHere(), (QStringList{QStringLiteral("in.csv"), QStringLiteral("out.pdf")}));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the user's old file"));
}

INSTANTIATE_TEST_SUITE_P(
    Batch, FailsLeavingTheOldFile,
    ::testing::Values(FailRow{"MissingColumn", "name,street1,city,state,postcode\nA,B,C,D,12345\n", {}, "no column \"zip\""},
                      FailRow{"MappedColumnMissing", threeGood, {QStringLiteral("--columns"), QStringLiteral("zip=Zip5")}, "\"Zip5\""},
                      FailRow{"MalformedMidway", threeGood + "Al,1 St,,X,YZ,12345,extra\n", {}, "line 5, record 4"},
                      FailRow{"UnterminatedQuote", threeGood + "\"Al,1 St,,X,YZ,12345\n", {}, "never closed"},
                      FailRow{"NoRecords", "name,street1,city,state,zip\n", {}, "no records"},
                      // Before anything is made: no envelope leaves without its row.
                      FailRow{"JournalCannotBeWritten", threeGood, {QStringLiteral("--journal"), QStringLiteral("/proc/no-such/journal.csv")},
                              "Cannot write the journal /proc/no-such/journal.csv"},
                      FailRow{"AllBadSkipped", "name,street1,city,state,zip\nA,B,C,D,1\n", {QStringLiteral("--on-bad-record"), QStringLiteral("skip")},
                              "nothing to print"}),
    [](const auto &row) { return std::string(row.param.name); });

// Names from a court's mix of parties: each prints whole, or its record is bad.
TEST_F(BatchCommandTest, EveryNamePrintsWholeOrItsRecordIsBad)
{
    const QStringList names{QString::fromUtf8("محمد علي"), QString::fromUtf8("Zoë Ånström 李小龙 🙂"), QString::fromUtf8("Nguyễn Thị Minh Khai"),
                            QString::fromUtf8("Łukasz Żółć"), QString::fromUtf8("Σωκράτης"), QString::fromUtf8("Иван Петров"),
                            QString::fromUtf8("O’Brien–Smith")};
    QByteArray input = "name,street1,city,state,zip\n";
    for (const QString &name : names)
        input += name.toUtf8() + ",9 Elm St.,Salem,OR,97301\n";
    input += "Ivan Petrov,ул. Ленина 5,Salem,OR,97301\n";
    ASSERT_EQ(run({QStringLiteral("--csv"), csv(input), QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::ok) << qPrintable(captured.err());
    const QString err = captured.err();
    EXPECT_TRUE(err.contains(QLatin1String("record 2 (line 3): the name has characters no installed font can print: U+1F642"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("record 8 (line 9): warning: the delivery line"))) << qPrintable(err);
    EXPECT_TRUE(err.contains(QLatin1String("8 printed, 0 skipped, 1 bad"))) << qPrintable(err);
    const QString text = testsupport::PdfReport(file("out.pdf")).text();
    for (const QString &name : names)
        EXPECT_TRUE(text.contains(name == names[1] ? QString::fromUtf8("Zoë Ånström 李小龙 \uFFFD") : name)) << qPrintable(name);
}

TEST_F(BatchCommandTest, MissingFileIsFatalAndNamesIt)
{
    EXPECT_EQ(run({QStringLiteral("--csv"), file("nope.csv"), QStringLiteral("--pdf"), file("out.pdf")}), ExitStatus::failed);
    EXPECT_TRUE(captured.err().contains(file("nope.csv"))) << qPrintable(captured.err());
}

TEST_F(BatchCommandTest, OnePngPerEnvelope)
{
    ASSERT_EQ(run({QStringLiteral("--csv"), csv(threeGood), QStringLiteral("--png-dir"), file("pngs")}), ExitStatus::ok)
        << qPrintable(captured.err());
    EXPECT_EQ(QDir(file("pngs")).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("envelope-2.png"), QStringLiteral("envelope-3.png"), QStringLiteral("envelope.png")}));
}

TEST_F(BatchCommandTest, HelpNamesTheOptions)
{
    EXPECT_EQ(run({QStringLiteral("--help")}), ExitStatus::ok);
    EXPECT_TRUE(captured.out().startsWith(QLatin1String("Usage: envelope batch"))) << qPrintable(captured.out());
    EXPECT_TRUE(captured.out().contains(QLatin1String("--on-bad-record")));
}

struct UsageRow {
    const char *name;
    QStringList args;
    const char *mentioned;
};

void PrintTo(const UsageRow &row, std::ostream *os) { *os << row.name; }

class BatchUsage : public BatchCommandTest, public ::testing::WithParamInterface<UsageRow> {};

TEST_P(BatchUsage, ExitsTwoWithTheBatchUsage)
{
    EXPECT_EQ(run(GetParam().args), ExitStatus::usage);
    EXPECT_TRUE(captured.err().contains(QLatin1String(GetParam().mentioned))) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QLatin1String("Usage: envelope batch")));
    EXPECT_TRUE(presenter->messages.empty());
}

const QString a = QStringLiteral("a.csv");
INSTANTIATE_TEST_SUITE_P(
    Batch, BatchUsage,
    ::testing::Values(
        UsageRow{"NoInput", {}, "--csv"},
        UsageRow{"TwoInputs", {QStringLiteral("--csv"), a, QStringLiteral("--database"), QStringLiteral("sqlite:x")}, "either"},
        UsageRow{"QueryWithCsv", {QStringLiteral("--csv"), a, QStringLiteral("--query"), QStringLiteral("SELECT 1")}, "--query goes with"},
        UsageRow{"DatabaseWithoutQuery", {QStringLiteral("--database"), QStringLiteral("sqlite:x")}, "--query"},
        UsageRow{"BadPolicy", {QStringLiteral("--csv"), a, QStringLiteral("--on-bad-record"), QStringLiteral("ignore")}, "\"ignore\""},
        UsageRow{"TwoOutputs", {QStringLiteral("--csv"), a, QStringLiteral("--pdf"), QStringLiteral("x.pdf"), QStringLiteral("--printer"), QStringLiteral("q")},
                 "only one"},
        UsageRow{"BadColumns", {QStringLiteral("--csv"), a, QStringLiteral("--columns"), QStringLiteral("zipcode=Z")}, "\"zipcode\""},
        UsageRow{"EmptyPdf", {QStringLiteral("--csv"), a, QStringLiteral("--pdf"), QString()}, "--pdf needs"},
        UsageRow{"Repeated", {QStringLiteral("--csv"), a, QStringLiteral("--csv"), a}, "more than once"},
        UsageRow{"Stray", {QStringLiteral("--csv"), a, QStringLiteral("extra")}, "\"extra\""},
        UsageRow{"JobSizeZero", {QStringLiteral("--csv"), a, QStringLiteral("--printer"), QStringLiteral("q"), QStringLiteral("--job-size"), QStringLiteral("0")},
                 "--job-size \"0\" is not a positive number"},
        UsageRow{"JobSizeFraction", {QStringLiteral("--csv"), a, QStringLiteral("--printer"), QStringLiteral("q"), QStringLiteral("--job-size"), QStringLiteral("2.5")},
                 "--job-size \"2.5\""},
        UsageRow{"JobSizeWord", {QStringLiteral("--csv"), a, QStringLiteral("--printer"), QStringLiteral("q"), QStringLiteral("--job-size"), QStringLiteral("ten")},
                 "--job-size \"ten\""},
        UsageRow{"JobSizeWithPdf", {QStringLiteral("--csv"), a, QStringLiteral("--pdf"), QStringLiteral("x.pdf"), QStringLiteral("--job-size"), QStringLiteral("5")},
                 "--job-size goes with --printer"}),
    [](const auto &row) { return std::string(row.param.name); });

using Backend = testsupport::TestDatabase::Backend;

class DatabaseInput : public BatchCommandTest, public ::testing::WithParamInterface<Backend> {};

// The same addressees from a query; a ZIP kept as a number gets its zeros back.
TEST_P(DatabaseInput, PrintsOneEnvelopePerRow)
{
    if (const auto why = testsupport::TestDatabase::unavailable(GetParam())) {
        if (testsupport::TestDatabase::required(GetParam()))
            FAIL() << qPrintable(*why);
        GTEST_SKIP() << qPrintable(*why);
    }
    testsupport::TestDatabase db(GetParam());
    ASSERT_TRUE(db.write(db.sql("DROP TABLE %1")));
    ASSERT_TRUE(db.write(db.sql("CREATE TABLE %1 (id INTEGER PRIMARY KEY, FullName VARCHAR(40), street1 VARCHAR(40), "
                                "city VARCHAR(40), state CHAR(2), zip INTEGER)")));
    ASSERT_TRUE(db.write(db.sql("INSERT INTO %1 VALUES (1, 'Ann Lee', '9 Elm St.', 'Salem', 'OR', 973011234)")));
    ASSERT_TRUE(db.write(db.sql("INSERT INTO %1 VALUES (2, 'Bo Park', '1 Old Rd.', 'Boston', 'MA', 2134)")));
    ASSERT_TRUE(db.write(db.sql("INSERT INTO %1 VALUES (3, NULL, '1 Old Rd.', 'Boston', 'MA', 2134)")));
    ASSERT_EQ(run({QStringLiteral("--database"), db.url(), QStringLiteral("--query"), db.sql("SELECT * FROM %1 ORDER BY id"),
                   QStringLiteral("--columns"), QStringLiteral("name=fullname"), QStringLiteral("--pdf"), file("db.pdf")}),
              ExitStatus::ok)
        << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QLatin1String("record 3: the name is missing"))) << qPrintable(captured.err());
    EXPECT_TRUE(captured.err().contains(QLatin1String("3 printed, 0 skipped, 1 bad"))) << qPrintable(captured.err());
    const QString text = testsupport::PdfReport(file("db.pdf")).text();
    EXPECT_TRUE(text.contains(QLatin1String("Salem, OR 97301-1234"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QLatin1String("Boston, MA 02134"))) << qPrintable(text);
}

INSTANTIATE_TEST_SUITE_P(Batch, DatabaseInput, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &row) { return testsupport::TestDatabase::name(row.param); });

} // namespace
