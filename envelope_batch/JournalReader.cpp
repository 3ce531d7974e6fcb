#include "envelope_batch/JournalReader.h"

#include "envelope_batch/AddresseeValidator.h"
#include "envelope_batch/BatchJournal.h"
#include "reporting_engine/base/EngineError.h"
#include "reporting_engine/records/CsvRecordReader.h"

#include <QDir>
#include <QRegularExpression>

#include <functional>
#include <limits>
#include <memory>

namespace envelope {
namespace {

enum Column { Envelope, Record, Name, Line1, Zip = Line1 + AddresseeValidator::addressBoxLines, Barcode, Queue, Job, State, ReprintOf };

// POSTNET's 5, 9 or 11 routing digits; or 20 tracking digits, with them after a dash or alone.
bool isBarcodeValue(const QString &value)
{
    static const QRegularExpression form(QStringLiteral("^(|\\d{5}|\\d{9}|\\d{11}|\\d{20}(-(\\d{5}|\\d{9}|\\d{11}))?)$"));
    return form.match(value).hasMatch();
}

qint64 wholeNumber(const QString &text, qint64 min)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n >= min && text == QString::number(n) ? n : -1;
}

JournalEntry entryOf(const QStringList &f, qint64 expected, const std::function<engine::EngineError(const QString &)> &bad)
{
    JournalEntry e;
    e.envelope = wholeNumber(f[Envelope], 1);
    if (e.envelope != expected)
        throw bad(QStringLiteral("envelope \"%1\" where %2 comes next").arg(f[Envelope]).arg(expected));
    e.record = wholeNumber(f[Record], 1);
    if (e.record < 0)
        throw bad(QStringLiteral("record \"%1\" is not a record number").arg(f[Record]));
    e.name = f[Name];
    for (int i = 0; i < AddresseeValidator::addressBoxLines; ++i)
        if (!f[Line1 + i].isEmpty())
            e.lines << f[Line1 + i];
    if (e.lines.isEmpty())
        throw bad(QStringLiteral("the envelope has no address lines"));
    e.zip = f[Zip];
    e.barcode = f[Barcode];
    if (!isBarcodeValue(e.barcode))
        throw bad(QStringLiteral("barcode \"%1\" is neither POSTNET digits nor TRACKING-ROUTING").arg(e.barcode));
    e.queue = f[Queue];
    const qint64 job = f[Job].isEmpty() ? 0 : wholeNumber(f[Job], 1);
    if (job < 0 || job > std::numeric_limits<int>::max())
        throw bad(QStringLiteral("job \"%1\" is not a job number").arg(f[Job]));
    e.job = int(job);
    const std::optional<JournalEntry::State> state = JournalEntry::stateNamed(f[State]);
    if (!state)
        throw bad(QStringLiteral("state \"%1\" is none of printed, failed, sent, not-sent, made").arg(f[State]));
    e.state = *state;
    return e;
}

JournalReader::Journal readAll(engine::CsvRecordReader &csv, const QString &shown)
{
    if (csv.header() != BatchJournal::columns())
        throw engine::EngineError(QStringLiteral("%1 line 1: not an envelope journal (its columns are not %2).")
                                      .arg(shown, BatchJournal::columns().join(QLatin1Char(','))));
    JournalReader::Journal journal;
    while (csv.next()) {
        const auto bad = [&](const QString &why) {
            return engine::EngineError(QStringLiteral("%1 line %2: %3.").arg(shown).arg(csv.recordLine()).arg(why));
        };
        const QStringList &f = csv.record();
        journal.entries.push_back(entryOf(f, qint64(journal.entries.size()) + 1, bad));
        if (journal.entries.size() == 1)
            journal.reprintOf = f[ReprintOf];
        else if (f[ReprintOf] != journal.reprintOf)
            throw bad(QStringLiteral("it names another journal reprinted than the rows before"));
    }
    if (journal.entries.empty())
        throw engine::EngineError(QStringLiteral("%1: the journal has no envelopes.").arg(shown));
    return journal;
}

} // namespace

JournalReader::Journal JournalReader::read(const QString &path)
{
    const std::unique_ptr<engine::CsvRecordReader> csv = engine::CsvRecordReader::fromFile(path);
    return readAll(*csv, QDir::toNativeSeparators(path));
}

JournalReader::Journal JournalReader::parse(const QByteArray &bytes, const QString &sourceName)
{
    const std::unique_ptr<engine::CsvRecordReader> csv = engine::CsvRecordReader::fromBytes(bytes);
    return readAll(*csv, sourceName);
}

} // namespace envelope
