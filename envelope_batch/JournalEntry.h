#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace envelope {

// One envelope of a batch run as its journal records it: enough to make the very
// same envelope again (its lines and barcode as printed) and to tell what became of it.
struct JournalEntry {
    enum class State { Printed, Failed, Sent, NotSent, Made };

    qint64 envelope = 0; // 1 for the run's first envelope
    qint64 record = 0;   // the input's record number; a reprint's: the envelope in the journal it reprinted
    QString name;
    QStringList lines;   // the address block as printed, one entry per line
    QString zip;         // as printed
    // The barcode's value: POSTNET's routing digits, or the Intelligent Mail tracking
    // code and routing digits as TRACKING-ROUTING; empty: no bars.
    QString barcode;
    QString queue;       // the printer's queue; empty for a file
    int job = 0;         // the CUPS job; 0 while not sent
    State state = State::NotSent;

    // printed, failed, sent, not-sent, made.
    static QString stateName(State state);
    static std::optional<State> stateNamed(const QString &name);
    // Whether the barcode is an Intelligent Mail one (20 tracking digits first).
    bool hasIntelligentMail() const { return barcode.size() >= 20; }
};

} // namespace envelope
