#pragma once

#include "reporting_engine/EngineExport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;

namespace engine {

// Reads CSV text (RFC 4180: quoted fields with commas, quotes and line breaks in
// them) one record at a time, in memory that does not grow with the input. The
// first record is the header. The text is UTF-8, with or without a byte-order
// mark. Spaces around unquoted fields are kept, as the RFC asks; blank lines are
// skipped.
//
// Malformed input (an unterminated quote, a stray quote, a record with another
// number of fields than the header, text that is not UTF-8, a record longer than
// the limit) throws EngineError naming the line and the record. Any bytes at all
// give records or such an error, never anything worse.
class ENGINE_EXPORT CsvRecordReader {
public:
    // A record longer than this is taken for an unterminated quote rather than
    // held in memory until the input ends.
    static constexpr qint64 defaultMaxRecordBytes = qint64(1) << 20;

    // Reads from the device, which must be open for reading; the header is read
    // here. sourceName names the input in errors (a file name, "standard input").
    CsvRecordReader(std::unique_ptr<QIODevice> device, QString sourceName,
                    qint64 maxRecordBytes = defaultMaxRecordBytes);
    ~CsvRecordReader();
    CsvRecordReader(const CsvRecordReader &) = delete;
    CsvRecordReader &operator=(const CsvRecordReader &) = delete;

    // Opens the file; throws EngineError naming it when it cannot be read.
    static std::unique_ptr<CsvRecordReader> fromFile(const QString &path);
    // The parse entry point for bytes in memory (tests, fuzzing).
    static std::unique_ptr<CsvRecordReader> fromBytes(const QByteArray &bytes,
                                                      qint64 maxRecordBytes = defaultMaxRecordBytes);

    const QStringList &header() const;

    // Moves to the next record; false once the input ends.
    bool next();
    // The current record's fields, as many as the header has.
    const QStringList &record() const;
    // The current record's number, 1 for the first one after the header.
    qint64 recordNumber() const;
    // The line of the input the current record starts on, 1 for the header's first line.
    qint64 recordLine() const;

    // For progress: the bytes of the input read so far, and its size (-1 when unknown).
    qint64 bytesRead() const;
    qint64 totalBytes() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace engine
