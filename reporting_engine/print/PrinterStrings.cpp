#include "reporting_engine/print/PrinterStrings.h"

#include "reporting_engine/base/EngineError.h"

#include <QDeadlineTimer>

#include <cups/cups.h>

#include <memory>

namespace engine {
namespace {

// Reads the file's lines: quoted strings with \" \\ \n \t escapes, "=", ";",
// and the C comments the format allows between them.
class StringsReader {
public:
    explicit StringsReader(QByteArrayView text) : m_text(text) {}

    bool atEnd()
    {
        skipBlanks();
        return m_at >= m_text.size();
    }

    QByteArray quoted()
    {
        expect('"');
        QByteArray out;
        while (m_at < m_text.size() && m_text[m_at] != '"') {
            if (m_text[m_at] == '\n')
                fail(QStringLiteral("a line break inside a string"));
            char c = m_text[m_at++];
            if (c == '\\') {
                if (m_at >= m_text.size())
                    break;
                c = m_text[m_at++];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            out += c;
        }
        if (m_at >= m_text.size())
            fail(QStringLiteral("a string that is not closed"));
        ++m_at;
        return out;
    }

    void expect(char wanted)
    {
        skipBlanks();
        if (m_at >= m_text.size() || m_text[m_at] != wanted)
            fail(QStringLiteral("\"%1\" expected").arg(QLatin1Char(wanted)));
        ++m_at;
    }

private:
    void skipBlanks()
    {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at];
            if (c == '\n' || c == ' ' || c == '\t' || c == '\r') {
                ++m_at;
            } else if (m_text.sliced(m_at).startsWith("/*")) {
                const qsizetype end = QByteArrayView(m_text).indexOf("*/", m_at + 2);
                if (end < 0)
                    fail(QStringLiteral("a comment that is not closed"));
                m_at = end + 2;
            } else if (m_text.sliced(m_at).startsWith("//")) {
                const qsizetype end = m_text.indexOf('\n', m_at);
                m_at = end < 0 ? m_text.size() : end;
            } else {
                return;
            }
        }
    }

    [[noreturn]] void fail(const QString &what) const
    {
        const qsizetype line = m_text.first(std::min(m_at, m_text.size())).count('\n') + 1;
        throw EngineError(QStringLiteral("line %1: %2").arg(line).arg(what));
    }

    QByteArrayView m_text;
    qsizetype m_at = 0;
};

struct HttpClose {
    void operator()(http_t *http) const { httpClose(http); }
};
using Http = std::unique_ptr<http_t, HttpClose>;

int stopWaiting(http_t *, void *)
{
    return 0;
}

// A scheduler asked over its local socket names its own files
// "http://localhost/strings/QUEUE.strings", with no port: they are fetched
// over that socket, where the scheduler is, not from a web server on port 80.
Http connectTo(const char *host, int port, bool tls, int timeoutMs)
{
    const char *server = cupsServer();
    const bool schedulerFile = server[0] == '/' && qstricmp(host, "localhost") == 0 && (port == 80 || port == ippPort());
    return Http(httpConnect2(schedulerFile ? server : host, schedulerFile ? ippPort() : port, nullptr, AF_UNSPEC,
                             tls ? HTTP_ENCRYPTION_ALWAYS : HTTP_ENCRYPTION_IF_REQUESTED, 1, timeoutMs, nullptr));
}

// The body of a GET, no more than PrinterStrings::maxBytes; throws EngineError saying what failed.
QByteArray download(http_t *http, const char *resource, const QDeadlineTimer &deadline)
{
    const auto timedOut = [&] { return EngineError(QStringLiteral("no answer in time")); };
    httpClearFields(http);
    if (httpGet(http, resource) != 0)
        throw EngineError(QStringLiteral("the request could not be sent"));
    http_status_t status = HTTP_STATUS_CONTINUE;
    while ((status = httpUpdate(http)) == HTTP_STATUS_CONTINUE) {
        if (deadline.hasExpired())
            throw timedOut();
    }
    if (status == HTTP_STATUS_ERROR)
        throw deadline.hasExpired() ? timedOut() : EngineError(QString::fromUtf8(cupsLastErrorString()));
    if (status != HTTP_STATUS_OK)
        throw EngineError(QStringLiteral("the server answered \"%1\"").arg(QString::fromUtf8(httpStatus(status))));
    const auto tooBig = [] {
        return EngineError(QStringLiteral("it is bigger than %1 bytes").arg(PrinterStrings::maxBytes));
    };
    if (httpGetLength2(http) > PrinterStrings::maxBytes)
        throw tooBig();
    QByteArray body;
    char chunk[16384];
    for (;;) {
        const ssize_t length = httpRead2(http, chunk, sizeof(chunk));
        if (length == 0)
            return body;
        if (length < 0)
            throw deadline.hasExpired() ? timedOut() : EngineError(QStringLiteral("the answer broke off"));
        body.append(chunk, length);
        if (body.size() > PrinterStrings::maxBytes)
            throw tooBig();
        if (deadline.hasExpired())
            throw timedOut();
    }
}

} // namespace

PrinterStrings PrinterStrings::parse(QByteArrayView text)
{
    if (text.size() > maxBytes)
        throw EngineError(QStringLiteral("it is bigger than %1 bytes").arg(maxBytes));
    PrinterStrings strings;
    StringsReader reader(text);
    while (!reader.atEnd()) {
        QByteArray key = reader.quoted();
        reader.expect('=');
        const QByteArray value = reader.quoted();
        reader.expect(';');
        strings.m_texts.insert(std::move(key), QString::fromUtf8(value));
    }
    return strings;
}

PrinterStrings PrinterStrings::fetch(const QByteArray &uri, int timeoutMs)
{
    char scheme[32], user[256], host[256], resource[1024];
    int port = 0;
    const auto failure = [&](const QString &why) {
        return EngineError(QStringLiteral("%1: %2").arg(QString::fromUtf8(uri), why));
    };
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.constData(), scheme, sizeof(scheme), user, sizeof(user), host,
                        sizeof(host), &port, resource, sizeof(resource))
            < HTTP_URI_STATUS_OK
        || (qstrcmp(scheme, "http") != 0 && qstrcmp(scheme, "https") != 0)) {
        throw failure(QStringLiteral("not an http address"));
    }
    const QDeadlineTimer deadline(timeoutMs);
    const Http http = connectTo(host, port, qstrcmp(scheme, "https") == 0, timeoutMs);
    if (!http)
        throw failure(QStringLiteral("cannot connect (%1)").arg(QString::fromUtf8(cupsLastErrorString())));
    httpSetTimeout(http.get(), timeoutMs / 1000.0, stopWaiting, nullptr);
    try {
        return parse(download(http.get(), resource, deadline));
    } catch (const EngineError &e) {
        throw failure(e.message());
    }
}

QString PrinterStrings::text(QByteArrayView attribute, QByteArrayView keyword) const
{
    return m_texts.value(attribute.toByteArray() + '.' + keyword.toByteArray());
}

} // namespace engine
