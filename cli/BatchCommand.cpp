#include "cli/BatchCommand.h"

#include "cli/ExitStatus.h"
#include "cli/InterruptGuard.h"
#include "cli/OptionParser.h"
#include "cli/PrintJobReport.h"
#include "cli/ProgressMeter.h"
#include "envelope_report/BatchEnvelopeReport.h"
#include "envelope_report/ColumnMapping.h"
#include "envelope_report/CsvAddresseeSource.h"
#include "envelope_report/DatabaseAddresseeSource.h"
#include "reporting_engine/EngineError.h"

#include <QDir>

#include <exception>
#include <optional>

#include <unistd.h>

namespace cli {

const char BatchCommand::usageLine[] =
    "Usage: envelope batch (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--pdf FILE | --png-dir DIR | --printer QUEUE [--wait [SECONDS]]]\n"
    "                      [--on-bad-record print|skip|stop]\n";

const char BatchCommand::helpText[] =
    "Prints one envelope per record of a CSV file (with a header row) or of a database query, in one run:\n"
    "the same envelope as the single one, into one PDF, one PNG per envelope, or one print job.\n\n"
    "  --csv FILE             the addressees: CSV (RFC 4180), UTF-8, a header row naming the columns\n"
    "  --database URL         or a database, opened read-only: sqlite:PATH or postgresql://user@host:port/db\n"
    "  --query SQL            the query giving the addressees (with --database)\n"
    "  --columns MAPPING      where each part of the address is, e.g. name=FullName,zip=Zip5;\n"
    "                         parts: name street1 street2 city state zip (default: a column of that name;\n"
    "                         street2 may be absent)\n"
    "  --pdf FILE             write one PDF (it appears only when complete)\n"
    "  --png-dir DIR          write envelope.png, envelope-2.png, ... into DIR\n"
    "  --printer QUEUE        one print job on this CUPS queue, sent once the whole job is made\n"
    "                         (default: the CUPS default destination, or Envelope.pdf here when there is none)\n"
    "  --wait [SECONDS]       follow the print job until it has printed, at most SECONDS (default 120)\n"
    "  --on-bad-record WHAT   a record with a ZIP that is not 5 or 9 digits, no name, or more than four address\n"
    "                         lines: print (default; printed without a barcode), skip, or stop (the whole\n"
    "                         input is checked first and nothing is made when any record is bad)\n\n"
    "Bad records are listed on standard error. Progress shows there when it is a terminal; a summary\n"
    "line always ends the run. Exit status: 0 done, 1 failed or stopped, 2 bad usage, 130 interrupted.\n";

namespace {

using Policy = envelope::BatchEnvelopeReport::BadRecords;

struct Invocation {
    QString csv;
    QString database;
    QString query;
    envelope::ColumnMapping columns;
    Policy policy = Policy::Print;
    engine::PrintDestination destination = engine::PrintDestination::defaultPrinter();
    QString pngDir;
    std::optional<int> waitSeconds;
};

using UsageError = OptionParser::UsageError;

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

} // namespace

struct BatchCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    void print(std::FILE *f, const QString &text) const { std::fputs(qUtf8Printable(text), f); }

    std::optional<Invocation> parse(const QStringList &arguments) const
    {
        const QCommandLineOption csv(QStringLiteral("csv"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("URL"));
        const QCommandLineOption query(QStringLiteral("query"), QString(), QStringLiteral("SQL"));
        const QCommandLineOption columns(QStringLiteral("columns"), QString(), QStringLiteral("MAPPING"));
        const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption pngDir(QStringLiteral("png-dir"), QString(), QStringLiteral("DIR"));
        const QCommandLineOption printer(QStringLiteral("printer"), QString(), QStringLiteral("QUEUE"));
        const QCommandLineOption onBad(QStringLiteral("on-bad-record"), QString(), QStringLiteral("WHAT"));
        const QCommandLineOption wait(QStringLiteral("wait"), QString(), QStringLiteral("SECONDS"));
        OptionParser parser({csv, database, query, columns, pdf, pngDir, printer, onBad, wait});
        parser.allowBareOption(QStringLiteral("wait"), QString::number(PrintJobReport::defaultWaitSeconds));

        QStringList args = arguments;
        args.removeAt(1); // "batch"
        if (!parser.parse(args))
            return std::nullopt;
        parser.requireValue(csv, "a file name");
        parser.requireValue(database, "a URL");
        parser.requireValue(query, "a query");
        parser.requireValue(pdf, "a file name");
        parser.requireValue(pngDir, "a folder");
        parser.requireValue(printer, "a queue name");

        Invocation inv;
        if (parser.isSet(csv) == parser.isSet(database))
            throw UsageError{QStringLiteral("give either --csv FILE or --database URL with --query SQL")};
        if (parser.isSet(csv)) {
            if (parser.isSet(query))
                throw UsageError{QStringLiteral("--query goes with --database, not with --csv")};
            inv.csv = parser.value(csv);
        } else {
            if (!parser.isSet(query))
                throw UsageError{QStringLiteral("--database needs --query SQL")};
            inv.database = parser.value(database);
            inv.query = parser.value(query);
        }
        if (parser.isSet(columns)) {
            try {
                inv.columns = envelope::ColumnMapping::parse(parser.value(columns));
            } catch (const engine::EngineError &e) {
                throw UsageError{e.message()};
            }
        }
        if (parser.isSet(onBad)) {
            const QString v = parser.value(onBad);
            if (v == QLatin1String("print"))
                inv.policy = Policy::Print;
            else if (v == QLatin1String("skip"))
                inv.policy = Policy::Skip;
            else if (v == QLatin1String("stop"))
                inv.policy = Policy::Stop;
            else
                throw UsageError{QStringLiteral("--on-bad-record \"%1\": give print, skip or stop").arg(v)};
        }
        if (int(parser.isSet(pdf)) + int(parser.isSet(pngDir)) + int(parser.isSet(printer)) > 1)
            throw UsageError{QStringLiteral("give only one of --pdf, --png-dir and --printer")};
        if (parser.isSet(pdf)) {
            inv.destination = engine::PrintDestination::pdfFile(parser.value(pdf));
        } else if (parser.isSet(pngDir)) {
            inv.pngDir = parser.value(pngDir);
            inv.destination = engine::PrintDestination::pngFile(QDir(inv.pngDir).filePath(QStringLiteral("envelope.png")));
        } else if (parser.isSet(printer)) {
            inv.destination = engine::PrintDestination::printer(parser.value(printer));
        }
        if (parser.isSet(wait)) {
            if (parser.isSet(pdf) || parser.isSet(pngDir))
                throw UsageError{QStringLiteral("--wait goes with printing, not with --pdf or --png-dir")};
            inv.waitSeconds = static_cast<int>(parser.number(wait, 0, 86400, "a number of seconds"));
        }
        return inv;
    }

    // exitOk with the invocation, or with none after showing the help;
    // exitUsage after the message and the usage line.
    int parseOrReport(const QStringList &arguments, std::optional<Invocation> &inv) const
    {
        try {
            inv = parse(arguments);
            if (!inv) {
                std::fputs(usageLine, io.out);
                std::fputs(helpText, io.out);
            }
            return ExitStatus::ok;
        } catch (const UsageError &e) {
            print(io.err, QStringLiteral("envelope batch: %1\n").arg(e.message));
            std::fputs(usageLine, io.err);
            return ExitStatus::usage;
        }
    }

    int execute(const Invocation &inv) const
    {
        const InterruptGuard interrupts;
        ProgressMeter meter(io.err, ::isatty(::fileno(io.err)) == 1);
        const auto say = [&](const QString &line) { meter.note(QStringLiteral("envelope: ") + line); };
        envelope::BatchEnvelopeReport::Tally tally;
        const bool wholeOutput = inv.destination.kind != engine::PrintDestination::Kind::PngFile;
        const QString nothingMade = wholeOutput ? QStringLiteral("nothing was printed or saved")
                                                : QStringLiteral("the PNG files made so far stay in %1").arg(inv.pngDir);
        try {
            std::unique_ptr<envelope::AddresseeSource> source;
            if (!inv.csv.isEmpty())
                source = std::make_unique<envelope::CsvAddresseeSource>(inv.csv, inv.columns);
            else
                source = std::make_unique<envelope::DatabaseAddresseeSource>(inv.database, inv.query, inv.columns);

            if (!inv.pngDir.isEmpty() && !QDir().mkpath(inv.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.pngDir));

            envelope::BatchEnvelopeReport::Listener listener;
            listener.badRecord = [&](const envelope::AddresseeRecord &r, const QStringList &problems) {
                const QString where = r.line > 0 ? QStringLiteral("record %1 (line %2)").arg(r.number).arg(r.line)
                                                 : QStringLiteral("record %1").arg(r.number);
                say(QStringLiteral("%1: %2").arg(where, problems.join(QStringLiteral("; "))));
            };
            listener.progress = [&](const envelope::BatchEnvelopeReport::Tally &t, double fraction) {
                meter.update(t.printed + t.skipped, fraction);
            };
            listener.interrupted = &InterruptGuard::raised;

            envelope::BatchEnvelopeReport report(api, *source, inv.policy, listener);
            if (inv.policy == Policy::Stop) {
                if (const qint64 bad = report.checkInput()) {
                    meter.clear();
                    print(io.err, QStringLiteral("envelope: batch stopped: %1 of %2 records are bad; nothing was printed or saved\n")
                                      .arg(bad)
                                      .arg(report.tally().read));
                    return ExitStatus::failed;
                }
            }
            report.setDestination(inv.destination);
            report.PrintReport(false);
            tally = report.tally();
            const engine::PrintOutcome outcome = report.lastOutcome();
            meter.clear();
            print(io.err, QStringLiteral("envelope: batch done: %1 printed, %2 skipped, %3 bad, %4 pages in %5 s; %6\n")
                              .arg(tally.printed)
                              .arg(tally.skipped)
                              .arg(tally.bad)
                              .arg(outcome.pages)
                              .arg(meter.elapsedSeconds(), 0, 'f', 1)
                              .arg(describeOutcome(outcome, inv.pngDir)));
            return PrintJobReport::report(outcome, inv.waitSeconds, io);
        } catch (const std::exception &e) {
            meter.clear();
            if (InterruptGuard::raised()) {
                print(io.err, QStringLiteral("envelope: batch interrupted after %1 s; %2\n")
                                  .arg(meter.elapsedSeconds(), 0, 'f', 1)
                                  .arg(nothingMade));
                return ExitStatus::interrupted;
            }
            print(io.err, QStringLiteral("envelope: error: %1\n").arg(QString::fromUtf8(e.what())));
            print(io.err, QStringLiteral("envelope: batch failed after %1 s; %2\n").arg(meter.elapsedSeconds(), 0, 'f', 1).arg(nothingMade));
            return ExitStatus::failed;
        }
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
    std::optional<Invocation> inv;
    if (const int status = d->parseOrReport(arguments, inv); status != ExitStatus::ok || !inv)
        return status;
    return d->execute(*inv);
}

int BatchCommand::checkArguments(const QStringList &arguments) const
{
    std::optional<Invocation> inv;
    return d->parseOrReport(arguments, inv);
}

} // namespace cli
