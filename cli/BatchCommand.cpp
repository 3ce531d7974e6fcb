#include "cli/BatchCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "cli/runs/BatchRun.h"
#include "cli/runs/JobOptions.h"
#include "cli/runs/SourceOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/ColumnMapping.h"
#include "envelope_batch/SortedAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>

#include <exception>
#include <optional>

namespace cli {

const char BatchCommand::usageLine[] =
    "Usage: envelope batch (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--pdf FILE | --png-dir DIR | --printer QUEUE [--job-size N] [--wait [SECONDS]]]\n"
    "                      [--journal FILE]\n"
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
    "  --wait [SECONDS]       follow each print job until it has printed, at most SECONDS (default 120)\n"
    "  --on-bad-record WHAT   a record with a ZIP that is not 5 or 9 digits, no name, no city or state, more\n"
    "                         than four address lines, a line too long for its box at 8 pt, or characters no\n"
    "                         installed font can print: print (default; printed without a barcode, at 8 pt cut\n"
    "                         at the box's edge, U+FFFD for such characters), skip, or stop (the whole input\n"
    "                         is checked first and nothing is made when any record is bad)\n"
    "  --on-duplicate WHAT    the same addressee again (name, delivery line and ZIP, compared in Pub 28\n"
    "                         style): print (default) or skip; either way listed with the first's record\n"
    "  --sort zip             make the envelopes in ZIP Code order, for presort (records keep their numbers)\n";

const char helpTail[] =
    "\nBad records, and the postal rules' warnings (see envelope check --help; among them a street or\n"
    "city with letters other than Latin ones, which the USPS machines cannot read), are listed on standard\n"
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
    JobOptions::Jobs jobs;
    envelope::MailSettings mail;
};

using UsageError = OptionParser::UsageError;

struct Options {
    SourceOptions source;
    QCommandLineOption onBad = OptionParser::withValue("on-bad-record", "WHAT");
    QCommandLineOption onDuplicate = OptionParser::withValue("on-duplicate", "WHAT");
    QCommandLineOption sort = OptionParser::withValue("sort", "zip");
    OutputOptions output{OutputOptions::Pictures::Folder};
    JobOptions jobs;
    MailOptions mail;

    QList<QCommandLineOption> all() const
    {
        return source.all() + QList<QCommandLineOption>{onBad, onDuplicate, sort} + output.all() + jobs.all() + mail.all();
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
    inv.jobs = o.jobs.read(parser, inv.output.destination.kind == engine::PrintDestination::Kind::Printer);
    inv.mail = o.mail.read(parser);
    inv.addressStyle = o.mail.addressStyle(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope batch"), BatchCommand::usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(SourceOptions::helpText) + QLatin1String(outputHelp) +
                             QLatin1String(JobOptions::helpText) + QLatin1String(MailOptions::helpText) + QLatin1String(helpTail));

} // namespace

struct BatchCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    int execute(const Invocation &inv) const
    {
        BatchRun run(io, QStringLiteral("batch"), inv.output, inv.jobs);
        try {
            const std::unique_ptr<envelope::AddresseeSource> source = inv.source.open();
            if (!inv.output.pngDir.isEmpty() && !QDir().mkpath(inv.output.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.output.pngDir));
            if (inv.sortByZip) {
                envelope::SortedAddresseeSource sorted(*source);
                return runBatch(inv, sorted, run);
            }
            return runBatch(inv, *source, run);
        } catch (const std::exception &e) {
            return run.fail(e);
        }
    }

    int runBatch(const Invocation &inv, envelope::AddresseeSource &source, BatchRun &run) const
    {
        envelope::BatchEnvelopeReport report(api, source, inv.policy, run.listener());
        report.setMailSettings(inv.mail);
        report.setAddressStyle(inv.addressStyle);
        report.setDuplicates(inv.duplicates);
        if (inv.policy == Policy::Stop) {
            if (const qint64 bad = report.checkInput())
                return run.stop(QStringLiteral("%1 of %2 records are bad; nothing was printed or saved").arg(bad).arg(report.tally().read));
        }
        return run.run(report);
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
