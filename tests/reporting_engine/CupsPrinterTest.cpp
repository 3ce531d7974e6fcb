// Prints through the real CUPS scheduler to the queues scripts/start-cups.sh
// creates, then reads back what the scheduler recorded and what the filters got.
// Without those queues the tests skip, unless ENVELOPE_REQUIRE_CUPS=1 (CI).
#include "reporting_engine/CupsPrinter.h"
#include "reporting_engine/EngineError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <cups/cups.h>

#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

using engine::CupsJobRequest;
using engine::CupsPrinter;
using engine::EngineError;
using ::testing::HasSubstr;

constexpr const char *kQueue = "envelope-test";
constexpr const char *kStoppedQueue = "envelope-stopped";
constexpr int kNo10Width = 10478;  // 4.125 in, hundredths of a millimetre
constexpr int kNo10Length = 24130; // 9.5 in

struct IppDelete {
    void operator()(ipp_t *ipp) const { ippDelete(ipp); }
};
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// Sets or clears an environment variable for one test and makes libcups read
// its settings again (it caches the server name).
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<QByteArray> value)
        : name_(name), old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        apply(value);
    }
    ~ScopedEnv() { apply(old_); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void apply(const std::optional<QByteArray> &value)
    {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
        cupsSetServer(nullptr);
    }
    const char *name_;
    std::optional<QByteArray> old_;
};

bool cupsRequired()
{
    return qEnvironmentVariable("ENVELOPE_REQUIRE_CUPS") == QLatin1String("1");
}

Ipp ippRequest(ipp_t *request, const char *resource)
{
    return Ipp(cupsDoRequest(CUPS_HTTP_DEFAULT, request, resource));
}

Ipp printerAttributes(const char *queue, const char *attribute)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", queue);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, attribute);
    Ipp response = ippRequest(request, "/");
    if (cupsLastError() > IPP_STATUS_OK_CONFLICTING)
        return nullptr;
    return response;
}

// Why the test queues can't be used, or nothing when they can.
std::optional<QString> queuesMissing()
{
    for (const char *queue : {kQueue, kStoppedQueue}) {
        if (!printerAttributes(queue, "printer-name")) {
            return QStringLiteral("CUPS queue \"%1\" is not available (%2); run scripts/start-cups.sh as root")
                .arg(QString::fromUtf8(queue), QString::fromUtf8(cupsLastErrorString()));
        }
    }
    return std::nullopt;
}

// The scheduler's own default, asked directly so the answer doesn't go
// through the code under test.
std::optional<QString> schedulerDefault()
{
    Ipp response = ippRequest(ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/");
    ipp_attribute_t *name = response ? ippFindAttribute(response.get(), "printer-name", IPP_TAG_NAME) : nullptr;
    if (!name)
        return std::nullopt;
    return QString::fromUtf8(ippGetString(name, 0, nullptr));
}

Ipp jobAttributes(int jobId)
{
    static const char *const wanted[] = {"job-state", "job-name", "job-printer-uri", "media", "media-col",
                                         "media-source", "print-scaling"};
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    // "all" leaves media-col out, so name every attribute.
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  static_cast<int>(std::size(wanted)), nullptr, wanted);
    return ippRequest(request, "/jobs/");
}

ipp_jstate_t jobState(ipp_t *attrs)
{
    ipp_attribute_t *state = ippFindAttribute(attrs, "job-state", IPP_TAG_ENUM);
    return state ? static_cast<ipp_jstate_t>(ippGetInteger(state, 0)) : IPP_JSTATE_PENDING;
}

// Polls until the job has ended (completed, cancelled or aborted) or the time is up.
Ipp waitForJobEnd(int jobId, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        Ipp attrs = jobAttributes(jobId);
        if (!attrs || jobState(attrs.get()) >= IPP_JSTATE_CANCELED || timer.elapsed() > timeoutMs)
            return attrs;
        QThread::msleep(100);
    }
}

QString stringAttr(ipp_t *attrs, const char *name)
{
    ipp_attribute_t *attr = ippFindAttribute(attrs, name, IPP_TAG_ZERO);
    return attr ? QString::fromUtf8(ippGetString(attr, 0, nullptr)) : QString();
}

int intMember(ipp_t *collection, const char *name)
{
    ipp_attribute_t *attr = ippFindAttribute(collection, name, IPP_TAG_INTEGER);
    return attr ? ippGetInteger(attr, 0) : -1;
}

// The queue writes every job to the same file: one job at a time, also
// across test processes run in parallel.
QString queueLockPath()
{
    return QDir::temp().filePath(QStringLiteral("envelope-test-queue.lock"));
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
    job.queue = QString::fromUtf8(kQueue);
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
        ASSERT_TRUE(dir_.isValid());
        pdf_ = dir_.filePath(QStringLiteral("Envelope.pdf"));
        writeEnvelopePdf(pdf_);
    }

    // Call first in tests that print: skips or, under CI, fails without the queues.
    bool queuesReady()
    {
        if (const auto missing = queuesMissing()) {
            if (cupsRequired())
                ADD_FAILURE() << missing->toStdString();
            else
                [&] { GTEST_SKIP() << missing->toStdString(); }();
            return false;
        }
        return true;
    }

    QTemporaryDir dir_;
    QString pdf_;
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
    if (!queuesReady())
        return;
    const JobCase &c = GetParam();
    const QString title = QStringLiteral("Envelope-%1-%2").arg(QCoreApplication::applicationPid()).arg(
        QString::fromLatin1(c.name));

    QLockFile lock(queueLockPath());
    ASSERT_TRUE(lock.tryLock(60000));

    CupsJobRequest job = envelopeRequest(pdf_);
    job.title = title;
    job.options = c.options;
    job.zeroMargins = c.zeroMargins;
    const int jobId = CupsPrinter::submit(job);
    ASSERT_GT(jobId, 0);

    Ipp attrs = waitForJobEnd(jobId);
    ASSERT_TRUE(attrs) << cupsLastErrorString();
    ASSERT_EQ(jobState(attrs.get()), IPP_JSTATE_COMPLETED) << "job " << jobId << " did not complete";
    EXPECT_EQ(stringAttr(attrs.get(), "job-name"), title);
    EXPECT_EQ(stringAttr(attrs.get(), "print-scaling"), QStringLiteral("none"));
    EXPECT_TRUE(stringAttr(attrs.get(), "job-printer-uri").endsWith(QStringLiteral("/printers/envelope-test")));

    ipp_attribute_t *mediaCol = ippFindAttribute(attrs.get(), "media-col", IPP_TAG_BEGIN_COLLECTION);
    if (c.mediaKeyword) {
        EXPECT_EQ(stringAttr(attrs.get(), "media"), QString::fromLatin1(c.mediaKeyword));
        EXPECT_EQ(mediaCol, nullptr) << "media and media-col both sent";
    } else {
        EXPECT_EQ(ippFindAttribute(attrs.get(), "media", IPP_TAG_ZERO), nullptr) << "media and media-col both sent";
        ASSERT_NE(mediaCol, nullptr);
        ipp_t *col = ippGetCollection(mediaCol, 0);
        ipp_attribute_t *sizeAttr = ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION);
        ASSERT_NE(sizeAttr, nullptr);
        EXPECT_EQ(intMember(ippGetCollection(sizeAttr, 0), "x-dimension"), kNo10Width);
        EXPECT_EQ(intMember(ippGetCollection(sizeAttr, 0), "y-dimension"), kNo10Length);
        for (const char *edge : {"media-bottom-margin", "media-left-margin", "media-right-margin", "media-top-margin"})
            EXPECT_EQ(intMember(col, edge), c.expectedMargin) << edge;
        ipp_attribute_t *source = ippFindAttribute(col, "media-source", IPP_TAG_ZERO);
        EXPECT_EQ(source ? QString::fromUtf8(ippGetString(source, 0, nullptr)) : QString(),
                  QString::fromLatin1(c.mediaSource ? c.mediaSource : ""));
    }

    // What the filter made of it: the queue's device is a file; the PPD's
    // InputSlot code is in the PostScript it wrote.
    Ipp printer = printerAttributes(kQueue, "device-uri");
    const QUrl device(printer ? stringAttr(printer.get(), "device-uri") : QString());
    QFile output(device.toLocalFile());
    if (device.scheme() != QLatin1String("file") || !output.open(QIODevice::ReadOnly)) {
        const std::string why = "filter output " + device.toString().toStdString() + " cannot be read";
        if (cupsRequired())
            FAIL() << why;
        GTEST_SKIP() << why;
    }
    const QByteArray ps = output.readAll();
    EXPECT_TRUE(ps.contains("%%Title: (" + title.toLatin1() + ')')) << "the file holds another job's output";
    EXPECT_TRUE(ps.contains(QByteArray("%%BeginFeature: *InputSlot ") + c.inputSlot + '\n'))
        << "InputSlot " << c.inputSlot << " not in the filter's output";
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
    if (!queuesReady())
        return;
    const ScopedEnv lpdest("LPDEST", QByteArray(kQueue));
    EXPECT_EQ(CupsPrinter::defaultDestination(), std::optional(QString::fromUtf8(kQueue)));

    QLockFile lock(queueLockPath());
    ASSERT_TRUE(lock.tryLock(60000));
    CupsJobRequest job = envelopeRequest(pdf_);
    job.queue.clear();
    const int jobId = CupsPrinter::submit(job);
    Ipp attrs = waitForJobEnd(jobId);
    ASSERT_TRUE(attrs);
    EXPECT_TRUE(stringAttr(attrs.get(), "job-printer-uri").endsWith(QStringLiteral("/printers/envelope-test")));
}

TEST_F(CupsPrinterTest, NoDefaultDestinationIsNothingAndRefusesTheJob)
{
    if (!queuesReady())
        return;
    if (const auto dflt = schedulerDefault())
        GTEST_SKIP() << "the scheduler has a default destination: " << dflt->toStdString();
    const ScopedEnv lpdest("LPDEST", std::nullopt);
    const ScopedEnv printer("PRINTER", std::nullopt);

    EXPECT_EQ(CupsPrinter::defaultDestination(), std::nullopt);
    CupsJobRequest job = envelopeRequest(pdf_);
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
    if (!queuesReady())
        return;
    const RefusalCase &c = GetParam();
    CupsJobRequest job = envelopeRequest(pdf_);
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
                                           RefusalCase{"StoppedRejectingQueue", kStoppedQueue,
                                                       IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS}),
                         [](const auto &param) { return std::string(param.param.name); });

// Needs no scheduler at all: it is the case of a machine without one.
TEST_F(CupsPrinterTest, SchedulerDownAnswersFastWithNothingAndAnError)
{
    const ScopedEnv server("CUPS_SERVER", QByteArray("/nonexistent/cups.sock"));
    const ScopedEnv lpdest("LPDEST", QByteArray(kQueue)); // a default that can't be reached
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(CupsPrinter::defaultDestination(), std::nullopt);
    EXPECT_LT(timer.elapsed(), 2000);

    timer.restart();
    try {
        CupsPrinter::submit(envelopeRequest(pdf_));
        FAIL() << "printed without a scheduler";
    } catch (const EngineError &e) {
        EXPECT_THAT(e.message().toStdString(), HasSubstr(kQueue));
        EXPECT_THAT(e.message().toStdString(), HasSubstr("/nonexistent/cups.sock"));
    }
    EXPECT_LT(timer.elapsed(), 2000);
}

// A document that can't be sent whole is refused before any job exists.
TEST_F(CupsPrinterTest, RefusesADocumentThatIsNotAReadablePdf)
{
    const QString notPdf = dir_.filePath(QStringLiteral("notes.txt"));
    QFile text(notPdf);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("JOHN DOE\r\n");
    text.close();

    for (const QString &path : {dir_.filePath(QStringLiteral("missing.pdf")), notPdf}) {
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
