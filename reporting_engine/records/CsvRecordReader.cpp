#include "reporting_engine/records/CsvRecordReader.h"

#include "reporting_engine/base/EngineError.h"

#include <QBuffer>
#include <QFile>
#include <QStringDecoder>

#include <csv.h>

#include <deque>

namespace engine {
namespace {

constexpr qint64 chunkSize = 16 * 1024;

// RFC 4180 keeps spaces around fields; libcsv trims them unless told no byte is a space.
int noSpaces(unsigned char) { return 0; }

// Line breaks as the page renderer counts them: CR LF, a lone CR, a lone LF.
qint64 lineBreaksIn(const char *p, qint64 n, bool &lastWasCr)
{
    qint64 breaks = 0;
    for (qint64 i = 0; i < n; ++i) {
        if (p[i] == '\r') {
            ++breaks;
            lastWasCr = true;
        } else {
            if (p[i] == '\n' && !lastWasCr)
                ++breaks;
            lastWasCr = false;
        }
    }
    return breaks;
}

bool isBlank(const QString &s)
{
    for (QChar c : s)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
            return false;
    return true;
}

} // namespace

struct CsvRecordReader::Private {
    struct Item {
        QStringList fields;
        qint64 number = 0;
        qint64 line = 0;
        QString error; // set: the input is malformed here; nothing follows
    };

    std::unique_ptr<QIODevice> device;
    QString sourceName;
    qint64 maxRecordBytes = 0;
    qint64 totalBytes = -1;
    qint64 bytesRead = 0;
    csv_parser parser{};
    QByteArray chunk;
    QStringDecoder utf8{QStringDecoder::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom};
    bool atStart = true;
    bool inputEnded = false;
    bool broken = false;       // an error is queued: ignore whatever the parser still reports
    QString failure;           // the error once thrown, thrown again on every later call

    // What the callbacks build.
    QStringList fields;        // of the record being parsed
    QString fieldError;        // the first field of it that is not UTF-8
    qint64 recordStartLine = 0;
    qint64 callbackBreaks = 0; // line breaks before the parser's position, from its callbacks
    int lastTerminator = 0;    // the character that ended the last row, when nothing followed it yet
    bool rowEnded = false;     // a row ended during the current chunk
    qint64 bytesInOpenRecord = 0;

    // Physical line count of the bytes parsed, for errors the parser finds mid-field.
    qint64 physicalBreaks = 0;
    bool physicalLastWasCr = false;

    bool haveHeader = false;
    QStringList header;
    qint64 recordsQueued = 0;
    std::deque<Item> queue;
    Item current;

    ~Private() { csv_free(&parser); }

    QString where(qint64 line) const { return QStringLiteral("%1, line %2").arg(sourceName).arg(line); }

    void queueError(const QString &message)
    {
        if (broken)
            return;
        broken = true;
        Item item;
        item.error = message;
        queue.push_back(std::move(item));
    }

    static void onField(void *bytes, size_t length, void *self) { static_cast<Private *>(self)->field(bytes, length); }
    static void onRowEnd(int terminator, void *self) { static_cast<Private *>(self)->rowEnd(terminator); }

    void field(const void *bytes, size_t length)
    {
        if (broken)
            return;
        if (fields.isEmpty())
            recordStartLine = 1 + callbackBreaks;
        lastTerminator = 0;
        const char *p = static_cast<const char *>(bytes);
        const auto n = static_cast<qsizetype>(length);
        QString text;
        if (n > 0) {
            bool ascii = true;
            for (qsizetype i = 0; i < n && ascii; ++i)
                ascii = static_cast<unsigned char>(p[i]) < 0x80;
            if (ascii) {
                text = QString::fromLatin1(p, n);
            } else {
                text = utf8.decode(QByteArrayView(p, n));
                if (utf8.hasError() && fieldError.isEmpty())
                    fieldError = QStringLiteral("field %1 is not valid UTF-8 text").arg(fields.size() + 1);
                utf8.resetState();
            }
            bool lastWasCr = false;
            callbackBreaks += lineBreaksIn(p, n, lastWasCr);
        }
        fields.append(std::move(text));
    }

    void rowEnd(int terminator)
    {
        if (broken)
            return;
        // The LF of a CR LF comes as an empty row of its own: one line break, not two.
        const bool secondHalfOfCrLf = fields.isEmpty() && terminator == '\n' && lastTerminator == '\r';
        if (terminator == '\r' || (terminator == '\n' && !secondHalfOfCrLf))
            ++callbackBreaks;
        lastTerminator = terminator;
        rowEnded = true;
        if (fields.isEmpty())
            return; // a blank line
        QStringList record = std::move(fields);
        fields = QStringList();
        const QString error = std::exchange(fieldError, QString());

        if (!haveHeader) {
            if (record.size() == 1 && isBlank(record.first()))
                return;
            if (!error.isEmpty())
                return queueError(QStringLiteral("%1 (the header): %2.").arg(where(recordStartLine), error));
            haveHeader = true;
            header = std::move(record);
            return;
        }
        // A line of blanks is a blank line, unless the header has only one column.
        if (record.size() == 1 && header.size() > 1 && isBlank(record.first()))
            return;
        const qint64 number = recordsQueued + 1;
        if (!error.isEmpty())
            return queueError(QStringLiteral("%1, record %2: %3.").arg(where(recordStartLine)).arg(number).arg(error));
        if (record.size() != header.size())
            return queueError(QStringLiteral("%1, record %2: it has %3 fields, but the header has %4.")
                                  .arg(where(recordStartLine))
                                  .arg(number)
                                  .arg(record.size())
                                  .arg(header.size()));
        recordsQueued = number;
        queue.push_back(Item{std::move(record), number, recordStartLine, QString()});
    }

    // Reads and parses one more chunk of the input, or ends it.
    void feed()
    {
        chunk.resize(chunkSize);
        const qint64 n = device->read(chunk.data(), chunkSize);
        if (n < 0)
            throw EngineError(QStringLiteral("Cannot read %1: %2.").arg(sourceName, device->errorString()));
        if (n == 0) {
            inputEnded = true;
            if (csv_fini(&parser, &Private::onField, &Private::onRowEnd, this) != 0 && !broken) {
                const qint64 line = fields.isEmpty() ? 1 + callbackBreaks : recordStartLine;
                queueError(QStringLiteral("%1: a quoted field opened in %2 is never closed.")
                               .arg(where(line), haveHeader ? QStringLiteral("record %1").arg(recordsQueued + 1)
                                                            : QStringLiteral("the header")));
            }
            return;
        }
        bytesRead += n;
        const char *data = chunk.constData();
        qint64 length = n;
        if (atStart) {
            atStart = false;
            if (length >= 3 && data[0] == '\xEF' && data[1] == '\xBB' && data[2] == '\xBF') {
                data += 3;
                length -= 3;
            }
        }
        rowEnded = false;
        const size_t parsed = csv_parse(&parser, data, static_cast<size_t>(length), &Private::onField, &Private::onRowEnd, this);
        if (parsed != static_cast<size_t>(length) && !broken) {
            bool cr = physicalLastWasCr;
            const qint64 line = 1 + physicalBreaks + lineBreaksIn(data, static_cast<qint64>(parsed), cr);
            const QString what = csv_error(&parser) == CSV_EPARSE ? QStringLiteral("a quote is out of place (a quoted field must be "
                                                                                   "quoted whole, its quotes doubled)")
                                                                  : QString::fromLatin1(csv_strerror(csv_error(&parser)));
            queueError(QStringLiteral("%1, %2: %3.")
                           .arg(where(line), haveHeader ? QStringLiteral("record %1").arg(recordsQueued + 1) : QStringLiteral("the header"),
                                what));
            return;
        }
        physicalBreaks += lineBreaksIn(data, length, physicalLastWasCr);
        bytesInOpenRecord = rowEnded ? 0 : bytesInOpenRecord + length;
        if (bytesInOpenRecord > maxRecordBytes)
            queueError(QStringLiteral("%1: %2 runs on for more than %3 bytes; is a quote left open?")
                           .arg(where(fields.isEmpty() ? 1 + callbackBreaks : recordStartLine),
                                haveHeader ? QStringLiteral("record %1").arg(recordsQueued + 1) : QStringLiteral("the header"))
                           .arg(maxRecordBytes));
    }

    // The next queued item, reading as much input as that takes; false at the end.
    bool advance()
    {
        if (!failure.isEmpty())
            throw EngineError(failure);
        while (queue.empty()) {
            if (inputEnded || broken)
                return false;
            feed();
        }
        Item item = std::move(queue.front());
        queue.pop_front();
        if (!item.error.isEmpty()) {
            failure = item.error;
            throw EngineError(failure);
        }
        current = std::move(item);
        return true;
    }
};

CsvRecordReader::CsvRecordReader(std::unique_ptr<QIODevice> device, QString sourceName, qint64 maxRecordBytes)
    : d(std::make_unique<Private>())
{
    d->device = std::move(device);
    d->sourceName = std::move(sourceName);
    d->maxRecordBytes = maxRecordBytes;
    if (!d->device->isSequential())
        d->totalBytes = d->device->size();
    if (csv_init(&d->parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0)
        throw EngineError(QStringLiteral("Cannot set up the CSV parser for %1.").arg(d->sourceName));
    csv_set_space_func(&d->parser, &noSpaces);
    while (!d->haveHeader && d->queue.empty() && !d->inputEnded && !d->broken)
        d->feed();
    if (!d->haveHeader) {
        if (!d->queue.empty())
            throw EngineError(d->queue.front().error);
        throw EngineError(QStringLiteral("%1 is empty: a header row naming the columns is needed.").arg(d->sourceName));
    }
}

CsvRecordReader::~CsvRecordReader() = default;

std::unique_ptr<CsvRecordReader> CsvRecordReader::fromFile(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        throw EngineError(QStringLiteral("Cannot open %1: %2.").arg(path, file->errorString()));
    return std::make_unique<CsvRecordReader>(std::move(file), path);
}

std::unique_ptr<CsvRecordReader> CsvRecordReader::fromBytes(const QByteArray &bytes, qint64 maxRecordBytes)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    return std::make_unique<CsvRecordReader>(std::move(buffer), QStringLiteral("the CSV text"), maxRecordBytes);
}

const QStringList &CsvRecordReader::header() const { return d->header; }
bool CsvRecordReader::next() { return d->advance(); }
const QStringList &CsvRecordReader::record() const { return d->current.fields; }
qint64 CsvRecordReader::recordNumber() const { return d->current.number; }
qint64 CsvRecordReader::recordLine() const { return d->current.line; }
qint64 CsvRecordReader::bytesRead() const { return d->bytesRead; }
qint64 CsvRecordReader::totalBytes() const { return d->totalBytes; }

} // namespace engine
