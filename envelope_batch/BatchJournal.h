#pragma once

#include "envelope_batch/JournalEntry.h"

#include <QDateTime>
#include <QString>

#include <memory>

namespace envelope {

// The CSV journal of one run, one row per envelope in the order they are made,
// written as the run goes: a row is on disk before its envelope is sent, and rows
// are rewritten (the whole file replaced at once) when their job's state changes.
// It holds addresses, so it is its owner's alone (0600), and it is never written
// through a symbolic link. Every failure throws engine::EngineError naming the file.
class BatchJournal {
public:
    // The columns, in order; the header row names them.
    static const QStringList &columns();
    // $XDG_STATE_HOME/korva-envelope/journal ($XDG_STATE_HOME: ~/.local/state when unset or relative).
    static QString defaultFolder();
    // Removes the journals in defaultFolder() (the files named as runs name them) last
    // written more than days ago; returns the files removed. Throws EngineError naming
    // one that cannot be removed.
    static QStringList prune(int days);

    // Starts the journal at path, replacing a file there; an empty path makes a new file
    // in defaultFolder() (created when missing) named for the time the run started.
    // reprintOf: the journal a reprint remakes envelopes of; written on every row.
    explicit BatchJournal(const QString &path, const QString &reprintOf = QString());
    ~BatchJournal();
    BatchJournal(const BatchJournal &) = delete;
    BatchJournal &operator=(const BatchJournal &) = delete;

    const QString &path() const;
    qint64 count() const;

    // Appends the envelope's row (numbered on from the last) and returns its number.
    qint64 add(JournalEntry entry);
    // Envelopes first .. last (1-based) are now in this state, on this queue's job.
    void update(qint64 first, qint64 last, const QString &queue, int job, JournalEntry::State state);
    // Every envelope still in the state from is now in the state to.
    void updateAll(JournalEntry::State from, JournalEntry::State to);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
