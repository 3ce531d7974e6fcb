// The batch report: one page per record through the envelope's own writes, bad
// records by policy, nothing made when stopped, interrupted or empty.
#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/SortedAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/model/ReportDesign.h"
#include "reporting_engine/render/PageSink.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using envelope::AddresseeRecord;
using envelope::BatchEnvelopeReport;
using Policy = BatchEnvelopeReport::BadRecords;

namespace {

class VectorSource final : public envelope::AddresseeSource {
public:
    explicit VectorSource(std::vector<AddresseeRecord> records) : m_records(std::move(records)) {}
    std::optional<AddresseeRecord> next() override
    {
        if (m_at >= m_records.size())
            return std::nullopt;
        return m_records[m_at++];
    }
    void rewind() override { m_at = 0; }
    double fractionRead() const override { return m_records.empty() ? 1.0 : double(m_at) / double(m_records.size()); }

private:
    std::vector<AddresseeRecord> m_records;
    size_t m_at = 0;
};

struct Page {
    QString address;
    QVariant barcode;
    bool operator==(const Page &) const = default;
};

class RecordingSink final : public engine::PageSink {
public:
    void addPage(const engine::ReportDesign &report) override
    {
        pages.push_back({report.textBox(QStringLiteral("fldAddress")).text(),
                         report.fields().find(QStringLiteral("FooterBarCode"))->value});
    }
    void finish() override { finished = true; }
    std::vector<Page> pages;
    bool finished = false;
};

AddresseeRecord rec(qint64 number, const char *name, const char *zip)
{
    AddresseeRecord r;
    r.number = number;
    r.name = QString::fromUtf8(name);
    r.street1 = QStringLiteral("1 Main St.");
    r.city = QStringLiteral("Salem");
    r.state = QStringLiteral("OR");
    r.zip = QString::fromUtf8(zip);
    return r;
}

Page good(const char *name, const char *zipText, const char *digits)
{
    return {QStringLiteral("%1\r\n1 Main St.\r\nSalem, OR %2").arg(QString::fromUtf8(name), QString::fromUtf8(zipText)),
            QString::fromUtf8(digits)};
}

Page bad(const char *name, const char *zipText)
{
    return {QStringLiteral("%1\r\n1 Main St.\r\nSalem, OR %2").arg(QString::fromUtf8(name), QString::fromUtf8(zipText)), QVariant()};
}

class BatchReport : public ::testing::Test {
protected:
    std::unique_ptr<BatchEnvelopeReport> make(VectorSource &source, Policy policy)
    {
        BatchEnvelopeReport::Listener listener;
        listener.badRecord = [this](const AddresseeRecord &r, const QStringList &) { badListed.push_back(r.number); };
        listener.interrupted = [this] { return ++asked > interruptAfter; };
        return std::make_unique<BatchEnvelopeReport>(prefix.api(presenter), source, policy, listener);
    }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter = std::make_shared<testsupport::RecordingMessagePresenter>();
    std::vector<qint64> badListed;
    int asked = 0;
    int interruptAfter = 1 << 30;
};

const std::vector<AddresseeRecord> mixed{rec(1, "Ann Lee", "97301"), rec(2, "Bo Park", "9730"), rec(3, "Cy Ng", "973011234"),
                                         rec(4, "", "97301")};

struct PolicyRow {
    const char *name;
    Policy policy;
    std::vector<Page> pages;
    qint64 printed, skipped;
};

void PrintTo(const PolicyRow &row, std::ostream *os) { *os << row.name; }

class Policies : public BatchReport, public ::testing::WithParamInterface<PolicyRow> {};

TEST_P(Policies, BadRecordsAreListedThenPrintedWithoutBarcodeOrLeftOut)
{
    VectorSource source(mixed);
    auto report = make(source, GetParam().policy);
    RecordingSink sink;
    EXPECT_EQ(report->run(sink), int(GetParam().pages.size()));
    EXPECT_EQ(sink.pages, GetParam().pages);
    EXPECT_EQ(badListed, (std::vector<qint64>{2, 4}));
    EXPECT_EQ(report->tally().printed, GetParam().printed);
    EXPECT_EQ(report->tally().skipped, GetParam().skipped);
    EXPECT_EQ(report->tally().bad, 2);
    // Only the constructor's message: none per record.
    EXPECT_EQ(presenter->texts(), QStringList{QStringLiteral("Case Else; no return address.")});
}

INSTANTIATE_TEST_SUITE_P(
    Batch, Policies,
    ::testing::Values(PolicyRow{"Print", Policy::Print,
                                {good("Ann Lee", "97301", "97301"), bad("Bo Park", "9730"), good("Cy Ng", "97301-1234", "973011234"),
                                 bad("", "97301")},
                                4, 0},
                      // The last record is bad: the page of the one before must end the run.
                      PolicyRow{"Skip", Policy::Skip, {good("Ann Lee", "97301", "97301"), good("Cy Ng", "97301-1234", "973011234")}, 2, 2}),
    [](const auto &row) { return std::string(row.param.name); });

TEST_F(BatchReport, StopChecksEverythingBeforeMakingAnyPage)
{
    VectorSource source(mixed);
    auto report = make(source, Policy::Stop);
    RecordingSink sink;
    EXPECT_THROW(report->run(sink), engine::EngineError);
    EXPECT_TRUE(sink.pages.empty());
    EXPECT_EQ(badListed, (std::vector<qint64>{2, 4}));
}

TEST_F(BatchReport, StopWithGoodInputPrintsAllAfterTheCheck)
{
    VectorSource source({rec(1, "Ann Lee", "97301"), rec(2, "Cy Ng", "97301")});
    auto report = make(source, Policy::Stop);
    EXPECT_EQ(report->checkInput(), 0);
    RecordingSink sink;
    EXPECT_EQ(report->run(sink), 2);
    EXPECT_EQ(sink.pages.back(), good("Cy Ng", "97301", "97301"));
}

struct NothingRow {
    const char *name;
    std::vector<AddresseeRecord> records;
    const char *mentioned;
};

void PrintTo(const NothingRow &row, std::ostream *os) { *os << row.name; }

class NothingToPrint : public BatchReport, public ::testing::WithParamInterface<NothingRow> {};

TEST_P(NothingToPrint, FailsBeforeAnyPage)
{
    VectorSource source(GetParam().records);
    auto report = make(source, Policy::Skip);
    RecordingSink sink;
    try {
        report->run(sink);
        FAIL() << "ran";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String(GetParam().mentioned))) << qPrintable(e.message());
    }
    EXPECT_TRUE(sink.pages.empty());
    EXPECT_FALSE(sink.finished);
}

INSTANTIATE_TEST_SUITE_P(Batch, NothingToPrint,
                         ::testing::Values(NothingRow{"NoRecords", {}, "no records"},
                                           NothingRow{"AllBad", {rec(1, "", "1"), rec(2, "A", "x")}, "All 2 record(s) are bad"}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(BatchReport, InterruptedRunLeavesNoPdf)
{
    std::vector<AddresseeRecord> many;
    for (int i = 1; i <= 50; ++i)
        many.push_back(rec(i, "Ann Lee", "97301"));
    VectorSource source(many);
    interruptAfter = 10;
    auto report = make(source, Policy::Print);
    QTemporaryDir dir;
    report->setDestination(engine::PrintDestination::pdfFile(dir.filePath(QStringLiteral("batch.pdf"))));
    try {
        report->PrintReport(false);
        ADD_FAILURE() << "printed";
    } catch (const engine::EngineError &e) {
        // Between records as after a page: the report's one cancel check and its message.
        EXPECT_TRUE(e.message().contains(QLatin1String("\"Envelope\" was cancelled"))) << qPrintable(e.message());
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(BatchReport, InterruptedCheckOfTheInputIsCancelledAsARunIs)
{
    VectorSource source(std::vector<AddresseeRecord>(20, rec(1, "Ann Lee", "97301")));
    interruptAfter = 3;
    auto report = make(source, Policy::Stop);
    try {
        report->checkInput();
        ADD_FAILURE() << "checked";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("\"Envelope\" was cancelled"))) << qPrintable(e.message());
    }
}

TEST_F(BatchReport, SecondRunReadsTheSourceAgain)
{
    VectorSource source({rec(1, "Ann Lee", "97301"), rec(2, "Cy Ng", "97301")});
    auto report = make(source, Policy::Print);
    RecordingSink first, second;
    report->run(first);
    report->run(second);
    EXPECT_EQ(first.pages, second.pages);
}

// Serials: one step for the run's good records without a code of their own; an interrupted
// run gives back the tail it did not hand out, so the counter goes on from the last one printed.
TEST_F(BatchReport, IntelligentMailRunReservesItsSerialsAndAnInterruptedOneGivesBackTheTail)
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("config")))); // no mail.conf
    std::vector<AddresseeRecord> records;
    for (int i = 1; i <= 40; ++i)
        records.push_back(rec(i, "Ann Lee", i == 2 ? "9730" : "97301")); // record 2 is bad: no barcode, no serial
    records.back().imb = QStringLiteral("01234567094987654321");         // its own code: no serial
    VectorSource source(records);
    auto report = make(source, Policy::Print);
    envelope::MailSettings mail;
    mail.barcode = QStringLiteral("imb");
    mail.mailerId = QStringLiteral("123456");
    mail.serviceType = QStringLiteral("270");
    mail.serialFile = dir.filePath(QStringLiteral("serial"));
    report->setMailSettings(mail);
    const auto counter = [&] {
        QFile f(mail.serialFile);
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : -1;
    };

    report->setDestination(engine::PrintDestination::pdfFile(dir.filePath(QStringLiteral("batch.pdf"))));
    report->PrintReport(false);
    EXPECT_EQ(counter(), 38);

    interruptAfter = asked + 40 + 20; // past the count of the records, into the run
    EXPECT_THROW(report->PrintReport(false), engine::EngineError);
    const qint64 printed = report->tally().printed; // record 2 is not among them: record 1 is the only one before it
    ASSERT_GT(printed, 1);
    ASSERT_LT(printed, 38);
    EXPECT_EQ(counter(), 38 + printed - 1);
    qunsetenv("XDG_CONFIG_HOME");
}

} // namespace

namespace {

// Pub 28 makes "Ann Lee / 1 Main St." and "ANN LEE / 1 MAIN STREET" one addressee; the ZIP+4 counts by its ZIP5.
struct DuplicateRow {
    const char *name;
    BatchEnvelopeReport::Duplicates duplicates;
    int pages;
    qint64 skipped;
};

void PrintTo(const DuplicateRow &row, std::ostream *os) { *os << row.name; }

class Duplicates : public BatchReport, public ::testing::WithParamInterface<DuplicateRow> {};

TEST_P(Duplicates, AreListedWithTheFirstsRecordAndSkippedOnRequest)
{
    AddresseeRecord again = rec(3, "ANN LEE", "97301-1234");
    again.street1 = QStringLiteral("1 MAIN STREET");
    VectorSource source({rec(1, "Ann Lee", "97301"), rec(2, "Bo Park", "97301"), again});
    std::vector<QString> warned;
    BatchEnvelopeReport::Listener listener;
    listener.checked = [&](const AddresseeRecord &r, const envelope::AddresseeValidator::Verdict &v) {
        if (!v.warnings.isEmpty())
            warned.push_back(QStringLiteral("%1: %2").arg(r.number).arg(v.warnings.join(QLatin1Char('|'))));
    };
    BatchEnvelopeReport report(prefix.api(presenter), source, Policy::Print, listener);
    report.setDuplicates(GetParam().duplicates);
    RecordingSink sink;
    EXPECT_EQ(report.run(sink), GetParam().pages);
    EXPECT_EQ(report.tally().skipped, GetParam().skipped);
    EXPECT_EQ(warned, std::vector<QString>{QStringLiteral("3: the same addressee as record 1")});
}

INSTANTIATE_TEST_SUITE_P(Batch, Duplicates,
                         ::testing::Values(DuplicateRow{"Print", BatchEnvelopeReport::Duplicates::Print, 3, 0},
                                           DuplicateRow{"Skip", BatchEnvelopeReport::Duplicates::Skip, 2, 1}),
                         [](const auto &row) { return std::string(row.param.name); });

TEST_F(BatchReport, SortedByZipKeepsEachRecordsNumber)
{
    VectorSource input({rec(1, "Ann Lee", "99501"), rec(2, "Bo Park", "bad"), rec(3, "Cy Ng", "02108"), rec(4, "Di Wu", "02108-0001")});
    envelope::SortedAddresseeSource sorted(input);
    std::vector<qint64> order;
    while (const auto r = sorted.next())
        order.push_back(r->number);
    EXPECT_EQ(order, (std::vector<qint64>{3, 4, 1, 2}));
    sorted.rewind();
    EXPECT_EQ(sorted.next()->number, 3);
}

} // namespace
