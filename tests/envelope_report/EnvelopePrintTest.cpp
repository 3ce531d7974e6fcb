// The sample envelope printed through the real CUPS scheduler to the queues
// scripts/start-cups.sh creates: what the scheduler recorded of the job and what
// the queue's filter selected. Without the queues the tests skip, unless
// ENVELOPE_REQUIRE_CUPS=1 (CI).
#include "envelope_report/rptEnvelope.h"
#include "reporting_engine/base/EngineError.h"
#include "support/CupsTestQueue.h"
#include "support/QtPrinting.h"
#include "support/RecordingMessagePresenter.h"
#include "support/WinePrefixFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <memory>
#include <optional>
#include <ostream>

namespace {

using engine::PrintOutcome;
using envelope::rptEnvelope;
using testsupport::cupsStoppedQueue;
using testsupport::cupsTestQueue;
using ::testing::HasSubstr;

class EnvelopePrintTest : public ::testing::Test {
protected:
    std::unique_ptr<rptEnvelope> makeReport(const char *queue)
    {
        auto r = std::make_unique<rptEnvelope>(prefix.api(presenter));
        r->AddresseeName = QStringLiteral("Orrin Vask");
        r->AddresseeStreet1 = QStringLiteral("123 Here Rd.");
        r->AddresseeCity = QStringLiteral("Nowheresville");
        r->AddresseeState = QStringLiteral("AK");
        r->AddresseeZipCode = 92901;
        r->setDestination(engine::PrintDestination::printer(QString::fromLatin1(queue)));
        return r;
    }

    testsupport::WinePrefixFixture prefix;
    std::shared_ptr<testsupport::RecordingMessagePresenter> presenter =
        std::make_shared<testsupport::RecordingMessagePresenter>();
};

TEST_F(EnvelopePrintTest, PrintsANo10EnvelopeFromTheFeederUnscaledAndBorderless)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    const testsupport::CupsTestQueueLock lock;
    ASSERT_TRUE(lock.isLocked());

    auto report = makeReport(cupsTestQueue);
    report->PrintReport(false);
    const PrintOutcome &outcome = report->lastOutcome();
    ASSERT_EQ(outcome.kind, PrintOutcome::Kind::Printed);
    EXPECT_EQ(outcome.queue, QString::fromLatin1(cupsTestQueue));
    ASSERT_GT(outcome.jobId, 0);

    const auto recorded = testsupport::waitForJobEnd(outcome.jobId);
    ASSERT_TRUE(recorded) << cupsLastErrorString();
    ASSERT_EQ(recorded->state, IPP_JSTATE_COMPLETED) << "job " << outcome.jobId << " did not complete";
    EXPECT_EQ(recorded->name, QStringLiteral("Envelope"));
    EXPECT_EQ(recorded->printScaling, QStringLiteral("none"));
    EXPECT_FALSE(recorded->media) << "media and media-col both sent";
    ASSERT_TRUE(recorded->mediaCol);
    EXPECT_EQ(recorded->mediaCol->size, std::optional(testsupport::no10Size));
    // The queue's PPD offers a full-bleed Env10, so the zero margins are kept.
    for (const auto &[edge, margin] : recorded->mediaCol->margins)
        EXPECT_EQ(margin, 0) << edge;
    EXPECT_EQ(recorded->mediaCol->source, QStringLiteral("envelope"));

    const auto output = testsupport::FilterOutput::read();
    if (!output.error().isEmpty())
        return testsupport::skipOrFailWithoutCups(output.error().toStdString());
    EXPECT_TRUE(output.hasTitle(QStringLiteral("Envelope"))) << "the file holds another job's output";
    EXPECT_TRUE(output.selectsInputSlot("Envelope")) << "the filter did not select the envelope feeder";
}

TEST_F(EnvelopePrintTest, StoppedQueueThrowsNamingItAndLeavesNoSpoolFile)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    // A temp folder of its own, so other test programs' spool files don't count.
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const testsupport::ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp.path()));
    ASSERT_EQ(QDir(QDir::tempPath()), QDir(temp.path()));

    auto report = makeReport(cupsStoppedQueue);
    try {
        report->PrintReport(false);
        FAIL() << "the stopped queue accepted the job";
    } catch (const engine::EngineError &e) {
        EXPECT_THAT(e.message().toStdString(), HasSubstr(cupsStoppedQueue));
    }
    EXPECT_EQ(QDir::temp().entryList({QStringLiteral("*.pdf")}, QDir::Files), QStringList()); // no spool file
    EXPECT_EQ(report->lastOutcome().kind, PrintOutcome::Kind::NotPrinted);
}

} // namespace
