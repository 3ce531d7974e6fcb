#include "envelope_batch/BatchEnvelopeReport.h"

#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/AddresseeValidator.h"
#include "envelope_batch/BatchJournal.h"
#include "envelope_report/EnvelopePage.h"
#include "envelope_report/MailBarcode.h"
#include "envelope_report/UnprintableCharacters.h"
#include "folders_settings/modGetParentEXEPath.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>
#include <QHash>

#include <algorithm>
#include <exception>
#include <optional>

namespace envelope {

struct BatchEnvelopeReport::Private {
    struct Pending {
        AddresseeRecord record;
        AddresseeValidator::Verdict verdict;
    };

    // One envelope as it goes onto its page and into the journal.
    struct Envelope {
        qint64 record = 0;
        QString name;
        QString addressBlock;
        QString zip;
        QVariant barcode;
        std::optional<Pending> unsettled; // a record whose barcode (its serial) is not given yet
    };

    BatchEnvelopeReport &report;
    EnvelopePage page;
    AddresseeSource *source = nullptr; // none for a reprint
    std::vector<JournalEntry> reprint;
    size_t reprintNext = 0;
    QString reprintOf;
    BadRecords policy;
    Listener listener;
    Tally tally;
    bool sourceUsed = false;
    bool checked = false;
    qint64 serialsNeeded = 0; // by the last check: good records without a tracking code of their own
    qint64 envelopesCounted = 0; // by the last check: the envelopes the run will make
    bool counted = false;        // a check since the last run began: its counts hold for the next
    QString hostName;
    MailSettings mailOverrides;
    MailSettings::FileOnly fileOnly; // as mail.conf read last gave it
    QString addressStyle;
    Duplicates duplicates = Duplicates::Print;
    AddresseeValidator::Options options;
    QHash<QString, qint64> firstRecordOf; // by addressee, in this pass
    bool tellVerdicts = true;             // this pass hands each verdict to the listener
    std::unique_ptr<MailBarcode> mail;
    std::optional<Envelope> pending; // the envelope after the one being printed
    int envelopesPerJob = 0;
    std::optional<int> waitSeconds;
    QString journalAsked;
    std::unique_ptr<BatchJournal> journal;
    bool jobFailed = false; // a job followed did not complete, which stops the run

    Private(BatchEnvelopeReport &r, AddresseeSource *s, BadRecords p, Listener l)
        : report(r), page(r), source(s), policy(p), listener(std::move(l))
    {
    }

    bool toPrinter() const { return report.destination().kind == engine::PrintDestination::Kind::Printer; }

    void reportProgress() const
    {
        if (listener.progress)
            listener.progress(tally, source ? source->fractionRead() : double(reprintNext) / double(std::max<size_t>(reprint.size(), 1)));
    }

    void rewindIfUsed()
    {
        if (sourceUsed && source)
            source->rewind();
        sourceUsed = true;
    }

    // Reads the whole source once, counting (and, with report, reporting) bad records and the
    // serials the good ones need, and rewinds it.
    void scan(bool reportBad)
    {
        rewindIfUsed();
        tally = Tally();
        serialsNeeded = 0;
        envelopesCounted = 0;
        startPass(reportBad);
        while (source) {
            report.throwIfCancelled();
            const std::optional<AddresseeRecord> record = source->next();
            if (!record)
                break;
            ++tally.read;
            const auto [verdict, duplicate] = judge(*record);
            if (verdict.good()) {
                const bool skipped = duplicate && duplicates == Duplicates::Skip;
                serialsNeeded += record->imb.isEmpty() && !skipped ? 1 : 0;
                envelopesCounted += skipped ? 0 : 1;
            } else {
                ++tally.bad;
                envelopesCounted += policy == BadRecords::Skip ? 0 : 1;
                if (reportBad && listener.badRecord)
                    listener.badRecord(*record, verdict.problems);
            }
        }
        if (source)
            source->rewind();
        sourceUsed = false;
        counted = true;
    }

    // Before each pass: the rules as the run prints, and no addressee seen yet.
    void startPass(bool tell)
    {
        tellVerdicts = tell;
        // A run has read mail.conf already; a check before it reads it here.
        const MailSettings settings = mail ? mail->settings() : MailBarcode::settingsFor(hostName, mailOverrides, fileOnly);
        options.style = AddressStyle::resolve(addressStyle, fileOnly.addressStyle);
        options.intelligentMail = settings.isIntelligentMail();
        firstRecordOf.clear();
    }

    // The record's verdict, a duplicate's warning included; true in the pair for a duplicate.
    std::pair<AddresseeValidator::Verdict, bool> judge(const AddresseeRecord &record)
    {
        AddresseeValidator::Verdict verdict = AddresseeValidator::check(record, options);
        const auto first = firstRecordOf.constFind(verdict.addressee);
        const bool duplicate = first != firstRecordOf.cend();
        if (duplicate) {
            verdict.warnings << QStringLiteral("the same addressee as record %1").arg(*first);
            verdict.rules << QStringLiteral("duplicate");
        } else {
            firstRecordOf.insert(verdict.addressee, record.number);
        }
        if (tellVerdicts && listener.checked)
            listener.checked(record, verdict);
        return {std::move(verdict), duplicate};
    }

    void reserveSerials()
    {
        if (!mail || !mail->isIntelligentMail())
            return;
        if (!checked)
            scan(false);
        const QString warning = mail->reserve(std::uint64_t(serialsNeeded));
        if (!warning.isEmpty() && listener.warning)
            listener.warning(warning);
    }

    QVariant barcodeValue(const Pending &p) const
    {
        if (!p.verdict.good())
            return p.verdict.barcodeValue; // none
        return mail->valueFor(p.verdict.barcodeValue.toString(), p.record.imb);
    }

    // The next envelope to make: the source's next printable record, or the reprint's next entry.
    std::optional<Envelope> nextEnvelope()
    {
        if (!source) {
            report.throwIfCancelled();
            if (reprintNext >= reprint.size())
                return std::nullopt;
            const JournalEntry &e = reprint[reprintNext++];
            ++tally.read;
            return Envelope{e.envelope, e.name, e.lines.join(QStringLiteral("\r\n")), e.zip,
                            e.barcode.isEmpty() ? QVariant() : QVariant(e.barcode), std::nullopt};
        }
        std::optional<Pending> p = nextPrintable();
        if (!p)
            return std::nullopt;
        return Envelope{p->record.number, p->record.name, p->verdict.addressBlock, p->verdict.zipText, QVariant(), std::move(p)};
    }

    // Gives the envelope its barcode, and with it its serial, once it is made or journaled:
    // the one looked ahead at keeps its serial unused until then.
    void settle(Envelope &e) const
    {
        if (e.unsettled)
            e.barcode = barcodeValue(*e.unsettled);
        e.unsettled.reset();
    }

    void journalEnvelope(Envelope &e, JournalEntry::State state)
    {
        settle(e);
        JournalEntry entry;
        entry.record = e.record;
        entry.name = e.name;
        entry.lines = e.addressBlock.split(QStringLiteral("\r\n"));
        entry.zip = e.zip;
        entry.barcode = e.barcode.toString();
        entry.state = state;
        journal->add(std::move(entry));
    }

    // How many envelopes the run makes, for the jobs' titles: the reprint's, or the source's
    // records less those the policies leave out, counted by the pass before the run (the
    // serials' or the check's) when there was one.
    qint64 envelopesInRun()
    {
        if (!source)
            return qint64(reprint.size());
        if (!counted)
            scan(false);
        return envelopesCounted;
    }

    engine::PrintJobPlan jobPlan(qint64 total)
    {
        engine::PrintJobPlan plan;
        plan.pagesPerJob = envelopesPerJob;
        plan.waitSeconds = waitSeconds;
        if (envelopesPerJob > 0) {
            const QString title = source ? EnvelopePage::reportTitle() : EnvelopePage::reportTitle() + QStringLiteral(" reprint");
            plan.title = [title, total](int first, int last) {
                return QStringLiteral("%1 %2\u2013%3 of %4").arg(title).arg(first).arg(last).arg(total);
            };
        }
        plan.submitted = [this](const engine::PrintJobPart &part) {
            tally.sent += part.lastPage - part.firstPage + 1;
            journal->update(part.firstPage, part.lastPage, part.queue, part.jobId, JournalEntry::State::Sent);
        };
        plan.ended = [this](const engine::PrintJobPart &part) { journalJobEnd(part); };
        return plan;
    }

    // A job that did not complete: the pages the printer says it made are printed, the rest failed.
    void journalJobEnd(const engine::PrintJobPart &part)
    {
        using State = engine::CupsJobEnd::State;
        if (part.end.state == State::Completed) {
            journal->update(part.firstPage, part.lastPage, part.queue, part.jobId, JournalEntry::State::Printed);
            return;
        }
        jobFailed = true; // the run stops here
        if (part.end.state == State::StillPending)
            return; // still sent: nobody knows yet
        const int size = part.lastPage - part.firstPage + 1;
        const int done = std::clamp(part.end.impressionsCompleted, 0, size);
        journal->update(part.firstPage, part.firstPage + done - 1, part.queue, part.jobId, JournalEntry::State::Printed);
        journal->update(part.firstPage + done, part.lastPage, part.queue, part.jobId, JournalEntry::State::Failed);
    }

    // After a job failed: the envelopes the run did not get to go into the journal as not-sent,
    // with what they were given, so that the journal holds the whole run.
    void journalTheRest()
    {
        if (pending)
            journalEnvelope(*pending, JournalEntry::State::NotSent);
        pending.reset();
        while (std::optional<Envelope> e = nextEnvelope())
            journalEnvelope(*e, JournalEntry::State::NotSent);
    }

    // The next record to print, skipping and reporting bad ones as the policy says.
    std::optional<Pending> nextPrintable()
    {
        for (;;) {
            report.throwIfCancelled();
            std::optional<AddresseeRecord> record = source->next();
            if (!record)
                return std::nullopt;
            ++tally.read;
            auto [verdict, duplicate] = judge(*record);
            if (!verdict.warnings.isEmpty() && listener.recordWarning)
                listener.recordWarning(*record, verdict.warnings);
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
            if (duplicate && duplicates == Duplicates::Skip) {
                ++tally.skipped;
                reportProgress();
                continue;
            }
            return Pending{std::move(*record), std::move(verdict)};
        }
    }
};

BatchEnvelopeReport::BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, AddresseeSource &source, BadRecords policy,
                                         Listener listener)
    : engine::Report(EnvelopePage::reportTitle()), d(std::make_unique<Private>(*this, &source, policy, std::move(listener)))
{
    d->page.setReturnAddress(ReturnAddress::ofHost(*api));
    d->hostName = folders::modGetParentEXEPath(*api).GetParentEXEName();
    // Also after the last record: an interrupt while the output is finished still keeps it from appearing.
    setCancelCheck(d->listener.interrupted);
}

BatchEnvelopeReport::BatchEnvelopeReport(std::shared_ptr<platform::WindowsApi> api, std::vector<JournalEntry> envelopes,
                                         const QString &reprintOf, Listener listener)
    : engine::Report(EnvelopePage::reportTitle()), d(std::make_unique<Private>(*this, nullptr, BadRecords::Print, std::move(listener)))
{
    d->page.setReturnAddress(ReturnAddress::ofHost(*api));
    d->reprint = std::move(envelopes);
    d->reprintOf = QDir::toNativeSeparators(reprintOf);
    setCancelCheck(d->listener.interrupted);
}

BatchEnvelopeReport::~BatchEnvelopeReport() = default;

const BatchEnvelopeReport::Tally &BatchEnvelopeReport::tally() const { return d->tally; }

qint64 BatchEnvelopeReport::checkInput()
{
    d->scan(true);
    d->checked = d->tally.bad == 0;
    return d->tally.bad;
}

void BatchEnvelopeReport::setMailSettings(const MailSettings &overrides) { d->mailOverrides = overrides; }
void BatchEnvelopeReport::setAddressStyle(const QString &style) { d->addressStyle = style; }
void BatchEnvelopeReport::setDuplicates(Duplicates duplicates) { d->duplicates = duplicates; }

void BatchEnvelopeReport::setJobs(int envelopesPerJob, std::optional<int> waitSeconds)
{
    if (envelopesPerJob < 0)
        throw engine::EngineError(QStringLiteral("A job holds at least one envelope, not %1.").arg(envelopesPerJob));
    d->envelopesPerJob = envelopesPerJob;
    d->waitSeconds = waitSeconds;
}

void BatchEnvelopeReport::setJournalPath(const QString &path) { d->journalAsked = path; }

QString BatchEnvelopeReport::journalPath() const { return d->journal ? d->journal->path() : QString(); }

void BatchEnvelopeReport::reportStart()
{
    d->mail.reset(); // gives back what an earlier run did not use
    d->journal.reset();
    d->jobFailed = false;
    bool intelligentMail = false;
    if (d->source) {
        d->mail = std::make_unique<MailBarcode>(MailBarcode::settingsFor(d->hostName, d->mailOverrides, d->fileOnly),
                                                d->fileOnly.serialSource);
        intelligentMail = d->mail->isIntelligentMail();
    } else {
        d->reprintNext = 0;
        intelligentMail = std::any_of(d->reprint.begin(), d->reprint.end(), [](const JournalEntry &e) { return e.hasIntelligentMail(); });
    }
    d->page.setUpPaper(intelligentMail);
    // Before anything is made: a journal that cannot be written stops the run here.
    d->journal = std::make_unique<BatchJournal>(d->journalAsked, d->reprintOf);
}

void BatchEnvelopeReport::reportEnd(bool completed)
{
    if (!completed && d->journal) {
        try {
            if (d->jobFailed)
                d->journalTheRest();
            if (destination().kind == engine::PrintDestination::Kind::PdfFile)
                d->journal->updateAll(JournalEntry::State::Made, JournalEntry::State::NotSent);
        } catch (const std::exception &e) {
            if (d->listener.warning)
                d->listener.warning(QStringLiteral("The journal is incomplete: %1").arg(QString::fromUtf8(e.what())));
        }
    }
    // Pages may be out already (one PNG per envelope), so only the serials not handed out go back.
    if (d->mail)
        d->mail->releaseUnused(false);
}

void BatchEnvelopeReport::dataInitialize()
{
    if (const QString problem = UnprintableCharacters::inReturnAddress(d->page.returnAddress()); !problem.isEmpty())
        throw engine::EngineError(QStringLiteral("The envelopes cannot be printed: %1.").arg(problem));
    d->page.addFields();
    if (d->policy == BadRecords::Stop && !d->checked && d->source) {
        if (const qint64 bad = checkInput())
            throw engine::EngineError(QStringLiteral("%1 bad record(s); nothing was printed.").arg(bad));
    }
    d->reserveSerials();
    if (d->toPrinter())
        setJobPlan(d->jobPlan(d->envelopesPerJob > 0 ? d->envelopesInRun() : 0));
    d->rewindIfUsed();
    // A check only holds for the run after it; it has told the verdicts already.
    const bool told = d->checked;
    d->checked = false;
    d->counted = false;
    d->tally = Tally();
    d->startPass(!told);
    // The engine prints one page per fetch and stops after the fetch that sets eof,
    // so the run looks one record ahead to know which one is the last.
    d->pending = d->nextEnvelope();
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
    Private::Envelope current = std::move(*d->pending);
    d->pending = d->nextEnvelope();

    // The row first: no envelope leaves without it.
    d->journalEnvelope(current, d->toPrinter() ? JournalEntry::State::NotSent : JournalEntry::State::Made);
    d->page.fill(current.addressBlock, current.barcode);
    ++d->tally.printed;
    d->reportProgress();
    eof = !d->pending.has_value();
}

} // namespace envelope
