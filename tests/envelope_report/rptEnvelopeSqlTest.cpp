// The envelope report with a query: the record-source step of its data event and
// its release, against SQLite and a real PostgreSQL server.
#include "envelope_report/rptEnvelope.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/DatabaseConnection.h"
#include "support/RecordingMessagePresenter.h"
#include "support/TestDatabase.h"
#include "support/WinePrefixFixture.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

using envelope::rptEnvelope;
using testsupport::RecordingMessagePresenter;
using testsupport::TestDatabase;
using Backend = testsupport::TestDatabase::Backend;

namespace {

const QString caseElse = QStringLiteral("Case Else; no return address.");
const QString noSql = QStringLiteral("Should not see this; no SQL.");
const QString addressee = QStringLiteral("Addressee:  Orrin Vask\r\n123 Here Rd.\r\nNowheresville, AK 92901");
const QString newEof = QStringLiteral("NewEOF:  True");
const RecordingMessagePresenter::Message noRecord{QStringLiteral("Print an Envelope"), QStringLiteral("No record found.")};

class EnvelopeWithQuery : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (const auto why = TestDatabase::unavailable(GetParam())) {
            if (TestDatabase::required(GetParam()))
                FAIL() << why->toStdString();
            GTEST_SKIP() << why->toStdString();
        }
        db.emplace(GetParam());
        engine::DatabaseConnection::open(db->url(), QStringLiteral("tests"));
    }
    void TearDown() override
    {
        report.reset();
        engine::DatabaseConnection::close();
        db.reset();
    }

    rptEnvelope &makeReport(const QString &sql)
    {
        report = std::make_unique<rptEnvelope>(prefix.api(presenter));
        report->AddresseeName = QStringLiteral("Orrin Vask");
        report->AddresseeStreet1 = QStringLiteral("123 Here Rd.");
        report->AddresseeCity = QStringLiteral("Nowheresville");
        report->AddresseeState = QStringLiteral("AK");
        report->AddresseeZipCode = 92901;
        report->SQL = sql;
        report->setDestination(engine::PrintDestination::pdfFile(out.filePath(QStringLiteral("e.pdf"))));
        return *report;
    }

    std::optional<TestDatabase> db;
    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<RecordingMessagePresenter> presenter = std::make_shared<RecordingMessagePresenter>();
    std::unique_ptr<rptEnvelope> report;
    QTemporaryDir out;
};

TEST_P(EnvelopeWithQuery, RecordsFoundShowOnlyTheQueryNotice)
{
    makeReport(db->sql("SELECT name FROM %1")).PrintReport(false);
    EXPECT_EQ(presenter->texts(), (QStringList{caseElse, noSql, addressee, newEof}));
}

TEST_P(EnvelopeWithQuery, NoRecordWarnsAndStillPrintsTheEnvelope)
{
    makeReport(db->sql("SELECT name FROM %1 WHERE id > 100")).PrintReport(false);
    ASSERT_EQ(presenter->messages.size(), 5u);
    EXPECT_EQ(presenter->texts(), (QStringList{caseElse, noSql, noRecord.text, addressee, newEof}));
    EXPECT_EQ(presenter->messages[2], noRecord);
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("e.pdf"))));
}

TEST_P(EnvelopeWithQuery, EmptySqlTouchesNoDatabase)
{
    engine::DatabaseConnection::close(); // any use of a connection would now fail
    makeReport(QString()).PrintReport(false);
    EXPECT_EQ(presenter->texts(), (QStringList{caseElse, addressee, newEof}));
}

TEST_P(EnvelopeWithQuery, ABlankQueryCountsAsSetAndFails)
{
    auto &r = makeReport(QStringLiteral(" "));
    EXPECT_THROW(r.PrintReport(false), engine::EngineError);
    EXPECT_EQ(presenter->texts(), (QStringList{caseElse, noSql}));
}

TEST_P(EnvelopeWithQuery, ARejectedQueryIsFatalAndTheFieldIsNeverAdded)
{
    auto &r = makeReport(QStringLiteral("SELECT nothing FROM nowhere_at_all"));
    try {
        r.PrintReport(false);
        FAIL() << "printed";
    } catch (const engine::EngineError &e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("nowhere_at_all"))) << e.what();
    }
    EXPECT_EQ(r.fields().find(QStringLiteral("FooterBarCode")), nullptr);
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("e.pdf"))));
}

TEST_P(EnvelopeWithQuery, ADataChangingQueryFailsAndChangesNothing)
{
    auto &r = makeReport(db->sql("DELETE FROM %1"));
    EXPECT_THROW(r.PrintReport(false), engine::EngineError);
    EXPECT_EQ(db->rowCount(), 3);
}

TEST_P(EnvelopeWithQuery, PrintedTwiceThenReleasedLeavesNoQueryOpen)
{
    auto &r = makeReport(db->sql("SELECT name FROM %1"));
    r.PrintReport(false);
    r.PrintReport(false);
    EXPECT_EQ(presenter->texts().count(noSql), 2);
    report.reset();
    // Every statement is finished: the table can be dropped and written again.
    EXPECT_TRUE(db->write(db->sql("DELETE FROM %1")));
    EXPECT_EQ(db->rowCount(), 0);
}

TEST_P(EnvelopeWithQuery, ReleasedWithoutARunClosesNothingAndDoesNotFail)
{
    makeReport(db->sql("SELECT name FROM %1"));
    EXPECT_NO_THROW(report.reset());
    EXPECT_EQ(presenter->texts(), QStringList{caseElse});
}

INSTANTIATE_TEST_SUITE_P(Databases, EnvelopeWithQuery, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &row) { return TestDatabase::name(row.param); });

} // namespace
