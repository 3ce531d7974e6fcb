#include "cli/BatchCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptGuard.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "cli/PrintJobReport.h"
#include "cli/ProgressMeter.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/ColumnMapping.h"
#include "envelope_batch/CsvAddresseeSource.h"
#include "envelope_batch/DatabaseAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>

#include <exception>
#include <optional>

#include <unistd.h>

namespace cli {

const char BatchCommand::usageLine[] =
    "Usage: envelope batch (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--pdf FILE | --png-dir DIR | --printer QUEUE [--wait [SECONDS]]]\n"
    "                      [--on-bad-record print|skip|stop]\n"
    "                      [--barcode postnet|imb] [--mailer-id DIGITS] [--service-type DIGITS] [--barcode-id DIGITS] [--serial NUMBER]\n";

namespace {

const char helpText[] =
    "Prints one envelope per record of a CSV file (with a header row) or of a database query, in one run:\n"
    "the same envelope as the single one, into one PDF, one PNG per envelope, or one print job.\n\n"
    "  --csv FILE             the addressees: CSV (RFC 4180), UTF-8, a header row naming the columns\n"
    "  --database URL         or a database, opened read-only: sqlite:PATH or postgresql://user@host:port/db\n"
    "  --query SQL            the query giving the addressees (with --database)\n"
    "  --columns MAPPING      where each part of the address is, e.g. name=FullName,zip=Zip5;\n"
    "                         parts: name street1 street2 city state zip imb (default: a column of that name;\n"
    "                         street2 and imb, a whole Intelligent Mail tracking code, may be absent)\n"
    "  --pdf FILE             write one PDF (it appears only when complete)\n"
    "  --png-dir DIR          write envelope.png, envelope-2.png, ... into DIR\n"
    "  --printer QUEUE        one print job on this CUPS queue, sent once the whole job is made\n"
    "                         (default: the CUPS default destination, or Envelope.pdf here when there is none)\n"
    "  --wait [SECONDS]       follow the print job until it has printed, at most SECONDS (default 120)\n"
    "  --on-bad-record WHAT   a record with a ZIP that is not 5 or 9 digits, no name, more than four address\n"
    "                         lines, or characters no installed font can print: print (default; printed\n"
    "                         without a barcode, U+FFFD for such characters), skip, or stop (the whole\n"
    "                         input is checked first and nothing is made when any record is bad)\n";

const char helpTail[] =
    "\nBad records are listed on standard error, and so are warnings (a street or city with letters other\n"
    "than Latin ones, which the USPS machines cannot read). Progress shows there when it is a\n"
    "terminal; a summary line always ends the run. Exit status: 0 done, 1 failed or stopped,\n"
    "2 bad usage, 130 interrupted.\n";

using Policy = envelope::BatchEnvelopeReport::BadRecords;

struct Invocation {
    QString csv;
    QString database;
    QString query;
    envelope::ColumnMapping columns;
    Policy policy = Policy::Print;
    OutputOptions::Output output;
    envelope::MailSettings mail;
};

using UsageError = OptionParser::UsageError;

struct Options {
    QCommandLineOption csv = OptionParser::withValue("csv", "FILE");
    QCommandLineOption database = OptionParser::withValue("database", "URL");
    QCommandLineOption query = OptionParser::withValue("query", "SQL");
    QCommandLineOption columns = OptionParser::withValue("columns", "MAPPING");
    QCommandLineOption onBad = OptionParser::withValue("on-bad-record", "WHAT");
    OutputOptions output{OutputOptions::Pictures::Folder};
    MailOptions mail;

    QList<QCommandLineOption> all() const
    {
        return QList<QCommandLineOption>{csv, database, query, columns, onBad} + output.all() + mail.all();
    }
};

void readSource(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.csv) == parser.isSet(o.database))
        throw UsageError{QStringLiteral("give either --csv FILE or --database URL with --query SQL")};
    if (parser.isSet(o.csv)) {
        if (parser.isSet(o.query))
            throw UsageError{QStringLiteral("--query goes with --database, not with --csv")};
        inv.csv = parser.value(o.csv);
    } else {
        if (!parser.isSet(o.query))
            throw UsageError{QStringLiteral("--database needs --query SQL")};
        inv.database = parser.value(o.database);
        inv.query = parser.value(o.query);
    }
}

// Where each part of the address is, and what a bad record does.
void readRecordRules(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.columns)) {
        try {
            inv.columns = envelope::ColumnMapping::parse(parser.value(o.columns));
        } catch (const engine::EngineError &e) {
            throw UsageError{e.message()};
        }
    }
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
    parser.requireValue(o.csv, "a file name");
    parser.requireValue(o.database, "a URL");
    parser.requireValue(o.query, "a query");
    readSource(parser, o, inv);
    readRecordRules(parser, o, inv);
    inv.output = o.output.read(parser);
    inv.mail = o.mail.read(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope batch"), BatchCommand::usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(MailOptions::helpText) + QLatin1String(helpTail));

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

std::unique_ptr<envelope::AddresseeSource> openSource(const Invocation &inv)
{
    if (!inv.csv.isEmpty())
        return std::make_unique<envelope::CsvAddresseeSource>(inv.csv, inv.columns);
    return std::make_unique<envelope::DatabaseAddresseeSource>(inv.database, inv.query, inv.columns);
}

// Bad records as notes above the progress bar; the bar; Ctrl-C.
envelope::BatchEnvelopeReport::Listener listenerFor(ProgressMeter &meter)
{
    envelope::BatchEnvelopeReport::Listener listener;
    const auto where = [](const envelope::AddresseeRecord &r) {
        return r.line > 0 ? QStringLiteral("record %1 (line %2)").arg(r.number).arg(r.line)
                          : QStringLiteral("record %1").arg(r.number);
    };
    listener.badRecord = [&meter, where](const envelope::AddresseeRecord &r, const QStringList &problems) {
        meter.note(CommandIo::message(QStringLiteral("%1: %2").arg(where(r), problems.join(QStringLiteral("; ")))));
    };
    listener.recordWarning = [&meter, where](const envelope::AddresseeRecord &r, const QStringList &warnings) {
        meter.note(CommandIo::message(QStringLiteral("%1: warning: %2").arg(where(r), warnings.join(QStringLiteral("; ")))));
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
            const std::unique_ptr<envelope::AddresseeSource> source = openSource(inv);
            if (!inv.output.pngDir.isEmpty() && !QDir().mkpath(inv.output.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.output.pngDir));
            return runBatch(inv, *source, meter);
        } catch (const std::exception &e) {
            return reportFailure(inv, meter, e);
        }
    }

    int runBatch(const Invocation &inv, envelope::AddresseeSource &source, ProgressMeter &meter) const
    {
        envelope::BatchEnvelopeReport report(api, source, inv.policy, listenerFor(meter));
        if (inv.policy == Policy::Stop) {
            if (const qint64 bad = report.checkInput()) {
                meter.clear();
                io.say(QStringLiteral("batch stopped: %1 of %2 records are bad; nothing was printed or saved").arg(bad).arg(report.tally().read));
                return ExitStatus::failed;
            }
        }
        report.setMailSettings(inv.mail);
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
