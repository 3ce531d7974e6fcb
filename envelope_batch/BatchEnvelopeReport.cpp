#include "envelope_batch/BatchEnvelopeReport.h"

#include "envelope_batch/AddresseeSource.h"
#include "envelope_batch/AddresseeValidator.h"
#include "envelope_report/EnvelopePage.h"
#include "envelope_report/MailBarcode.h"
#include "folders_settings/modGetParentEXEPath.h"
#include "reporting_engine/base/EngineError.h"

#include <QHash>

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
    qint64 serialsNeeded = 0; // by the last check: good records without a tracking code of their own
    QString hostName;
    MailSettings mailOverrides;
    QString addressStyle;
    Duplicates duplicates = Duplicates::Print;
    AddresseeValidator::Options options;
    QHash<QString, qint64> firstRecordOf; // by addressee, in this pass
    bool tellVerdicts = true;             // this pass hands each verdict to the listener
    std::unique_ptr<MailBarcode> mail;
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

    // Reads the whole source once, counting (and, with report, reporting) bad records and the
    // serials the good ones need, and rewinds it.
    void scan(bool reportBad)
    {
        rewindIfUsed();
        tally = Tally();
        serialsNeeded = 0;
        startPass(reportBad);
        while (true) {
            report.throwIfCancelled();
            const std::optional<AddresseeRecord> record = source.next();
            if (!record)
                break;
            ++tally.read;
            const auto [verdict, duplicate] = judge(*record);
            if (verdict.good()) {
                const bool skipped = duplicate && duplicates == Duplicates::Skip;
                serialsNeeded += record->imb.isEmpty() && !skipped ? 1 : 0;
            } else {
                ++tally.bad;
                if (reportBad && listener.badRecord)
                    listener.badRecord(*record, verdict.problems);
            }
        }
        source.rewind();
        sourceUsed = false;
    }

    // Before each pass: the rules as the run prints, and no addressee seen yet.
    void startPass(bool tell)
    {
        tellVerdicts = tell;
        options.style = AddressStyle::forHost(hostName, addressStyle);
        options.intelligentMail = (mail ? mail->settings() : MailBarcode::settingsFor(hostName, mailOverrides)).isIntelligentMail();
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
        if (!mail->isIntelligentMail())
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

    // The next record to print, skipping and reporting bad ones as the policy says.
    std::optional<Pending> nextPrintable()
    {
        for (;;) {
            report.throwIfCancelled();
            std::optional<AddresseeRecord> record = source.next();
            if (!record)
                return std::nullopt;
            ++tally.read;
            auto [verdict, duplicate] = judge(*record);
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
    : engine::Report(EnvelopePage::reportTitle()), d(std::make_unique<Private>(*this, source, policy, std::move(listener)))
{
    d->page.setReturnAddress(ReturnAddress::ofHost(*api));
    d->hostName = folders::modGetParentEXEPath(*api).GetParentEXEName();
    // Also after the last record: an interrupt while the output is finished still keeps it from appearing.
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

void BatchEnvelopeReport::reportStart()
{
    d->mail.reset(); // gives back what an earlier run did not use
    d->mail = std::make_unique<MailBarcode>(MailBarcode::settingsFor(d->hostName, d->mailOverrides));
    d->page.setUpPaper(d->mail->isIntelligentMail());
}

void BatchEnvelopeReport::reportEnd(bool /*completed*/)
{
    // Pages may be out already (one PNG per envelope), so only the serials not handed out go back.
    if (d->mail)
        d->mail->releaseUnused(false);
}

void BatchEnvelopeReport::dataInitialize()
{
    d->page.addFields();
    if (d->policy == BadRecords::Stop && !d->checked) {
        if (const qint64 bad = checkInput())
            throw engine::EngineError(QStringLiteral("%1 bad record(s); nothing was printed.").arg(bad));
    }
    d->reserveSerials();
    d->rewindIfUsed();
    // A check only holds for the run after it; it has told the verdicts already.
    const bool told = d->checked;
    d->checked = false;
    d->tally = Tally();
    d->startPass(!told);
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

    d->page.fill(current.verdict.addressBlock, d->barcodeValue(current));
    ++d->tally.printed;
    d->reportProgress();
    eof = !d->pending.has_value();
}

} // namespace envelope
