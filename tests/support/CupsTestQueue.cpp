#include "support/CupsTestQueue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

struct HttpClose {
    void operator()(http_t *http) const { httpClose(http); }
};

Ipp getPrinterAttributes(http_t *http, const char *printerUri, const char *resource, const char *attribute)
{
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, attribute);
    Ipp response(cupsDoRequest(http, request, resource));
    if (requestFailed())
        return nullptr;
    return response;
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
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s", queue);
    return getPrinterAttributes(CUPS_HTTP_DEFAULT, uri, "/", attribute);
}

Ipp ippPrinterAttributes(const char *printerUri, const char *attribute)
{
    char scheme[32], userpass[256], host[256], resource[256];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, printerUri, scheme, sizeof scheme, userpass, sizeof userpass, host,
                        sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK)
        return nullptr;
    const std::unique_ptr<http_t, HttpClose> http(
        httpConnect2(host, port, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_IF_REQUESTED, 1, 5000, nullptr));
    return http ? getPrinterAttributes(http.get(), printerUri, resource, attribute) : nullptr;
}

bool cupsTestQueuesReady()
{
    for (const char *queue : {cupsTestQueue, cupsStoppedQueue}) {
        if (!printerAttributes(queue, "printer-name")) {
            skipOrFailWithoutCups(std::string("CUPS queue \"") + queue + "\" is not available (" + cupsLastErrorString() +
                                  "); run scripts/start-cups.sh as root");
            return false;
        }
    }
    return true;
}

bool cupsRigReady(const char *queue)
{
    const auto fail = [&](const std::string &why) {
        skipOrFailWithoutCups(std::string("CUPS queue \"") + queue + "\" " + why +
                              "; run scripts/start-cups.sh as root");
        return false;
    };
    Ipp printer = printerAttributes(queue, "device-uri");
    if (!printer)
        return fail(std::string("is not available (") + cupsLastErrorString() + ")");
    const QUrl device(stringAttr(printer.get(), "device-uri"));
    if (device.isLocalFile() && !QFileInfo(device.toLocalFile()).isReadable())
        return fail("writes to " + device.toLocalFile().toStdString() + ", which cannot be read");
    if (qstrcmp(queue, cupsEverywhereQueue) == 0) {
        if (!ippPrinterAttributes(ippEverywherePrinterUri, "printer-state"))
            return fail(std::string("has no printer at ") + ippEverywherePrinterUri + " (" + cupsLastErrorString() +
                        ")");
        if (!QFileInfo(QString::fromLatin1(ippEverywhereLog)).isReadable())
            return fail(std::string("has a printer whose log ") + ippEverywhereLog + " cannot be read");
    }
    return true;
}

CupsTestQueueLock::CupsTestQueueLock(const char *queue)
    : m_lock(QDir::temp().filePath(QStringLiteral("%1-queue.lock").arg(QString::fromLatin1(queue))))
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

FilterOutput FilterOutput::read(const char *queue)
{
    Ipp printer = printerAttributes(queue, "device-uri");
    const QUrl device(printer ? stringAttr(printer.get(), "device-uri") : QString());
    if (!device.isLocalFile()) {
        FilterOutput out;
        out.m_error = QStringLiteral("filter output %1 of queue %2 cannot be read")
                          .arg(device.toString(), QString::fromLatin1(queue));
        return out;
    }
    return readFile(device.toLocalFile());
}

FilterOutput FilterOutput::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        FilterOutput out;
        out.m_error = QStringLiteral("filter output %1 cannot be read: %2").arg(path, file.errorString());
        return out;
    }
    return fromPostScript(file.readAll());
}

FilterOutput FilterOutput::fromPostScript(QByteArray postScript)
{
    FilterOutput out;
    out.m_postScript = std::move(postScript);
    return out;
}

bool FilterOutput::hasTitle(const QString &title) const
{
    return m_postScript.contains("%%Title: (" + title.toLatin1() + ')');
}

QByteArray FilterOutput::feature(const QByteArray &option) const
{
    const QByteArray start = "%%BeginFeature: *" + option + ' ';
    for (qsizetype at = m_postScript.indexOf(start); at >= 0; at = m_postScript.indexOf(start, at + 1)) {
        if (at > 0 && m_postScript[at - 1] != '\n' && m_postScript[at - 1] != '\r')
            continue; // not at the start of a line
        const qsizetype from = at + start.size();
        qsizetype end = m_postScript.indexOf('\n', from);
        if (end < 0)
            end = m_postScript.size();
        return m_postScript.mid(from, end - from).trimmed();
    }
    return {};
}

QByteArray FilterOutput::pageSize() const
{
    const QByteArray size = feature("PageSize");
    return size.isEmpty() ? feature("PageRegion") : size;
}

RecordedJob::MediaCol mediaColFromText(const QByteArray &text)
{
    const QString col = QString::fromUtf8(text);
    RecordedJob::MediaCol out;
    static const QRegularExpression size(QStringLiteral("media-size=\\{x-dimension=(\\d+) y-dimension=(\\d+)\\}"));
    if (const auto m = size.match(col); m.hasMatch())
        out.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
    for (const char *edge : {"media-bottom-margin", "media-left-margin", "media-right-margin", "media-top-margin"}) {
        const QRegularExpression margin(QStringLiteral("\\b%1=(\\d+)").arg(QLatin1String(edge)));
        const auto m = margin.match(col);
        out.margins.emplace_back(edge, m.hasMatch() ? m.captured(1).toInt() : -1);
    }
    static const QRegularExpression source(QStringLiteral("\\bmedia-source=([^ }]+)"));
    if (const auto m = source.match(col); m.hasMatch())
        out.source = m.captured(1);
    static const QRegularExpression type(QStringLiteral("\\bmedia-type=([^ }]+)"));
    if (const auto m = type.match(col); m.hasMatch())
        out.type = m.captured(1);
    return out;
}

namespace {

// The file name ippeveprinter gives a job's document, without "<job-id>-" and
// the extension: letters and digits lowercased, a '-' kept, any run of other
// characters one '_'.
QString documentStem(const QString &jobName)
{
    QString stem;
    bool inRun = false;
    for (const QChar c : jobName) {
        const bool kept = (c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-');
        if (kept)
            stem += c.toLower();
        else if (!inRun)
            stem += QLatin1Char('_');
        inRun = !kept;
    }
    return stem;
}

} // namespace

ReceivedJob receivedJobInLog(const QByteArray &log, const QString &jobName)
{
    // ippeveprinter -vvv logs each request as "Request:" and its attributes,
    // indented; a job's come in Create-Job (or Print-Job), then its document's
    // file name. Its threads write at once: CUPS's Get-Printer-Attributes from
    // another connection often comes in between, so only the next job request
    // (or the document) ends a job's attributes.
    static const QRegularExpression jobOperation(QStringLiteral("^\\s+operation-id=(Create-Job|Print-Job)\\("));
    static const QRegularExpression validation(QStringLiteral("^\\s+operation-id=Validate-Job\\("));
    static const QRegularExpression nameAttr(QStringLiteral("^\\s+job-name \\(name\\w*\\) (.*)$"));
    static const QRegularExpression mediaColAttr(QStringLiteral("^\\s+media-col \\(collection\\) (.*)$"));
    static const QRegularExpression document(QStringLiteral("^Created job file \"(.*/\\d+-([^/]*)\\.\\w+)\""));
    ReceivedJob found;
    found.error = jobName.isEmpty() ? QStringLiteral("the printer's log has no job")
                                    : QStringLiteral("the printer's log has no job named %1").arg(jobName);
    std::optional<ReceivedJob> current;
    const auto finish = [&] {
        if (current && (jobName.isEmpty() || current->name == jobName))
            found = *current;
        current.reset();
    };
    for (const QByteArray &raw : log.split('\n')) {
        const QString line = QString::fromUtf8(raw).remove(QLatin1Char('\r'));
        if (jobOperation.match(line).hasMatch()) {
            finish();
            current.emplace();
        } else if (validation.match(line).hasMatch()) {
            finish();
        } else if (const auto file = document.match(line); file.hasMatch()) {
            finish();
            if (found.error.isEmpty() && found.documentPath.isEmpty() && file.captured(2) == documentStem(found.name))
                found.documentPath = file.captured(1);
        } else if (!current) {
            continue;
        } else if (const auto name = nameAttr.match(line); name.hasMatch() && current->name.isEmpty()) {
            current->name = name.captured(1);
        } else if (const auto col = mediaColAttr.match(line); col.hasMatch() && !current->mediaCol) {
            current->mediaCol = mediaColFromText(col.captured(1).toUtf8());
        }
    }
    finish();
    return found;
}

ReceivedJob lastReceivedJob(const QString &jobName)
{
    QFile file(QString::fromLatin1(ippEverywhereLog));
    if (!file.open(QIODevice::ReadOnly)) {
        ReceivedJob none;
        none.error = QStringLiteral("the printer's log %1 cannot be read: %2").arg(file.fileName(), file.errorString());
        return none;
    }
    return receivedJobInLog(file.readAll(), jobName);
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
