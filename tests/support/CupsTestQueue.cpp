#include "support/CupsTestQueue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QUrl>

#include <cups/cups.h>

#include <iterator>

namespace testsupport {

namespace {

Ipp ippRequest(ipp_t *request, const char *resource)
{
    return Ipp(cupsDoRequest(CUPS_HTTP_DEFAULT, request, resource));
}

bool requestFailed()
{
    return cupsLastError() > IPP_STATUS_OK_CONFLICTING;
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
    Ipp response = ippRequest(request, "/jobs/");
    if (requestFailed())
        return nullptr;
    return response;
}

ipp_jstate_t jobState(ipp_t *attrs)
{
    ipp_attribute_t *state = ippFindAttribute(attrs, "job-state", IPP_TAG_ENUM);
    return state ? static_cast<ipp_jstate_t>(ippGetInteger(state, 0)) : IPP_JSTATE_PENDING;
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

RecordedJob::MediaCol mediaColOf(ipp_t *col)
{
    RecordedJob::MediaCol out;
    if (ipp_attribute_t *size = ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION)) {
        ipp_t *dims = ippGetCollection(size, 0);
        out.size = QSize(intMember(dims, "x-dimension"), intMember(dims, "y-dimension"));
    }
    for (const char *edge : {"media-bottom-margin", "media-left-margin", "media-right-margin", "media-top-margin"})
        out.margins.emplace_back(edge, intMember(col, edge));
    out.source = stringAttr(col, "media-source");
    return out;
}

RecordedJob recordedJobOf(ipp_t *attrs)
{
    RecordedJob job;
    job.state = jobState(attrs);
    job.name = stringAttr(attrs, "job-name");
    job.printerUri = stringAttr(attrs, "job-printer-uri");
    job.printScaling = stringAttr(attrs, "print-scaling");
    if (ippFindAttribute(attrs, "media", IPP_TAG_ZERO))
        job.media = stringAttr(attrs, "media");
    if (ipp_attribute_t *col = ippFindAttribute(attrs, "media-col", IPP_TAG_BEGIN_COLLECTION))
        job.mediaCol = mediaColOf(ippGetCollection(col, 0));
    return job;
}

} // namespace

bool cupsRequired()
{
    return qEnvironmentVariable("ENVELOPE_REQUIRE_CUPS") == QLatin1String("1");
}

void skipOrFailWithoutCups(const std::string &why)
{
    if (cupsRequired())
        ADD_FAILURE() << why;
    else
        [&] { GTEST_SKIP() << why; }(); // GTEST_SKIP returns, so it needs a void function
}

Ipp printerAttributes(const char *queue, const char *attribute)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", queue);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, attribute);
    Ipp response = ippRequest(request, "/");
    if (requestFailed())
        return nullptr;
    return response;
}

bool cupsTestQueuesReady()
{
    for (const char *queue : {kCupsTestQueue, kCupsStoppedQueue}) {
        if (!printerAttributes(queue, "printer-name")) {
            skipOrFailWithoutCups(std::string("CUPS queue \"") + queue + "\" is not available (" + cupsLastErrorString() +
                                  "); run scripts/start-cups.sh as root");
            return false;
        }
    }
    return true;
}

CupsTestQueueLock::CupsTestQueueLock()
    : m_lock(QDir::temp().filePath(QStringLiteral("envelope-test-queue.lock")))
{
    m_locked = m_lock.tryLock(60000);
}

std::optional<RecordedJob> waitForJobEnd(int jobId, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        Ipp attrs = jobAttributes(jobId);
        if (!attrs)
            return std::nullopt;
        if (jobState(attrs.get()) >= IPP_JSTATE_CANCELED || timer.elapsed() > timeoutMs)
            return recordedJobOf(attrs.get());
        QThread::msleep(100);
    }
}

FilterOutput FilterOutput::read()
{
    FilterOutput out;
    Ipp printer = printerAttributes(kCupsTestQueue, "device-uri");
    const QUrl device(printer ? stringAttr(printer.get(), "device-uri") : QString());
    QFile file(device.toLocalFile());
    if (device.scheme() != QLatin1String("file") || !file.open(QIODevice::ReadOnly))
        out.m_error = QStringLiteral("filter output %1 cannot be read").arg(device.toString());
    else
        out.m_postScript = file.readAll();
    return out;
}

bool FilterOutput::hasTitle(const QString &title) const
{
    return m_postScript.contains("%%Title: (" + title.toLatin1() + ')');
}

bool FilterOutput::selectsInputSlot(const QByteArray &slot) const
{
    return m_postScript.contains("%%BeginFeature: *InputSlot " + slot + '\n');
}

ScopedEnv::ScopedEnv(const char *name, std::optional<QByteArray> value)
    : m_name(name), m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
{
    apply(value);
}

ScopedEnv::~ScopedEnv()
{
    apply(m_old);
}

void ScopedEnv::apply(const std::optional<QByteArray> &value) const
{
    if (value)
        qputenv(m_name, *value);
    else
        qunsetenv(m_name);
    cupsSetServer(nullptr);
}

} // namespace testsupport
