// Prints through the real CUPS scheduler to the queues scripts/start-cups.sh
// creates, then reads back what the scheduler recorded and what the filters got.
// Without those queues the tests skip, unless ENVELOPE_REQUIRE_CUPS=1 (CI).
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/print/CupsPrinter.h"
#include "support/CupsTestQueue.h"
#include "support/QtPrinting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using engine::CupsJobRequest;
using engine::CupsPrinter;
using engine::EngineError;
using testsupport::cupsStoppedQueue;
using testsupport::cupsTestQueue;
using testsupport::ScopedEnv;
using ::testing::HasSubstr;

// The scheduler's own default, asked directly so the answer doesn't go
// through the code under test.
std::optional<QString> schedulerDefault()
{
    testsupport::Ipp response(cupsDoRequest(CUPS_HTTP_DEFAULT, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/"));
    ipp_attribute_t *name = response ? ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME) : nullptr;
    if (!name)
        return std::nullopt;
    return QString::fromUtf8(ippGetString(name, 0, nullptr));
}

// One landscape No. 10 page, as the report renders it.
void writeEnvelopePdf(const QString &path)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(684, 297), QPageSize::Point, QStringLiteral("No. 10 landscape"),
                                 QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.drawText(QPointF(300, 150), QStringLiteral("JOHN DOE"));
}

CupsJobRequest envelopeRequest(const QString &documentPath)
{
    CupsJobRequest job;
    job.queue = QString::fromUtf8(cupsTestQueue);
    job.title = QStringLiteral("Envelope");
    job.documentPath = documentPath;
    job.options = {{"media", "na_number-10_4.125x9.5in"}, {"media-source", "envelope"}, {"print-scaling", "none"}};
    job.zeroMargins = true;
    return job;
}

class CupsPrinterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_pdf = m_dir.filePath(QStringLiteral("Envelope.pdf"));
        writeEnvelopePdf(m_pdf);
    }

    QTemporaryDir m_dir;
    QString m_pdf;
};

// ---- jobs that print --------------------------------------------------------

struct JobCase {
    const char *name;
    std::vector<std::pair<QByteArray, QByteArray>> options;
    bool zeroMargins;
    // What the scheduler must record: the media as a keyword, or as media-col.
    const char *mediaKeyword;  // nullptr: media travels in media-col
    int expectedMargin;        // -1: no media-col; 0: borderless; >0: the printer's margins
    const char *mediaSource;   // inside media-col, nullptr: none
    const char *inputSlot;     // the PPD InputSlot the filter was given
};

void PrintTo(const JobCase &c, std::ostream *os) { *os << c.name; }

class CupsPrinterJobTest : public CupsPrinterTest, public ::testing::WithParamInterface<JobCase> {};

TEST_P(CupsPrinterJobTest, JobCompletesWithTheRequestedSettings)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    const JobCase &c = GetParam();
    const QString title = QStringLiteral("Envelope-%1-%2").arg(QCoreApplication::applicationPid()).arg(
        QString::fromLatin1(c.name));

    const testsupport::CupsTestQueueLock lock;
    ASSERT_TRUE(lock.isLocked());

    CupsJobRequest job = envelopeRequest(m_pdf);
    job.title = title;
    job.options = c.options;
    job.zeroMargins = c.zeroMargins;
    const int jobId = CupsPrinter::submit(job).id;
    ASSERT_GT(jobId, 0);

    const auto recorded = testsupport::waitForJobEnd(jobId);
    ASSERT_TRUE(recorded) << cupsLastErrorString();
    ASSERT_EQ(recorded->state, IPP_JSTATE_COMPLETED) << "job " << jobId << " did not complete";
    EXPECT_EQ(recorded->name, title);
    EXPECT_EQ(recorded->printScaling, QStringLiteral("none"));
    EXPECT_TRUE(recorded->printerUri.endsWith(QStringLiteral("/printers/envelope-test")));

    if (c.mediaKeyword) {
        EXPECT_EQ(recorded->media, std::optional(QString::fromLatin1(c.mediaKeyword)));
        EXPECT_FALSE(recorded->mediaCol) << "media and media-col both sent";
    } else {
        EXPECT_FALSE(recorded->media) << "media and media-col both sent";
        ASSERT_TRUE(recorded->mediaCol);
        const auto &col = *recorded->mediaCol;
        EXPECT_EQ(col.size, std::optional(testsupport::no10Size));
        for (const auto &[edge, margin] : col.margins)
            EXPECT_EQ(margin, c.expectedMargin) << edge;
        EXPECT_EQ(col.source, QString::fromLatin1(c.mediaSource ? c.mediaSource : ""));
    }

    // What the filter made of it: the PPD's InputSlot code is in the PostScript it wrote.
    const auto output = testsupport::FilterOutput::read();
    if (!output.error().isEmpty())
        return testsupport::skipOrFailWithoutCups(output.error().toStdString());
    EXPECT_TRUE(output.hasTitle(title)) << "the file holds another job's output";
    EXPECT_TRUE(output.selectsInputSlot(c.inputSlot)) << "InputSlot " << c.inputSlot << " not in the filter's output";
}

INSTANTIATE_TEST_SUITE_P(
    Envelope, CupsPrinterJobTest,
    ::testing::Values(
        JobCase{"BorderlessFromEnvelopeFeeder",
                {{"media", "na_number-10_4.125x9.5in"}, {"media-source", "envelope"}, {"print-scaling", "none"}},
                true, nullptr, 0, "envelope", "Envelope"},
        JobCase{"MarginsKeptWhenNotAskedToDrop",
                {{"media", "na_number-10_4.125x9.5in"}, {"media-source", "envelope"}, {"print-scaling", "none"}},
                false, nullptr, 318, "envelope", "Envelope"}, // the PPD's 9 pt Env10 margins
        JobCase{"PlainMediaStaysAKeyword",
                {{"media", "na_number-10_4.125x9.5in"}, {"print-scaling", "none"}}, false,
                "na_number-10_4.125x9.5in", -1, nullptr, "Auto"}),
    [](const auto &param) { return std::string(param.param.name); });

TEST_F(CupsPrinterTest, EmptyQueueMeansTheDefaultDestination)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    const ScopedEnv lpdest("LPDEST", QByteArray(cupsTestQueue));
    EXPECT_EQ(CupsPrinter::defaultDestination(), std::optional(QString::fromUtf8(cupsTestQueue)));

    const testsupport::CupsTestQueueLock lock;
    ASSERT_TRUE(lock.isLocked());
    CupsJobRequest job = envelopeRequest(m_pdf);
    job.queue.clear();
    const int jobId = CupsPrinter::submit(job).id;
    const auto recorded = testsupport::waitForJobEnd(jobId);
    ASSERT_TRUE(recorded) << cupsLastErrorString();
    EXPECT_TRUE(recorded->printerUri.endsWith(QStringLiteral("/printers/envelope-test")));
}

TEST_F(CupsPrinterTest, NoDefaultDestinationIsNothingAndRefusesTheJob)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    if (const auto dflt = schedulerDefault())
        GTEST_SKIP() << "the scheduler has a default destination: " << dflt->toStdString();
    const ScopedEnv lpdest("LPDEST", std::nullopt);
    const ScopedEnv printer("PRINTER", std::nullopt);

    EXPECT_EQ(CupsPrinter::defaultDestination(), std::nullopt);
    CupsJobRequest job = envelopeRequest(m_pdf);
    job.queue.clear();
    try {
        CupsPrinter::submit(job);
        FAIL() << "printed without a destination";
    } catch (const EngineError &e) {
        EXPECT_THAT(e.message().toStdString(), HasSubstr("default printer"));
    }
}

// ---- jobs CUPS refuses ------------------------------------------------------

struct RefusalCase {
    const char *name;
    const char *queue;
    ipp_status_t status;
};

void PrintTo(const RefusalCase &c, std::ostream *os) { *os << c.name; }

class CupsPrinterRefusalTest : public CupsPrinterTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CupsPrinterRefusalTest, ThrowsNamingTheQueueAndCupsError)
{
    if (!testsupport::cupsTestQueuesReady())
        return;
    const RefusalCase &c = GetParam();
    CupsJobRequest job = envelopeRequest(m_pdf);
    job.queue = QString::fromLatin1(c.queue);
    try {
        CupsPrinter::submit(job);
        FAIL() << "the job was accepted";
    } catch (const EngineError &e) {
        // Nothing runs after the refusal, so CUPS's last error is the one reported.
        EXPECT_EQ(cupsLastError(), c.status) << cupsLastErrorString();
        EXPECT_THAT(e.message().toStdString(), HasSubstr(c.queue));
        EXPECT_THAT(e.message().toStdString(), HasSubstr(cupsLastErrorString()));
    }
}

INSTANTIATE_TEST_SUITE_P(Queues, CupsPrinterRefusalTest,
                         ::testing::Values(RefusalCase{"UnknownQueue", "envelope-no-such-queue",
                                                       IPP_STATUS_ERROR_NOT_FOUND},
                                           RefusalCase{"StoppedRejectingQueue", cupsStoppedQueue,
                                                       IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS}),
                         [](const auto &param) { return std::string(param.param.name); });

// Needs no scheduler at all: it is the case of a machine without one.
TEST_F(CupsPrinterTest, SchedulerDownAnswersFastWithNothingAndAnError)
{
    const ScopedEnv server("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
    const ScopedEnv lpdest("LPDEST", QByteArray(cupsTestQueue)); // a default that can't be reached
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(CupsPrinter::defaultDestination(), std::nullopt);
    EXPECT_LT(timer.elapsed(), 2000);

    timer.restart();
    try {
        CupsPrinter::submit(envelopeRequest(m_pdf));
        FAIL() << "printed without a scheduler";
    } catch (const EngineError &e) {
        EXPECT_THAT(e.message().toStdString(), HasSubstr(cupsTestQueue));
        EXPECT_THAT(e.message().toStdString(), HasSubstr("/nonexistent/cups.sock"));
    }
    EXPECT_LT(timer.elapsed(), 2000);
}

// A document that can't be sent whole is refused before any job exists.
TEST_F(CupsPrinterTest, RefusesADocumentThatIsNotAReadablePdf)
{
    const QString notPdf = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile text(notPdf);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("JOHN DOE\r\n");
    text.close();

    for (const QString &path : {m_dir.filePath(QStringLiteral("missing.pdf")), notPdf}) {
        CupsJobRequest job = envelopeRequest(path);
        try {
            CupsPrinter::submit(job);
            ADD_FAILURE() << "printed " << path.toStdString();
        } catch (const EngineError &e) {
            EXPECT_THAT(e.message().toStdString(), HasSubstr(path.toStdString()));
        }
    }
}

} // namespace
