// A batch's journal, as `envelope reprint` reads it: any bytes give a journal whose
// envelopes count up from 1, each with one to four lines and a barcode a run writes,
// or an EngineError. A journal accepted is written again as a run writes it and read
// back the same.
#include "envelope_batch/BatchJournal.h"
#include "envelope_batch/JournalReader.h"
#include "fuzz/FuzzSupport.h"
#include "reporting_engine/base/EngineError.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

QString journalPath;

void checkRoundTrip(const envelope::JournalReader::Journal &journal)
{
    {
        envelope::BatchJournal out(journalPath, journal.reprintOf);
        for (const envelope::JournalEntry &e : journal.entries)
            fuzzsupport::check(out.add(e) == e.envelope);
        for (const envelope::JournalEntry &e : journal.entries)
            out.update(e.envelope, e.envelope, e.queue, e.job, e.state);
    }
    const envelope::JournalReader::Journal back = envelope::JournalReader::read(journalPath);
    fuzzsupport::check(back.reprintOf == journal.reprintOf && back.entries.size() == journal.entries.size());
    for (size_t i = 0; i < back.entries.size(); ++i) {
        const envelope::JournalEntry &a = journal.entries[i], &b = back.entries[i];
        fuzzsupport::check(a.record == b.record && a.name == b.name && a.lines == b.lines && a.zip == b.zip
                           && a.barcode == b.barcode && a.queue == b.queue && a.job == b.job && a.state == b.state);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::quietQt();
    journalPath = QDir::temp().filePath(QStringLiteral("fuzz-journal-%1.csv").arg(QCoreApplication::applicationPid()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    envelope::JournalReader::Journal journal;
    try {
        journal = envelope::JournalReader::parse(bytes, QStringLiteral("fuzz.csv"));
    } catch (const engine::EngineError &) {
        return 0; // refused, which is all that is asked of a damaged journal
    }
    qint64 expected = 1;
    for (const envelope::JournalEntry &e : journal.entries) {
        fuzzsupport::check(e.envelope == expected++ && e.record >= 1);
        fuzzsupport::check(!e.lines.isEmpty() && e.lines.size() <= 4);
    }
    checkRoundTrip(journal);
    return 0;
}
