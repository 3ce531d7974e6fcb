#include "envelope_report/BatchEnvelopeReport.h"

#include "envelope_report/AddresseeSource.h"
#include "envelope_report/AddresseeValidator.h"
#include "envelope_report/EnvelopePage.h"
#include "reporting_engine/EngineError.h"

#include <optional>

namespace envelope {

struct BatchEnvelopeReport::Private {
    struct Pending {
        AddresseeRecord record;
        AddresseeValidator::Verdict verdict;
    };

    BatchEnvelopeReport &report;
    EnvelopePage page;
    AddresseeSource &source;
    BadRecords policy;
    Listener listener;
    Tally tally;
    bool sourceUsed = false;
    bool checked = false;
    std::optional<Pending> pending; // the record after the one being printed

    Private(BatchEnvelopeReport &r, AddresseeSource &s, BadRecords p, Listener l)
        : report(r), page(r), source(s), policy(p), listener(std::move(l))
    {
    }

    void reportProgress() const
    {
        if (listener.progress)
            listener.progress(tally, source.fractionRead());
    }

    void rewindIfUsed()
    {
        if (sourceUsed)
            source.rewind();
        sourceUsed = true;
    }

    // The next record to print, skipping and reporting bad ones as the policy says.
    std::optional<Pending> nextPrintable()
    {
        for (;;) {
            report.throwIfCancelled();
            std::optional<AddresseeRecord> record = source.next();
            if (!record)
                return std::nullopt;
            ++tally.read;
            AddresseeValidator::Verdict verdict = AddresseeValidator::check(*record);
            if (!verdict.good()) {
                ++tally.bad;
                if (listener.badRecord)
                    listener.badRecord(*record, verdict.problems);
                if (policy == BadRecords::Stop)
                    throw engine::EngineError(QStringLiteral("Record %1 is bad (%2); nothing was printed.")
                                                  .arg(record->number)
                                                  .arg(verdict.problems.join(QStringLiteral("; "))));
                if (policy == BadRecords::Skip) {
                    ++tally.skipped;
                    reportProgress();
                    continue;
                }
            }
            return Pending{std::move(*record), std::move(verdict)};
        }
    }
};

BatchEnvelopeReport::BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, AddresseeSource &source, BadRecords policy,
                                         Listener listener)
    : engine::Report(EnvelopePage::reportTitle()), d(std::make_unique<Private>(*this, source, policy, std::move(listener)))
{
    d->page.setReturnAddress(ReturnAddress::ofHost(*api));
    // Also after the last record: an interrupt while the output is finished still keeps it from appearing.
    setCancelCheck(d->listener.interrupted);
}

BatchEnvelopeReport::~BatchEnvelopeReport() = default;

const BatchEnvelopeReport::Tally &BatchEnvelopeReport::tally() const { return d->tally; }

qint64 BatchEnvelopeReport::checkInput()
{
    d->rewindIfUsed();
    d->tally = Tally();
    while (true) {
        throwIfCancelled();
        const std::optional<AddresseeRecord> record = d->source.next();
        if (!record)
            break;
        ++d->tally.read;
        const AddresseeValidator::Verdict verdict = AddresseeValidator::check(*record);
        if (!verdict.good()) {
            ++d->tally.bad;
            if (d->listener.badRecord)
                d->listener.badRecord(*record, verdict.problems);
        }
    }
    d->source.rewind();
    d->sourceUsed = false;
    d->checked = d->tally.bad == 0;
    return d->tally.bad;
}

void BatchEnvelopeReport::reportStart() { d->page.setUpPaper(); }

void BatchEnvelopeReport::dataInitialize()
{
    d->page.addFields();
    if (d->policy == BadRecords::Stop && !d->checked) {
        if (const qint64 bad = checkInput())
            throw engine::EngineError(QStringLiteral("%1 bad record(s); nothing was printed.").arg(bad));
    }
    d->rewindIfUsed();
    // A check only holds for the run after it.
    d->checked = false;
    d->tally = Tally();
    // The engine prints one page per fetch and stops after the fetch that sets eof,
    // so the run looks one record ahead to know which one is the last.
    d->pending = d->nextPrintable();
    if (!d->pending) {
        if (d->tally.read == 0)
            throw engine::EngineError(QStringLiteral("The input has no records: there is nothing to print."));
        throw engine::EngineError(QStringLiteral("All %1 record(s) are bad and were skipped: there is nothing to print.")
                                      .arg(d->tally.read));
    }
}

void BatchEnvelopeReport::fetchData(bool &eof)
{
    if (!d->pending) {
        eof = true;
        return;
    }
    Private::Pending current = std::move(*d->pending);
    d->pending = d->nextPrintable();

    d->page.fill(current.record, current.verdict.zipText, current.verdict.barcodeValue);
    ++d->tally.printed;
    d->reportProgress();
    eof = !d->pending.has_value();
}

} // namespace envelope
