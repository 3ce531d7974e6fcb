#pragma once

#include "envelope_batch/AddresseeValidator.h"
#include "envelope_batch/JournalEntry.h"
#include "envelope_report/AddresseeRecord.h"
#include "envelope_report/MailSettings.h"
#include "reporting_engine/report/Report.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace platform {
class WindowsApi;
}

namespace envelope {

class AddresseeSource;

// Many envelopes in one run: one page per addressee of a source, each printed
// exactly as the single envelope prints it (the same layout, return address, ZIP
// text and barcode), without the single envelope's per-record messages.
//
// A bad addressee (see AddresseeValidator) is reported to the listener and then,
// by the policy, printed without a barcode (characters no font has shown as U+FFFD),
// left out, or, for Stop, the run ends before anything is made: the whole source
// is checked first. A return address no font can print ends the run before it starts.
//
// With the Intelligent Mail barcode, a run reserves the serials of all its good records
// without a tracking code of their own in one step (counting them first unless checkInput
// just did), and gives back those it did not hand out when it fails or is interrupted.
//
// Every run writes a journal (BatchJournal) of its envelopes and what became of them.
// Sent to a printer, a run may go as jobs of a few envelopes each (setJobs); when one of
// them fails, the run stops, and the envelopes it did not send are journaled as not-sent,
// with the serials they were given, so that a reprint of the journal makes just those.
class BatchEnvelopeReport : public engine::Report {
public:
    enum class BadRecords { Print, Skip, Stop };
    // The same addressee twice (AddresseeValidator::Verdict::addressee): printed again, or
    // left out after the first. Either way it is a warning naming the first's record.
    enum class Duplicates { Print, Skip };

    struct Tally {
        qint64 read = 0;    // records taken from the source
        qint64 printed = 0; // pages made, bad ones printed included
        qint64 skipped = 0;
        qint64 bad = 0;
        qint64 sent = 0;    // envelopes in print jobs CUPS took
    };

    // Called as the run goes; any may be empty.
    struct Listener {
        std::function<void(const AddresseeRecord &record, const QStringList &problems)> badRecord;
        // A record that prints but may go astray in the mail (see AddresseeValidator::Verdict::warnings),
        // once, as the run reaches it.
        std::function<void(const AddresseeRecord &record, const QStringList &warnings)> recordWarning;
        std::function<void(const Tally &tally, double fractionRead)> progress;
        // The run's cancel check: asked between records and after every page; true
        // ends the run (or the check of the input) with an EngineError, leaving no output.
        std::function<bool()> interrupted;
        // Something the user should know that does not stop the run (the serials started again at 0).
        std::function<void(const QString &text)> warning;
        // Every record's verdict as the run or the check judged it, warnings (a duplicate's
        // included) and the rules it broke: what `envelope check` lists and counts.
        std::function<void(const AddresseeRecord &record, const AddresseeValidator::Verdict &verdict)> checked;
    };

    // The source is read by the runs and must outlive the report.
    BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, AddresseeSource &source, BadRecords policy,
                        Listener listener = {});
    // A reprint: these envelopes of the journal at reprintOf, made again as they were
    // (their lines and barcodes, no serial reserved or given back).
    BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, std::vector<JournalEntry> envelopes,
                        const QString &reprintOf, Listener listener = {});
    ~BatchEnvelopeReport() override;

    // Reads the whole source once, reports every bad record, and rewinds it;
    // returns the number of bad records. A Stop run does this itself when it has
    // not been done, but a caller doing it first makes nothing at all when it fails.
    qint64 checkInput();

    // The postal barcode's settings that win over the host's section of mail.conf, for the
    // next runs (see MailSettings; a serial is the first of the run's).
    void setMailSettings(const MailSettings &overrides);
    // The address style for the next runs and checks, "as-given" or "pub28"; empty (the
    // default) takes mail.conf's (AddressStyle::resolve).
    void setAddressStyle(const QString &style);
    void setDuplicates(Duplicates duplicates);

    // Printed runs go as jobs of this many envelopes (0: the whole run is one job, as by
    // default), titled "Envelope 1–50 of 500"; with waitSeconds each job is followed to its
    // end before the next is submitted, and one that does not complete stops the run.
    void setJobs(int envelopesPerJob, std::optional<int> waitSeconds = std::nullopt);
    // Where the next runs' journal goes; empty (the default): a new file in BatchJournal::defaultFolder().
    void setJournalPath(const QString &path);
    // The last run's journal; empty when it could not be made.
    QString journalPath() const;

    // What the last run (or check) did.
    const Tally &tally() const;

protected:
    void reportStart() override;
    void dataInitialize() override;
    void fetchData(bool &eof) override;
    void reportEnd(bool completed) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
