#pragma once

#include "envelope_batch/JournalEntry.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace envelope {

// A batch journal read back (see BatchJournal), every row checked: the columns are
// the journal's, envelopes count up from 1, states, jobs and barcodes are ones a run
// writes. Anything else throws engine::EngineError naming the file and the line.
class JournalReader {
public:
    struct Journal {
        std::vector<JournalEntry> entries;
        QString reprintOf; // the journal this one's run reprinted; empty for a batch
    };

    static Journal read(const QString &path);
    // The same from bytes in memory (tests, fuzzing); sourceName names them in errors.
    static Journal parse(const QByteArray &bytes, const QString &sourceName);
};

} // namespace envelope
