#include "cli/BatchCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptGuard.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "cli/PrintJobReport.h"
#include "cli/ProgressMeter.h"
#include "cli/SourceOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/ColumnMapping.h"
#include "envelope_batch/SortedAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>

#include <exception>
#include <optional>

#include <unistd.h>

namespace cli {

const char BatchCommand::usageLine[] =
    "Usage: envelope batch (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--pdf FILE | --png-dir DIR | --printer QUEUE [--wait [SECONDS]]]\n"
    "                      [--on-bad-record print|skip|stop] [--on-duplicate print|skip] [--sort zip]\n"
    "                      [--barcode postnet|imb] [--mailer-id DIGITS] [--service-type DIGITS] [--barcode-id DIGITS] [--serial NUMBER]\n"
    "                      [--address-style as-given|pub28]\n";

namespace {

const char helpText[] =
    "Prints one envelope per record of a CSV file (with a header row) or of a database query, in one run:\n"
    "the same envelope as the single one, into one PDF, one PNG per envelope, or one print job.\n\n";

const char outputHelp[] =
    "  --pdf FILE             write one PDF (it appears only when complete)\n"
    "  --png-dir DIR          write envelope.png, envelope-2.png, ... into DIR\n"
    "  --printer QUEUE        one print job on this CUPS queue, sent once the whole job is made\n"
    "                         (default: the CUPS default destination, or Envelope.pdf here when there is none)\n"
    "  --wait [SECONDS]       follow the print job until it has printed, at most SECONDS (default 120)\n"
    "  --on-bad-record WHAT   a record with a ZIP that is not 5 or 9 digits, no name, no city or state, more\n"
    "                         than four address lines, or a line too long for its box at 8 pt: print (default;\n"
    "                         printed without a barcode, at 8 pt cut at the box's edge), skip, or stop (the\n"
    "                         whole input is checked first and nothing is made when any record is bad)\n"
    "  --on-duplicate WHAT    the same addressee again (name, delivery line and ZIP, compared in Pub 28\n"
    "                         style): print (default) or skip; either way listed with the first's record\n"
    "  --sort zip             make the envelopes in ZIP Code order, for presort (records keep their numbers)\n";

const char helpTail[] =
    "\nBad records, and the postal rules' warnings (see envelope check --help), are listed on standard\n"
    "error. Progress shows there when it is a terminal; a summary line always ends the run.\n"
    "Exit status: 0 done, 1 failed or stopped, 2 bad usage, 130 interrupted.\n";

using Policy = envelope::BatchEnvelopeReport::BadRecords;

using Duplicates = envelope::BatchEnvelopeReport::Duplicates;

struct Invocation {
    SourceOptions::Source source;
    Policy policy = Policy::Print;
    Duplicates duplicates = Duplicates::Print;
    bool sortByZip = false;
    QString addressStyle;
    OutputOptions::Output output;
    envelope::MailSettings mail;
};

using UsageError = OptionParser::UsageError;

struct Options {
    SourceOptions source;
    QCommandLineOption onBad = OptionParser::withValue("on-bad-record", "WHAT");
    QCommandLineOption onDuplicate = OptionParser::withValue("on-duplicate", "WHAT");
    QCommandLineOption sort = OptionParser::withValue("sort", "zip");
    OutputOptions output{OutputOptions::Pictures::Folder};
    MailOptions mail;

    QList<QCommandLineOption> all() const
    {
        return source.all() + QList<QCommandLineOption>{onBad, onDuplicate, sort} + output.all() + mail.all();
    }
};

// What a duplicate does, and the order of the envelopes.
void readDuplicatesAndOrder(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.onDuplicate)) {
        const QString v = parser.value(o.onDuplicate);
        if (v != QLatin1String("print") && v != QLatin1String("skip"))
            throw UsageError{QStringLiteral("--on-duplicate \"%1\": give print or skip").arg(v)};
        inv.duplicates = v == QLatin1String("skip") ? Duplicates::Skip : Duplicates::Print;
    }
    if (parser.isSet(o.sort)) {
        if (parser.value(o.sort) != QLatin1String("zip"))
            throw UsageError{QStringLiteral("--sort \"%1\": the envelopes sort by zip").arg(parser.value(o.sort))};
        inv.sortByZip = true;
    }
}

// What a bad record does.
void readRecordRules(const OptionParser &parser, const Options &o, Invocation &inv)
{
    readDuplicatesAndOrder(parser, o, inv);
    if (!parser.isSet(o.onBad))
        return;
    const QString v = parser.value(o.onBad);
    if (v == QLatin1String("print"))
        inv.policy = Policy::Print;
    else if (v == QLatin1String("skip"))
        inv.policy = Policy::Skip;
    else if (v == QLatin1String("stop"))
        inv.policy = Policy::Stop;
    else
        throw UsageError{QStringLiteral("--on-bad-record \"%1\": give print, skip or stop").arg(v)};
}

// arguments as run() takes them. False when help is asked for; throws UsageError.
bool parse(const QStringList &arguments, Invocation &inv)
{
    const Options o;
    OptionParser parser(o.all());
    o.output.prepare(parser);
    QStringList args = arguments;
    args.removeAt(1); // "batch"
    if (!parser.parse(args))
        return false;
    inv.source = o.source.read(parser);
    readRecordRules(parser, o, inv);
    inv.output = o.output.read(parser);
    inv.mail = o.mail.read(parser);
    inv.addressStyle = o.mail.addressStyle(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope batch"), BatchCommand::usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(SourceOptions::helpText) + QLatin1String(outputHelp) +
                             QLatin1String(MailOptions::helpText) + QLatin1String(helpTail));

QString describeOutcome(const engine::PrintOutcome &outcome, const QString &pngDir)
{
    switch (outcome.kind) {
    case engine::PrintOutcome::Kind::Printed:
        return QStringLiteral("sent to %1 as job %2").arg(outcome.queue).arg(outcome.jobId);
    case engine::PrintOutcome::Kind::SavedPdf:
        return (outcome.fellBackToFile ? QStringLiteral("no printer, saved to %1") : QStringLiteral("saved to %1"))
            .arg(QDir::toNativeSeparators(outcome.files.value(0)));
    case engine::PrintOutcome::Kind::SavedPng:
        return QStringLiteral("%1 PNG files in %2").arg(outcome.files.size()).arg(QDir::toNativeSeparators(pngDir));
    case engine::PrintOutcome::Kind::Cancelled:
        return QStringLiteral("cancelled");
    case engine::PrintOutcome::Kind::NotPrinted:
        break;
    }
    return QStringLiteral("nothing printed");
}

// Bad records as notes above the progress bar; the bar; Ctrl-C.
envelope::BatchEnvelopeReport::Listener listenerFor(ProgressMeter &meter)
{
    envelope::BatchEnvelopeReport::Listener listener;
    listener.badRecord = [&meter](const envelope::AddresseeRecord &r, const QStringList &problems) {
        meter.note(CommandIo::message(QStringLiteral("%1: %2").arg(SourceOptions::place(r), problems.join(QStringLiteral("; ")))));
    };
    listener.checked = [&meter](const envelope::AddresseeRecord &r, const envelope::AddresseeValidator::Verdict &v) {
        if (!v.warnings.isEmpty())
            meter.note(CommandIo::message(QStringLiteral("%1: warning: %2").arg(SourceOptions::place(r), v.warnings.join(QStringLiteral("; ")))));
    };
    listener.progress = [&meter](const envelope::BatchEnvelopeReport::Tally &t, double fraction) {
        meter.update(t.printed + t.skipped, fraction);
    };
    listener.interrupted = &InterruptGuard::raised;
    listener.warning = [&meter](const QString &text) { meter.note(CommandIo::message(text)); };
    return listener;
}

} // namespace

struct BatchCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    int execute(const Invocation &inv) const
    {
        const InterruptGuard interrupts;
        ProgressMeter meter(io.err, ::isatty(::fileno(io.err)) == 1);
        try {
            const std::unique_ptr<envelope::AddresseeSource> source = inv.source.open();
            if (!inv.output.pngDir.isEmpty() && !QDir().mkpath(inv.output.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.output.pngDir));
            if (inv.sortByZip) {
                envelope::SortedAddresseeSource sorted(*source);
                return runBatch(inv, sorted, meter);
            }
            return runBatch(inv, *source, meter);
        } catch (const std::exception &e) {
            return reportFailure(inv, meter, e);
        }
    }

    int runBatch(const Invocation &inv, envelope::AddresseeSource &source, ProgressMeter &meter) const
    {
        envelope::BatchEnvelopeReport report(api, source, inv.policy, listenerFor(meter));
        report.setMailSettings(inv.mail);
        report.setAddressStyle(inv.addressStyle);
        report.setDuplicates(inv.duplicates);
        if (inv.policy == Policy::Stop) {
            if (const qint64 bad = report.checkInput()) {
                meter.clear();
                io.say(QStringLiteral("batch stopped: %1 of %2 records are bad; nothing was printed or saved").arg(bad).arg(report.tally().read));
                return ExitStatus::failed;
            }
        }
        report.setDestination(inv.output.destination);
        report.PrintReport(false);
        return summarise(inv, report.tally(), report.lastOutcome(), meter);
    }

    // The one line that ends every finished run, then what became of the print job.
    int summarise(const Invocation &inv, const envelope::BatchEnvelopeReport::Tally &tally, const engine::PrintOutcome &outcome,
                  ProgressMeter &meter) const
    {
        meter.clear();
        io.say(QStringLiteral("batch done: %1 printed, %2 skipped, %3 bad, %4 pages in %5 s; %6")
                   .arg(tally.printed)
                   .arg(tally.skipped)
                   .arg(tally.bad)
                   .arg(outcome.pages)
                   .arg(meter.elapsedSeconds(), 0, 'f', 1)
                   .arg(describeOutcome(outcome, inv.output.pngDir)));
        return PrintJobReport::report(outcome, inv.output.waitSeconds, io);
    }

    int reportFailure(const Invocation &inv, ProgressMeter &meter, const std::exception &e) const
    {
        meter.clear();
        const bool wholeOutput = inv.output.destination.kind != engine::PrintDestination::Kind::PngFile;
        const QString nothingMade = wholeOutput ? QStringLiteral("nothing was printed or saved")
                                                : QStringLiteral("the PNG files made so far stay in %1").arg(inv.output.pngDir);
        if (InterruptGuard::raised()) {
            io.say(QStringLiteral("batch interrupted after %1 s; %2").arg(meter.elapsedSeconds(), 0, 'f', 1).arg(nothingMade));
            return ExitStatus::interrupted;
        }
        io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
        io.say(QStringLiteral("batch failed after %1 s; %2").arg(meter.elapsedSeconds(), 0, 'f', 1).arg(nothingMade));
        return ExitStatus::failed;
    }
};

BatchCommand::BatchCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io) : d(std::make_unique<Private>())
{
    d->api = std::move(api);
    d->io = io;
}

BatchCommand::~BatchCommand() = default;

int BatchCommand::run(const QStringList &arguments)
{
    Invocation inv;
    if (const auto status = usage.parseOrReport([&] { return parse(arguments, inv); }, d->io))
        return *status;
    return d->execute(inv);
}

int BatchCommand::checkArguments(const QStringList &arguments) const
{
    Invocation inv;
    return usage.parseOrReport([&] { return parse(arguments, inv); }, d->io).value_or(ExitStatus::ok);
}

} // namespace cli
