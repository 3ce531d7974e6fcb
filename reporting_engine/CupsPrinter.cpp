#include "reporting_engine/CupsPrinter.h"

#include "reporting_engine/EngineError.h"

#include <QFile>
#include <QFileInfo>

#include <cups/cups.h>

#include <algorithm>
#include <array>
#include <memory>

namespace engine {
namespace {

// A scheduler that does not accept the connection by then is treated as down.
constexpr int kConnectTimeoutMs = 3000;
// A scheduler that stops answering mid-request gives up the request after this.
constexpr double kIoTimeoutSeconds = 30.0;
constexpr qsizetype kWriteChunk = 64 * 1024;

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
    ~Options() { cupsFreeOptions(count_, options_); }

    void set(const char *name, const char *value) { count_ = cupsAddOption(name, value, count_, &options_); }
    void remove(const char *name) { count_ = cupsRemoveOption(name, count_, &options_); }
    const char *get(const char *name) const { return cupsGetOption(name, count_, options_); }
    int count() const { return count_; }
    cups_option_t *data() const { return options_; }

private:
    int count_ = 0;
    cups_option_t *options_ = nullptr;
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
                                kConnectTimeoutMs, nullptr);
    if (http)
        httpSetTimeout(http, kIoTimeoutSeconds, stopWaiting, nullptr);
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
// InputSlot only from inside media-col, and picks a borderless size only from
// media-col margins; a "media" keyword beside it would win and drop the margins.
// So media, media-source and the margins are folded into one media-col.
void foldIntoMediaCol(http_t *http, cups_dest_t *dest, cups_dinfo_t *info, Options &options, bool zeroMargins)
{
    if (options.get("media-col"))
        return; // the caller built its own
    const QByteArray media = options.get("media");
    const QByteArray source = options.get("media-source");

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
    if (source.isEmpty() && !borderless)
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
        col += QByteArray(haveSize ? " " : "") + "media-source=" + quotedKeyword(source.constData());
    col += '}';

    options.remove("media");
    options.remove("media-source");
    options.set("media-col", col.constData());
}

void cancelQuietly(cups_dest_t *dest, int jobId)
{
    if (Http http = connectToScheduler())
        cupsCancelDestJob(http.get(), dest, jobId);
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

int CupsPrinter::submit(const CupsJobRequest &request)
{
    // Read the whole document before anything reaches CUPS, so a bad file
    // never leaves an empty job behind.
    QFile file(request.documentPath);
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(QStringLiteral("Cannot print \"%1\": %2").arg(request.documentPath, file.errorString()));
    const QByteArray document = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EngineError(QStringLiteral("Cannot print \"%1\": %2").arg(request.documentPath, file.errorString()));
    if (!document.startsWith("%PDF-"))
        throw EngineError(QStringLiteral("Cannot print \"%1\": it is not a PDF file").arg(request.documentPath));
    const QString documentName = QFileInfo(request.documentPath).fileName();

    const QString queueText = describeQueue(request.queue);
    const Http http = connectToScheduler();
    if (!http) {
        throw EngineError(QStringLiteral("Cannot print to %1: the CUPS scheduler at %2 is not reachable (%3)")
                              .arg(queueText, QString::fromUtf8(cupsServer()), cupsError()));
    }

    const QByteArray queue = request.queue.toUtf8();
    const Dest dest(cupsGetNamedDest(http.get(), queue.isEmpty() ? nullptr : queue.constData(), nullptr));
    if (!dest)
        throw EngineError(QStringLiteral("Cannot print to %1: %2").arg(queueText, cupsError()));
    const QString destText = describeQueue(QString::fromUtf8(dest->name));

    const DestInfo info(cupsCopyDestInfo(http.get(), dest.get()));
    if (!info)
        throw EngineError(QStringLiteral("Cannot print to %1: %2").arg(destText, cupsError()));

    Options options;
    for (const auto &[name, value] : request.options)
        options.set(name.constData(), value.constData());
    foldIntoMediaCol(http.get(), dest.get(), info.get(), options, request.zeroMargins);

    const QByteArray title = (request.title.isEmpty() ? documentName : request.title).toUtf8();
    int jobId = 0;
    if (failed(cupsCreateDestJob(http.get(), dest.get(), info.get(), &jobId, title.constData(), options.count(),
                                 options.data()))
        || jobId <= 0) {
        throw EngineError(QStringLiteral("Cannot print to %1: %2").arg(destText, cupsError()));
    }

    const auto abandon = [&](const QString &what) {
        const QString message = QStringLiteral("Cannot print to %1: %2 (%3)").arg(destText, what, cupsError());
        cancelQuietly(dest.get(), jobId);
        return EngineError(message);
    };

    if (cupsStartDestDocument(http.get(), dest.get(), info.get(), jobId, documentName.toUtf8().constData(),
                              CUPS_FORMAT_PDF, 0, nullptr, 1)
        != HTTP_STATUS_CONTINUE) {
        throw abandon(QStringLiteral("the document could not be started"));
    }
    for (qsizetype offset = 0; offset < document.size(); offset += kWriteChunk) {
        const qsizetype length = std::min(kWriteChunk, document.size() - offset);
        if (cupsWriteRequestData(http.get(), document.constData() + offset, static_cast<size_t>(length))
            != HTTP_STATUS_CONTINUE) {
            throw abandon(QStringLiteral("sending the document failed"));
        }
    }
    if (failed(cupsFinishDestDocument(http.get(), dest.get(), info.get())))
        throw abandon(QStringLiteral("the document was refused"));
    return jobId;
}

} // namespace engine
