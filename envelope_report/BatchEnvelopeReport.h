#pragma once

#include "envelope_report/AddresseeRecord.h"
#include "reporting_engine/Report.h"

#include <QStringList>

#include <functional>
#include <memory>

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
// by the policy, printed without a barcode, left out, or, for Stop, the run ends
// before anything is made: the whole source is checked first.
class BatchEnvelopeReport : public engine::Report {
public:
    enum class BadRecords { Print, Skip, Stop };

    struct Tally {
        qint64 read = 0;    // records taken from the source
        qint64 printed = 0; // pages made, bad ones printed included
        qint64 skipped = 0;
        qint64 bad = 0;
    };

    // Called as the run goes; any may be empty.
    struct Listener {
        std::function<void(const AddresseeRecord &record, const QStringList &problems)> badRecord;
        std::function<void(const Tally &tally, double fractionRead)> progress;
        // The run's cancel check: asked between records and after every page; true
        // ends the run (or the check of the input) with an EngineError, leaving no output.
        std::function<bool()> interrupted;
    };

    // The source is read by the runs and must outlive the report.
    BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, AddresseeSource &source, BadRecords policy,
                        Listener listener = {});
    ~BatchEnvelopeReport() override;

    // Reads the whole source once, reports every bad record, and rewinds it;
    // returns the number of bad records. A Stop run does this itself when it has
    // not been done, but a caller doing it first makes nothing at all when it fails.
    qint64 checkInput();

    // What the last run (or check) did.
    const Tally &tally() const;

protected:
    void reportStart() override;
    void dataInitialize() override;
    void fetchData(bool &eof) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace envelope
