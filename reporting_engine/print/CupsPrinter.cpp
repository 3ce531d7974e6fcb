#include "reporting_engine/print/CupsPrinter.h"

#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/print/PrinterStrings.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cups/cups.h>

#include <algorithm>
#include <array>
#include <memory>

namespace engine {
namespace {

// A scheduler that does not accept the connection by then is treated as down.
constexpr int connectTimeoutMs = 3000;
// A scheduler that stops answering mid-request gives up the request after this.
constexpr double ioTimeoutSeconds = 30.0;
constexpr qsizetype writeChunk = 64 * 1024;
// A printer asked directly (where its queue cannot say) gets less patience.
constexpr int deviceTimeoutMs = 2000;

struct HttpClose {
    void operator()(http_t *http) const { httpClose(http); }
};
struct DestFree {
    void operator()(cups_dest_t *dest) const { cupsFreeDests(1, dest); }
};
struct DestInfoFree {
    void operator()(cups_dinfo_t *info) const { cupsFreeDestInfo(info); }
};
using Http = std::unique_ptr<http_t, HttpClose>;
using Dest = std::unique_ptr<cups_dest_t, DestFree>;
using DestInfo = std::unique_ptr<cups_dinfo_t, DestInfoFree>;

class Options {
public:
    Options() = default;
    Options(const Options &) = delete;
    Options &operator=(const Options &) = delete;
    ~Options() { cupsFreeOptions(m_count, m_options); }

    void set(const char *name, const char *value) { m_count = cupsAddOption(name, value, m_count, &m_options); }
    void remove(const char *name) { m_count = cupsRemoveOption(name, m_count, &m_options); }
    const char *get(const char *name) const { return cupsGetOption(name, m_count, m_options); }
    int count() const { return m_count; }
    cups_option_t *data() const { return m_options; }

private:
    int m_count = 0;
    cups_option_t *m_options = nullptr;
};

QString cupsError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

bool failed(ipp_status_t status)
{
    return status > IPP_STATUS_OK_CONFLICTING;
}

int stopWaiting(http_t *, void *)
{
    return 0;
}

Http connectToScheduler()
{
    http_t *http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                                connectTimeoutMs, nullptr);
    if (http)
        httpSetTimeout(http, ioTimeoutSeconds, stopWaiting, nullptr);
    return Http(http);
}

QString describeQueue(const QString &queue)
{
    return queue.isEmpty() ? QStringLiteral("the default printer") : QStringLiteral("printer \"%1\"").arg(queue);
}

bool offersZeroMargins(http_t *http, cups_dest_t *dest, cups_dinfo_t *info)
{
    static constexpr std::array edges{"media-bottom-margin", "media-left-margin", "media-right-margin",
                                      "media-top-margin"};
    return std::all_of(edges.begin(), edges.end(), [&](const char *edge) {
        ipp_attribute_t *supported = cupsFindDestSupported(http, dest, info, edge);
        for (int i = 0; supported && i < ippGetCount(supported); ++i) {
            if (ippGetInteger(supported, i) == 0)
                return true;
        }
        return false;
    });
}

QByteArray quotedKeyword(const char *value)
{
    QByteArray out = "\"";
    for (const char *c = value; *c; ++c) {
        if (*c == '"' || *c == '\\')
            out += '\\';
        out += *c;
    }
    return out + '"';
}

// A PPD queue (every local queue of CUPS 2.4) maps "media-source" to its
// InputSlot and "media-type" to its MediaType only from inside media-col, and
// picks a borderless size only from media-col margins; a "media" keyword beside
// it would win and drop the margins. So media, media-source, media-type and the
// margins are folded into one media-col.
void foldIntoMediaCol(http_t *http, cups_dest_t *dest, cups_dinfo_t *info, Options &options, bool zeroMargins)
{
    if (options.get("media-col"))
        return; // the caller built its own
    const QByteArray media = options.get("media");
    const QByteArray source = options.get("media-source");
    const QByteArray type = options.get("media-type");

    cups_size_t size{};
    bool haveSize = false;
    bool borderless = false;
    if (!media.isEmpty()) {
        if (zeroMargins && offersZeroMargins(http, dest, info)
            && cupsGetDestMediaByName(http, dest, info, media.constData(), CUPS_MEDIA_FLAGS_BORDERLESS, &size)) {
            borderless = size.bottom == 0 && size.left == 0 && size.right == 0 && size.top == 0;
        }
        haveSize = borderless
                   || cupsGetDestMediaByName(http, dest, info, media.constData(), CUPS_MEDIA_FLAGS_DEFAULT, &size);
        if (!haveSize) {
            // Not in the printer's list: still ask for the standard size by dimensions.
            pwg_media_t *pwg = pwgMediaForPWG(media.constData());
            if (!pwg)
                pwg = pwgMediaForLegacy(media.constData());
            if (!pwg)
                return; // a name CUPS doesn't know: leave it to the printer as given
            size = cups_size_t{};
            size.width = pwg->width;
            size.length = pwg->length;
            size.bottom = size.left = size.right = size.top = -1;
            haveSize = true;
        }
    }
    if (source.isEmpty() && type.isEmpty() && !borderless)
        return; // plain "media" says it all

    QByteArray col = "{";
    if (haveSize) {
        col += "media-size={x-dimension=" + QByteArray::number(size.width)
               + " y-dimension=" + QByteArray::number(size.length) + '}';
        if (size.bottom >= 0) {
            col += " media-bottom-margin=" + QByteArray::number(size.bottom)
                   + " media-left-margin=" + QByteArray::number(size.left)
                   + " media-right-margin=" + QByteArray::number(size.right)
                   + " media-top-margin=" + QByteArray::number(size.top);
        }
    }
    if (!source.isEmpty())
        col += QByteArray(col.size() > 1 ? " " : "") + "media-source=" + quotedKeyword(source.constData());
    if (!type.isEmpty())
        col += QByteArray(col.size() > 1 ? " " : "") + "media-type=" + quotedKeyword(type.constData());
    col += '}';

    options.remove("media");
    options.remove("media-source");
    options.remove("media-type");
    options.set("media-col", col.constData());
}

QList<QByteArray> keywords(ipp_attribute_t *attr)
{
    QList<QByteArray> out;
    for (int i = 0; attr && i < ippGetCount(attr); ++i)
        if (const char *k = ippGetString(attr, i, nullptr))
            out << QByteArray(k);
    return out;
}

struct IppFree {
    void operator()(ipp_t *ipp) const { ippDelete(ipp); }
};
using IppResponse = std::unique_ptr<ipp_t, IppFree>;

IppResponse ask(http_t *http, ipp_op_t op, const QByteArray &queue, int jobId, std::initializer_list<const char *> wanted)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof(uri), "ipp", nullptr, "localhost", 0, "/printers/%s", queue.constData());
    ipp_t *request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    if (jobId > 0)
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", jobId);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    std::vector<const char *> names(wanted);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", static_cast<int>(names.size()),
                  nullptr, names.data());
    return IppResponse(cupsDoRequest(http, request, jobId > 0 ? "/jobs/" : "/"));
}

// Media collections that name a source (media-col-ready, media-col-database).
std::vector<ReadyMedia> mediaIn(ipp_attribute_t *cols, bool withSourceOnly = false)
{
    std::vector<ReadyMedia> out;
    for (int i = 0; cols && i < ippGetCount(cols); ++i) {
        ipp_t *col = ippGetCollection(cols, i);
        ReadyMedia m;
        if (ipp_attribute_t *source = ippFindAttribute(col, "media-source", IPP_TAG_ZERO))
            m.source = ippGetString(source, 0, nullptr);
        if (ipp_attribute_t *size = ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION)) {
            ipp_t *dims = ippGetCollection(size, 0);
            ipp_attribute_t *x = ippFindAttribute(dims, "x-dimension", IPP_TAG_INTEGER);
            ipp_attribute_t *y = ippFindAttribute(dims, "y-dimension", IPP_TAG_INTEGER);
            if (x && y)
                m.sizeHmm = QSize(ippGetInteger(x, 0), ippGetInteger(y, 0));
        }
        if (!withSourceOnly || !m.source.isEmpty())
            out.push_back(m);
    }
    return out;
}

bool namesSources(const std::vector<ReadyMedia> &media)
{
    return std::any_of(media.begin(), media.end(), [](const ReadyMedia &m) { return !m.source.isEmpty(); });
}

// The printer's trays; a damaged value leaves them all unknown, with a note.
void readTrays(ipp_attribute_t *trays, CupsDestination &d)
{
    std::vector<InputTray> out;
    for (int i = 0; trays && i < ippGetCount(trays); ++i) {
        int length = 0;
        const void *data = ippGetOctetString(trays, i, &length);
        const auto tray = data ? InputTray::parse(QByteArrayView(static_cast<const char *>(data), length)) : std::nullopt;
        if (!tray) {
            d.notes << QStringLiteral("its printer-input-tray value %1 is damaged: its trays are judged by their names alone")
                           .arg(i + 1);
            return;
        }
        out.push_back(*tray);
    }
    d.paper.trays = std::move(out);
}

// What the printer at the other end of the queue says of its trays, loaded
// media and sizes per tray, where the queue cannot say it: a queue CUPS made
// for an IPP printer (lpadmin -m everywhere) reports the ready media of its own
// PPD, and no trays. Asked briefly; nothing when the printer does not answer.
IppResponse askDevice(cups_dest_t *dest)
{
    const char *deviceUri = cupsGetOption("device-uri", dest->num_options, dest->options);
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    if (!deviceUri
        || httpSeparateURI(HTTP_URI_CODING_ALL, deviceUri, scheme, sizeof(scheme), user, sizeof(user), host, sizeof(host),
                           &port, resource, sizeof(resource))
               < HTTP_URI_STATUS_OK
        || (qstrcmp(scheme, "ipp") != 0 && qstrcmp(scheme, "ipps") != 0)) {
        return {};
    }
    const Http http(httpConnect2(host, port, nullptr, AF_UNSPEC,
                                 qstrcmp(scheme, "ipps") == 0 ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, 1,
                                 deviceTimeoutMs, nullptr));
    if (!http)
        return {};
    httpSetTimeout(http.get(), deviceTimeoutMs / 1000.0, stopWaiting, nullptr);
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, deviceUri);
    static const char *const wanted[] = {"media-col-ready", "media-col-database", "printer-input-tray"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
    return IppResponse(cupsDoRequest(http.get(), request, resource));
}

// Media loaded, media listed per source and the trays, from the queue or else its printer.
void readPaperFacts(http_t *http, cups_dest_t *dest, cups_dinfo_t *info, const IppResponse &queue, CupsDestination &d)
{
    d.paper.ready = mediaIn(cupsFindDestReady(http, dest, info, "media-col"));
    d.paper.listed = mediaIn(ippFindAttribute(queue.get(), "media-col-database", IPP_TAG_BEGIN_COLLECTION), true);
    ipp_attribute_t *trays = ippFindAttribute(queue.get(), "printer-input-tray", IPP_TAG_STRING);
    IppResponse device;
    if (!namesSources(d.paper.ready) || !trays) {
        device = askDevice(dest);
        if (!namesSources(d.paper.ready))
            d.paper.ready = mediaIn(ippFindAttribute(device.get(), "media-col-ready", IPP_TAG_BEGIN_COLLECTION));
        if (d.paper.listed.empty())
            d.paper.listed = mediaIn(ippFindAttribute(device.get(), "media-col-database", IPP_TAG_BEGIN_COLLECTION), true);
        if (!trays)
            trays = ippFindAttribute(device.get(), "printer-input-tray", IPP_TAG_STRING);
    }
    readTrays(trays, d);
}

// A strings file that cannot be had quickly is done without.
constexpr int stringsTimeoutMs = 2000;

// The printer's words for its sources and media types: its strings file, else
// what libcups knows, else none (the keyword alone).
class PrinterWords {
public:
    PrinterWords(http_t *http, cups_dest_t *dest, cups_dinfo_t *info, const IppResponse &queue, QStringList &notes)
        : m_http(http), m_dest(dest), m_info(info)
    {
        ipp_attribute_t *uri = ippFindAttribute(queue.get(), "printer-strings-uri", IPP_TAG_URI);
        if (!uri)
            return;
        try {
            m_strings = PrinterStrings::fetch(ippGetString(uri, 0, nullptr), stringsTimeoutMs);
        } catch (const EngineError &e) {
            // libcups would fetch the same file, with less patience for a slow one.
            m_askLibcups = false;
            notes << QStringLiteral("the printer's words for its choices could not be read (%1): keywords alone")
                         .arg(e.message());
        }
    }

    // Each keyword the destination supports for the attribute, with its words.
    template <typename Choice>
    std::vector<Choice> supported(const char *attribute) const
    {
        std::vector<Choice> out;
        for (const QByteArray &keyword : keywords(cupsFindDestSupported(m_http, m_dest, m_info, attribute))) {
            QString text = m_strings.text(attribute, keyword);
            if (text.isEmpty() && m_askLibcups) {
                const char *localized = cupsLocalizeDestValue(m_http, m_dest, m_info, attribute, keyword.constData());
                // libcups gives the keyword back when it knows no text for it.
                if (localized && keyword != localized)
                    text = QString::fromUtf8(localized);
            }
            out.push_back({keyword, text});
        }
        return out;
    }

private:
    http_t *m_http;
    cups_dest_t *m_dest;
    cups_dinfo_t *m_info;
    PrinterStrings m_strings;
    bool m_askLibcups = true;
};

CupsDestination readDestination(http_t *http, cups_dest_t *dest, cups_dinfo_t *info, const QByteArray &media)
{
    CupsDestination d;
    d.name = QString::fromUtf8(dest->name);
    d.isDefault = dest->is_default != 0;
    d.description = QString::fromUtf8(cupsGetOption("printer-info", dest->num_options, dest->options));
    // What libcups keeps to itself: the strings file's address, the trays, the sizes per source.
    const IppResponse queue = ask(http, IPP_OP_GET_PRINTER_ATTRIBUTES, dest->name, 0,
                                  {"printer-strings-uri", "printer-input-tray", "media-col-database"});
    const PrinterWords words(http, dest, info, queue, d.notes);
    d.paper.supported = words.supported<PrinterSource>("media-source");
    d.mediaTypes = words.supported<PrinterMediaType>("media-type");
    readPaperFacts(http, dest, info, queue, d);
    cups_size_t size{};
    d.offersMedia = !media.isEmpty()
                    && cupsGetDestMediaByName(http, dest, info, media.constData(), CUPS_MEDIA_FLAGS_DEFAULT, &size);
    return d;
}

// A destination with its scheduler connection and what it supports, or an
// EngineError saying what could not be done ("Cannot print to printer ...").
struct OpenDestination {
    Http http;
    Dest dest;
    DestInfo info;
    QString text; // "printer \"name\"", the name CUPS resolved
};

OpenDestination openDestination(const QString &queue, const char *doing)
{
    const QString queueText = describeQueue(queue);
    OpenDestination open;
    open.http = connectToScheduler();
    if (!open.http) {
        throw EngineError(QStringLiteral("Cannot %1 %2: the CUPS scheduler at %3 is not reachable (%4)")
                              .arg(QLatin1String(doing), queueText, QString::fromUtf8(cupsServer()), cupsError()));
    }
    const QByteArray name = queue.toUtf8();
    open.dest.reset(cupsGetNamedDest(open.http.get(), name.isEmpty() ? nullptr : name.constData(), nullptr));
    if (!open.dest)
        throw EngineError(QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(doing), queueText, cupsError()));
    open.text = describeQueue(QString::fromUtf8(open.dest->name));
    open.info.reset(cupsCopyDestInfo(open.http.get(), open.dest.get()));
    if (!open.info)
        throw EngineError(QStringLiteral("Cannot %1 %2: %3").arg(QLatin1String(doing), open.text, cupsError()));
    return open;
}

void cancelQuietly(cups_dest_t *dest, int jobId)
{
    if (Http http = connectToScheduler())
        cupsCancelDestJob(http.get(), dest, jobId);
}

// Opens the document to print; refuses one that cannot be read or is no PDF.
void openDocument(QFile &file)
{
    const auto fileError = [&](const QString &why) {
        return EngineError(QStringLiteral("Cannot print \"%1\": %2").arg(file.fileName(), why));
    };
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(file.errorString());
    if (file.peek(5) != "%PDF-")
        throw fileError(file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("it is not a PDF file"));
}

// The request's options, the paper source and media type chosen by meaning unless
// they name them, and the media folded together; returns what was chosen.
CupsJob setJobOptions(Options &options, const OpenDestination &open, const CupsJobRequest &request)
{
    for (const auto &[name, value] : request.options)
        options.set(name.constData(), value.constData());
    CupsJob job;
    const bool chooseSource = !options.get("media-source");
    const bool chooseType = !options.get("media-type");
    if (chooseSource || chooseType) {
        const CupsDestination dest = readDestination(open.http.get(), open.dest.get(), open.info.get(), options.get("media"));
        if (chooseSource) {
            job.source = CupsPrinter::chooseSource(dest, request);
            if (!job.source.keyword.isEmpty())
                options.set("media-source", job.source.keyword.constData());
        }
        if (chooseType) {
            job.mediaType = CupsPrinter::chooseMediaType(dest, request);
            if (!job.mediaType.keyword.isEmpty())
                options.set("media-type", job.mediaType.keyword.constData());
        }
    }
    foldIntoMediaCol(open.http.get(), open.dest.get(), open.info.get(), options, request.zeroMargins);
    return job;
}

// Sends the file into the started document in chunks; returns what failed, or nothing.
QString sendDocument(http_t *http, QFile &file)
{
    QByteArray chunk(writeChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 length = file.read(chunk.data(), chunk.size());
        if (length < 0)
            return QStringLiteral("reading \"%1\" failed: %2").arg(file.fileName(), file.errorString());
        if (length == 0)
            return QString();
        if (cupsWriteRequestData(http, chunk.constData(), static_cast<size_t>(length)) != HTTP_STATUS_CONTINUE)
            return QStringLiteral("sending the document failed");
    }
}

} // namespace

std::optional<QString> CupsPrinter::defaultDestination()
{
    const Http http = connectToScheduler();
    if (!http)
        return std::nullopt;
    const Dest dest(cupsGetNamedDest(http.get(), nullptr, nullptr));
    if (!dest)
        return std::nullopt;
    return QString::fromUtf8(dest->name);
}

CupsJob CupsPrinter::submit(const CupsJobRequest &request)
{
    // Check the document before anything reaches CUPS, so a bad file never
    // leaves an empty job behind; it is sent in chunks, never held whole.
    QFile file(request.documentPath);
    openDocument(file);
    const QString documentName = QFileInfo(request.documentPath).fileName();

    const OpenDestination open = openDestination(request.queue, "print to");
    const Http &http = open.http;
    const Dest &dest = open.dest;
    const DestInfo &info = open.info;

    Options options;
    CupsJob job = setJobOptions(options, open, request);
    job.queue = QString::fromUtf8(dest->name);

    const QByteArray title = (request.title.isEmpty() ? documentName : request.title).toUtf8();
    int jobId = 0;
    if (failed(cupsCreateDestJob(http.get(), dest.get(), info.get(), &jobId, title.constData(), options.count(),
                                 options.data()))
        || jobId <= 0) {
        throw EngineError(QStringLiteral("Cannot print to %1: %2").arg(open.text, cupsError()));
    }
    const auto abandon = [&](const QString &what) {
        const QString message = QStringLiteral("Cannot print to %1: %2 (%3)").arg(open.text, what, cupsError());
        cancelQuietly(dest.get(), jobId);
        return EngineError(message);
    };
    if (cupsStartDestDocument(http.get(), dest.get(), info.get(), jobId, documentName.toUtf8().constData(),
                              CUPS_FORMAT_PDF, 0, nullptr, 1)
        != HTTP_STATUS_CONTINUE) {
        throw abandon(QStringLiteral("the document could not be started"));
    }
    if (const QString failure = sendDocument(http.get(), file); !failure.isEmpty())
        throw abandon(failure);
    if (failed(cupsFinishDestDocument(http.get(), dest.get(), info.get())))
        throw abandon(QStringLiteral("the document was refused"));
    job.id = jobId;
    return job;
}

namespace {

// A profile's choice must be one the printer offers (when it lists any).
template <typename Choice>
void checkOffered(const CupsDestination &destination, const std::vector<Choice> &choices, const QByteArray &wanted,
                  const char *what)
{
    QStringList offered;
    for (const Choice &choice : choices)
        offered << QString::fromUtf8(choice.keyword);
    if (!offered.isEmpty() && !offered.contains(QString::fromUtf8(wanted))) {
        throw EngineError(QStringLiteral("Printer \"%1\" offers no %2 \"%3\"; it offers: %4.")
                              .arg(destination.name, QLatin1String(what), QString::fromUtf8(wanted),
                                   offered.join(QStringLiteral(", "))));
    }
}

} // namespace

MediaTypeChoice CupsPrinter::chooseMediaType(const CupsDestination &destination, const CupsJobRequest &request)
{
    if (!request.mediaTypeOverride.isEmpty()) {
        checkOffered(destination, destination.mediaTypes, request.mediaTypeOverride, "media type");
        return {request.mediaTypeOverride, QStringLiteral("the printer profile's media type")};
    }
    if (request.mediaType.isEmpty())
        return {};
    return MediaTypeChooser::choose(request.mediaType, destination.mediaTypes);
}

MediaSourceChoice CupsPrinter::chooseSource(const CupsDestination &destination, const CupsJobRequest &request)
{
    if (!request.sourceOverride.isEmpty()) {
        checkOffered(destination, destination.paper.supported, request.sourceOverride, "paper source");
        return {request.sourceOverride, QStringLiteral("the printer profile's source"), false, false, false};
    }
    if (!request.paperSource)
        return {};
    QSize paperHmm;
    for (const auto &[name, value] : request.options) {
        if (name == "media") {
            if (const pwg_media_t *pwg = pwgMediaForPWG(value.constData()))
                paperHmm = QSize(pwg->width, pwg->length);
        }
    }
    return MediaSourceChooser::choose(*request.paperSource, paperHmm, destination.paper);
}

std::vector<CupsDestination> CupsPrinter::destinations()
{
    const Http http = connectToScheduler();
    if (!http) {
        throw EngineError(QStringLiteral("The CUPS scheduler at %1 is not reachable (%2)")
                              .arg(QString::fromUtf8(cupsServer()), cupsError()));
    }
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(http.get(), &dests);
    std::vector<CupsDestination> out;
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance)
            continue; // lpoptions instances are the same printer
        CupsDestination d;
        d.name = QString::fromUtf8(dests[i].name);
        d.isDefault = dests[i].is_default != 0;
        out.push_back(d);
    }
    cupsFreeDests(count, dests);
    std::stable_partition(out.begin(), out.end(), [](const CupsDestination &d) { return d.isDefault; });
    return out;
}

CupsDestination CupsPrinter::destination(const QString &queue, const QByteArray &media)
{
    const OpenDestination open = openDestination(queue, "ask");
    return readDestination(open.http.get(), open.dest.get(), open.info.get(), media);
}

namespace {

QString joinedStrings(ipp_t *response, const char *name)
{
    QStringList parts;
    ipp_attribute_t *attr = ippFindAttribute(response, name, IPP_TAG_ZERO);
    for (int i = 0; attr && i < ippGetCount(attr); ++i) {
        const QString v = QString::fromUtf8(ippGetString(attr, i, nullptr));
        if (!v.isEmpty() && v != QLatin1String("none"))
            parts << v;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

CupsJobEnd CupsPrinter::waitForJob(const QString &queue, int jobId, int timeoutSeconds)
{
    constexpr int pollMs = 250;
    const QByteArray name = queue.toUtf8();
    const QDeadlineTimer deadline(std::chrono::seconds(std::max(timeoutSeconds, 0)));
    CupsJobEnd end;
    for (;;) {
        const Http http = connectToScheduler();
        if (!http) {
            throw EngineError(QStringLiteral("Cannot follow job %1 on %2: the CUPS scheduler at %3 is not reachable (%4)")
                                  .arg(jobId).arg(describeQueue(queue), QString::fromUtf8(cupsServer()), cupsError()));
        }
        const IppResponse job = ask(http.get(), IPP_OP_GET_JOB_ATTRIBUTES, name, jobId,
                                    {"job-state", "job-state-reasons", "job-printer-state-message",
                                     "job-impressions-completed"});
        ipp_attribute_t *state = job ? ippFindAttribute(job.get(), "job-state", IPP_TAG_ENUM) : nullptr;
        if (!state) {
            throw EngineError(QStringLiteral("Cannot follow job %1 on %2: %3").arg(jobId).arg(describeQueue(queue), cupsError()));
        }
        const auto jstate = static_cast<ipp_jstate_t>(ippGetInteger(state, 0));
        if (jstate >= IPP_JSTATE_CANCELED || deadline.hasExpired()) {
            end.state = jstate == IPP_JSTATE_COMPLETED ? CupsJobEnd::State::Completed
                        : jstate == IPP_JSTATE_ABORTED  ? CupsJobEnd::State::Aborted
                        : jstate == IPP_JSTATE_CANCELED ? CupsJobEnd::State::Canceled
                                                        : CupsJobEnd::State::StillPending;
            ipp_attribute_t *done = ippFindAttribute(job.get(), "job-impressions-completed", IPP_TAG_ZERO);
            if (done && ippGetValueTag(done) == IPP_TAG_INTEGER && ippGetCount(done) == 1)
                end.impressionsCompleted = std::max(ippGetInteger(done, 0), 0);
            if (end.state == CupsJobEnd::State::Completed)
                return end;
            QStringList jobReasons{joinedStrings(job.get(), "job-state-reasons"),
                                    joinedStrings(job.get(), "job-printer-state-message")};
            jobReasons.removeAll(QString());
            end.jobReasons = jobReasons.join(QStringLiteral("; "));
            if (const IppResponse printer = ask(http.get(), IPP_OP_GET_PRINTER_ATTRIBUTES, name, 0,
                                                {"printer-state-reasons", "printer-state-message"})) {
                QStringList reasons{joinedStrings(printer.get(), "printer-state-reasons"),
                                    joinedStrings(printer.get(), "printer-state-message")};
                reasons.removeAll(QString());
                end.printerReasons = reasons.join(QStringLiteral("; "));
            }
            return end;
        }
        QThread::msleep(pollMs);
    }
}

} // namespace engine
