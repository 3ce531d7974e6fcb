#include "cli/EnvelopeCommand.h"

#include "cli/BatchCommand.h"
#include "cli/OptionParser.h"
#include "cli/PrintJobReport.h"
#include "cli/PrinterCommand.h"
#include "envelope_report/EnvelopeProduct.h"
#include "envelope_report/rptEnvelope.h"
#include "platform/TerminalMessagePresenter.h"
#include "platform/WindowsApi.h"
#include "reporting_engine/DatabaseConnection.h"

#include <QDir>

#include <exception>
#include <limits>
#include <optional>

namespace cli {
namespace {

const char usageLine[] = "Usage: envelope [--name TEXT] [--street1 TEXT] [--street2 TEXT] [--city TEXT] [--state TEXT]\n"
                         "                [--zip NUMBER] [--sql TEXT [--database URL]] [--printer QUEUE [--wait [SECONDS]] | --pdf FILE | --png FILE]\n"
                         "       envelope printers | printer-profile QUEUE [...] | calibrate (--printer QUEUE | --pdf FILE)\n";

const char helpText[] =
    "Prints one No. 10 envelope: the addressee block, the POSTNET barcode of its ZIP code and the\n"
    "return address of the office whose program this is (chosen by this executable's name).\n\n"
    "  --name TEXT       addressee's name             (default: Orrin Vask)\n"
    "  --street1 TEXT    first street line            (default: 123 Here Rd.)\n"
    "  --street2 TEXT    second street line           (default: none)\n"
    "  --city TEXT       city                         (default: Nowheresville)\n"
    "  --state TEXT      state                        (default: AK)\n"
    "  --zip NUMBER      ZIP code, 5 or 9 digits      (default: 92901)\n"
    "  --sql TEXT        query the report opens when it runs (it warns when there is no record)\n"
    "  --database URL    the database for --sql: sqlite:PATH or postgresql://user@host:port/db,\n"
    "                    opened read-only\n"
    "  --printer QUEUE   print on this CUPS queue     (default: the CUPS default destination,\n"
    "                                                  or Envelope.pdf here when there is none)\n"
    "  --pdf FILE        write a PDF file instead of printing\n"
    "  --wait [SECONDS]  follow the print job until it has printed, at most SECONDS (default 120);\n"
    "                    exit status 1 with the printer's reasons when it did not\n"
    "  --png FILE        write a PNG picture instead of printing\n"
    "  --help            show this help\n\n"
    "The report's messages go to standard error. Exit status: 0 printed, 1 failed, 2 bad usage.\n";

struct Invocation {
    QString name = QStringLiteral("Orrin Vask");
    QString street1 = QStringLiteral("123 Here Rd.");
    QString street2;
    QString city = QStringLiteral("Nowheresville");
    QString state = QStringLiteral("AK");
    std::int32_t zip = 92901;
    std::optional<QString> sql;
    QString database;
    engine::PrintDestination destination = engine::PrintDestination::defaultPrinter();
    std::optional<int> waitSeconds;
};

using UsageError = OptionParser::UsageError;

// The application's default database connection for the length of one command.
class DefaultConnection {
public:
    explicit DefaultConnection(const QString &url) : m_open(!url.isEmpty())
    {
        if (m_open)
            engine::DatabaseConnection::open(url, envelope::EnvelopeProduct::databaseClientName());
    }
    ~DefaultConnection()
    {
        if (m_open)
            engine::DatabaseConnection::close();
    }
    DefaultConnection(const DefaultConnection &) = delete;
    DefaultConnection &operator=(const DefaultConnection &) = delete;

private:
    bool m_open;
};

} // namespace

struct EnvelopeCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    Io io;

    void print(std::FILE *f, const QString &text) const { std::fputs(qUtf8Printable(text), f); }

    // The invocation, or nothing when help is asked for.
    std::optional<Invocation> parse(const QStringList &arguments) const
    {
        const QCommandLineOption name(QStringLiteral("name"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption street1(QStringLiteral("street1"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption street2(QStringLiteral("street2"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption city(QStringLiteral("city"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption state(QStringLiteral("state"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption zip(QStringLiteral("zip"), QString(), QStringLiteral("NUMBER"));
        const QCommandLineOption printer(QStringLiteral("printer"), QString(), QStringLiteral("QUEUE"));
        const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption png(QStringLiteral("png"), QString(), QStringLiteral("FILE"));
        const QCommandLineOption sql(QStringLiteral("sql"), QString(), QStringLiteral("TEXT"));
        const QCommandLineOption database(QStringLiteral("database"), QString(), QStringLiteral("URL"));
        const QCommandLineOption wait(QStringLiteral("wait"), QString(), QStringLiteral("SECONDS"));
        OptionParser parser({name, street1, street2, city, state, zip, sql, database, printer, pdf, png, wait});
        parser.allowBareOption(QStringLiteral("wait"), QString::number(PrintJobReport::defaultWaitSeconds));
        if (!parser.parse(arguments))
            return std::nullopt;

        Invocation inv;
        if (parser.isSet(name)) inv.name = parser.value(name);
        if (parser.isSet(street1)) inv.street1 = parser.value(street1);
        if (parser.isSet(street2)) inv.street2 = parser.value(street2);
        if (parser.isSet(city)) inv.city = parser.value(city);
        if (parser.isSet(state)) inv.state = parser.value(state);
        if (parser.isSet(zip)) {
            bool ok = false;
            const qlonglong value = parser.value(zip).toLongLong(&ok);
            if (!ok || value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
                throw UsageError{QStringLiteral("--zip \"%1\" is not a whole number (a ZIP code has 5 or 9 digits)").arg(parser.value(zip))};
            inv.zip = static_cast<std::int32_t>(value);
        }
        if (parser.isSet(sql))
            inv.sql = parser.value(sql);
        if (parser.isSet(database)) {
            if (!parser.isSet(sql))
                throw UsageError{QStringLiteral("--database goes with --sql")};
            parser.requireValue(database, "a URL");
            inv.database = parser.value(database);
        }
        const int outputs = int(parser.isSet(printer)) + int(parser.isSet(pdf)) + int(parser.isSet(png));
        if (outputs > 1)
            throw UsageError{QStringLiteral("give only one of --printer, --pdf and --png")};
        parser.requireValue(printer, "a queue name");
        parser.requireValue(pdf, "a file name");
        parser.requireValue(png, "a file name");
        if (parser.isSet(printer)) {
            inv.destination = engine::PrintDestination::printer(parser.value(printer));
        } else if (parser.isSet(pdf)) {
            inv.destination = engine::PrintDestination::pdfFile(parser.value(pdf));
        } else if (parser.isSet(png)) {
            inv.destination = engine::PrintDestination::pngFile(parser.value(png));
        }
        if (parser.isSet(wait)) {
            if (parser.isSet(pdf) || parser.isSet(png))
                throw UsageError{QStringLiteral("--wait goes with printing, not with --pdf or --png")};
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
                std::fputs("\nMany envelopes, one per record of a CSV file or a query (see envelope batch --help):\n", io.out);
                std::fputs(BatchCommand::usageLine, io.out);
            }
            return exitOk;
        } catch (const UsageError &e) {
            print(io.err, QStringLiteral("envelope: %1\n").arg(e.message));
            std::fputs(usageLine, io.err);
            return exitUsage;
        }
    }
};

EnvelopeCommand::EnvelopeCommand(std::shared_ptr<platform::WindowsApi> api, Io io) : d(std::make_unique<Private>())
{
    d->api = std::move(api);
    d->io = io;
}

EnvelopeCommand::~EnvelopeCommand() = default;

int EnvelopeCommand::run(const QStringList &arguments)
{
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String("batch"))
        return BatchCommand(d->api, d->io).run(arguments);
    if (arguments.size() > 1 && PrinterCommand::handles(arguments.at(1)))
        return PrinterCommand(d->io).run(arguments);
    std::optional<Invocation> inv;
    if (const int status = d->parseOrReport(arguments, inv); status != exitOk || !inv)
        return status;

    try {
        auto api = d->api ? d->api
                          : platform::WindowsApi::fromEnvironment(
                                std::make_shared<platform::TerminalMessagePresenter>(QStringLiteral("envelope"), d->io.err));
        // A host program opens its database once for its own work; the report's query runs on it.
        const DefaultConnection connection(inv->database);
        // As a host program does: create, set the addressee, print without a dialog, release.
        auto report = std::make_unique<envelope::rptEnvelope>(api);
        report->AddresseeName = inv->name;
        report->AddresseeStreet1 = inv->street1;
        report->AddresseeStreet2 = inv->street2;
        report->AddresseeCity = inv->city;
        report->AddresseeState = inv->state;
        report->AddresseeZipCode = inv->zip;
        if (inv->sql)
            report->SQL = *inv->sql;
        report->setDestination(inv->destination);
        report->PrintReport(false);
        const engine::PrintOutcome outcome = report->lastOutcome();
        report.reset();
        if (!outcome.note.isEmpty())
            d->print(d->io.err, outcome.note + QLatin1Char('\n'));
        return PrintJobReport::report(outcome, inv->waitSeconds, d->io);
    } catch (const std::exception &e) {
        d->print(d->io.err, QStringLiteral("envelope: error: %1\n").arg(QString::fromUtf8(e.what())));
        return exitFatal;
    }
}

int EnvelopeCommand::checkArguments(const QStringList &arguments) const
{
    if (arguments.size() > 1 && arguments.at(1) == QLatin1String("batch"))
        return BatchCommand(d->api, d->io).checkArguments(arguments);
    std::optional<Invocation> inv;
    return d->parseOrReport(arguments, inv);
}

} // namespace cli
