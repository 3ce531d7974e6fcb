#include "cli/BatchCommand.h"

#include "cli/runs/BatchRun.h"
#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/runs/JobOptions.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/ColumnMapping.h"
#include "envelope_batch/CsvAddresseeSource.h"
#include "envelope_batch/DatabaseAddresseeSource.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>

#include <exception>
#include <optional>

namespace cli {

const char BatchCommand::usageLine[] =
    "Usage: envelope batch (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--pdf FILE | --png-dir DIR | --printer QUEUE [--job-size N] [--wait [SECONDS]]]\n"
    "                      [--journal FILE]\n"
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
    "  --wait [SECONDS]       follow each print job until it has printed, at most SECONDS (default 120)\n"
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
    JobOptions::Jobs jobs;
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
    JobOptions jobs;
    MailOptions mail;

    QList<QCommandLineOption> all() const
    {
        return QList<QCommandLineOption>{csv, database, query, columns, onBad} + output.all() + jobs.all() + mail.all();
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
    inv.jobs = o.jobs.read(parser, inv.output.destination.kind == engine::PrintDestination::Kind::Printer);
    inv.mail = o.mail.read(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope batch"), BatchCommand::usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(JobOptions::helpText) + QLatin1String(MailOptions::helpText) + QLatin1String(helpTail));

std::unique_ptr<envelope::AddresseeSource> openSource(const Invocation &inv)
{
    if (!inv.csv.isEmpty())
        return std::make_unique<envelope::CsvAddresseeSource>(inv.csv, inv.columns);
    return std::make_unique<envelope::DatabaseAddresseeSource>(inv.database, inv.query, inv.columns);
}

} // namespace

struct BatchCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    int execute(const Invocation &inv) const
    {
        BatchRun run(io, QStringLiteral("batch"), inv.output, inv.jobs);
        try {
            const std::unique_ptr<envelope::AddresseeSource> source = openSource(inv);
            if (!inv.output.pngDir.isEmpty() && !QDir().mkpath(inv.output.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.output.pngDir));
            return runBatch(inv, *source, run);
        } catch (const std::exception &e) {
            return run.fail(e);
        }
    }

    int runBatch(const Invocation &inv, envelope::AddresseeSource &source, BatchRun &run) const
    {
        envelope::BatchEnvelopeReport report(api, source, inv.policy, run.listener());
        if (inv.policy == Policy::Stop) {
            if (const qint64 bad = report.checkInput())
                return run.stop(QStringLiteral("%1 of %2 records are bad; nothing was printed or saved").arg(bad).arg(report.tally().read));
        }
        report.setMailSettings(inv.mail);
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
