// A batch's CSV input. The reader: any bytes give records of the header's width,
// in order, or an EngineError; the first byte picks the record-size limit, so
// the limit's edge is reached without megabytes of input. Then the same bytes
// as a batch reads them from a file: the address columns found, each record
// checked.
#include "envelope_batch/AddresseeValidator.h"
#include "envelope_batch/ColumnMapping.h"
#include "envelope_batch/CsvAddresseeSource.h"
#include "fuzz/FuzzSupport.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/CsvRecordReader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// In memory, rewritten for every input: no disk traffic.
int memoryFile = -1;

void readRecords(const QByteArray &bytes, qint64 maxRecordBytes)
{
    const auto reader = engine::CsvRecordReader::fromBytes(bytes, maxRecordBytes);
    const qsizetype width = reader->header().size();
    fuzzsupport::check(width > 0);
    qint64 expected = 1;
    qint64 lastLine = 1;
    while (reader->next()) {
        fuzzsupport::check(reader->record().size() == width);
        fuzzsupport::check(reader->recordNumber() == expected++);
        fuzzsupport::check(reader->recordLine() > lastLine);
        lastLine = reader->recordLine();
        fuzzsupport::check(reader->bytesRead() <= reader->totalBytes());
    }
}

void readAddressees(const QByteArray &bytes)
{
    fuzzsupport::check(::ftruncate(memoryFile, 0) == 0);
    fuzzsupport::check(::pwrite(memoryFile, bytes.constData(), size_t(bytes.size()), 0) == bytes.size());
    envelope::CsvAddresseeSource source(QStringLiteral("/proc/self/fd/%1").arg(memoryFile), envelope::ColumnMapping());
    while (const auto record = source.next()) {
        (void)envelope::AddresseeValidator::check(*record);
        const double fraction = source.fractionRead();
        fuzzsupport::check(fraction >= 0.0 && fraction <= 1.0);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzzsupport::quietQt();
    // The check measures the block with the envelope's font, which needs the font database.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    memoryFile = ::memfd_create("batch.csv", 0);
    fuzzsupport::check(memoryFile >= 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // 16 to 4096 bytes, or the real limit.
    const qint64 maxRecordBytes = data[0] == 0xff ? engine::CsvRecordReader::defaultMaxRecordBytes : 16 + qint64(data[0]) * 16;
    const QByteArray bytes(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    try {
        readRecords(bytes, maxRecordBytes);
    } catch (const engine::EngineError &) {
        // Malformed input is reported, which is all that is asked of it.
    }
    try {
        readAddressees(bytes);
    } catch (const engine::EngineError &) {
    }
    return 0;
}
