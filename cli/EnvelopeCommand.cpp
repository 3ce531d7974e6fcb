#include "cli/EnvelopeCommand.h"

#include "cli/BatchCommand.h"
#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "cli/PrintJobReport.h"
#include "envelope_report/EnvelopeProduct.h"
#include "envelope_report/rptEnvelope.h"
#include "reporting_engine/records/DatabaseConnection.h"

#include <QDir>

#include <exception>
#include <limits>
#include <optional>

namespace cli {
namespace {

const char usageLine[] = "Usage: envelope [--name TEXT] [--street1 TEXT] [--street2 TEXT] [--city TEXT] [--state TEXT]\n"
                         "                [--zip NUMBER] [--sql TEXT [--database URL]] [--printer QUEUE [--wait [SECONDS]] | --pdf FILE | --png FILE]\n"
                         "                [--barcode postnet|imb] [--mailer-id DIGITS] [--service-type DIGITS] [--barcode-id DIGITS] [--serial NUMBER]\n"
                         "                [--address-style as-given|pub28]\n"
                         "       envelope printers | printer-profile QUEUE [...] | calibrate (--printer QUEUE | --pdf FILE)\n"
                         "       envelope check (--csv FILE | --database URL --query SQL) [...]: the postal rules, nothing printed\n";

const char helpText[] =
    "Prints one No. 10 envelope: the addressee block, the postal barcode of its ZIP code and the\n"
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
    "  --help            show this help\n";

const char helpTail[] =
    "\nThe report's messages go to standard error. Exit status: 0 printed, 1 failed, 2 bad usage.\n";

struct Invocation {
    QString name = QStringLiteral("Orrin Vask");
    QString street1 = QStringLiteral("123 Here Rd.");
    QString street2;
    QString city = QStringLiteral("Nowheresville");
    QString state = QStringLiteral("AK");
    std::int32_t zip = 92901;
    std::optional<QString> sql;
    QString database;
    OutputOptions::Output output;
    envelope::MailSettings mail;
    QString addressStyle;
};

using UsageError = OptionParser::UsageError;

struct Options {
    QCommandLineOption name = OptionParser::withValue("name", "TEXT");
    QCommandLineOption street1 = OptionParser::withValue("street1", "TEXT");
    QCommandLineOption street2 = OptionParser::withValue("street2", "TEXT");
    QCommandLineOption city = OptionParser::withValue("city", "TEXT");
    QCommandLineOption state = OptionParser::withValue("state", "TEXT");
    QCommandLineOption zip = OptionParser::withValue("zip", "NUMBER");
    QCommandLineOption sql = OptionParser::withValue("sql", "TEXT");
    QCommandLineOption database = OptionParser::withValue("database", "URL");
    OutputOptions output{OutputOptions::Pictures::File};
    MailOptions mail;

    QList<QCommandLineOption> all() const
    {
        return QList<QCommandLineOption>{name, street1, street2, city, state, zip, sql, database} + output.all() + mail.all();
    }
};

void readAddressee(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.name)) inv.name = parser.value(o.name);
    if (parser.isSet(o.street1)) inv.street1 = parser.value(o.street1);
    if (parser.isSet(o.street2)) inv.street2 = parser.value(o.street2);
    if (parser.isSet(o.city)) inv.city = parser.value(o.city);
    if (parser.isSet(o.state)) inv.state = parser.value(o.state);
    if (parser.isSet(o.zip)) {
        bool ok = false;
        const qlonglong value = parser.value(o.zip).toLongLong(&ok);
        if (!ok || value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
            throw UsageError{QStringLiteral("--zip \"%1\" is not a whole number (a ZIP code has 5 or 9 digits)").arg(parser.value(o.zip))};
        inv.zip = static_cast<std::int32_t>(value);
    }
}

void readQuery(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.sql))
        inv.sql = parser.value(o.sql);
    if (parser.isSet(o.database)) {
        if (!parser.isSet(o.sql))
            throw UsageError{QStringLiteral("--database goes with --sql")};
        parser.requireValue(o.database, "a URL");
        inv.database = parser.value(o.database);
    }
}

// False when help is asked for; throws UsageError.
bool parse(const QStringList &arguments, Invocation &inv)
{
    const Options o;
    OptionParser parser(o.all());
    o.output.prepare(parser);
    if (!parser.parse(arguments))
        return false;
    readAddressee(parser, o, inv);
    readQuery(parser, o, inv);
    inv.output = o.output.read(parser);
    inv.mail = o.mail.read(parser);
    inv.addressStyle = o.mail.addressStyle(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope"), usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(MailOptions::helpText) + QLatin1String(helpTail) +
                             QLatin1String("\nMany envelopes, one per record of a CSV file or a query (see envelope batch --help):\n") +
                             QLatin1String(BatchCommand::usageLine) +
                             QLatin1String("\nA batch's envelopes that did not come out, again from its journal (see envelope reprint --help):\n"
                                           "Usage: envelope reprint JOURNAL [--state STATE,...] [--envelopes A-B] [...]\n"
                                           "       envelope journal prune --older-than DAYS\n"));

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
    CommandIo io;

    // As a host program does: create, set the addressee, print without a dialog, release.
    engine::PrintOutcome print(const Invocation &inv) const
    {
        // A host program opens its database once for its own work; the report's query runs on it.
        const DefaultConnection connection(inv.database);
        auto report = std::make_unique<envelope::rptEnvelope>(api);
        report->AddresseeName = inv.name;
        report->AddresseeStreet1 = inv.street1;
        report->AddresseeStreet2 = inv.street2;
        report->AddresseeCity = inv.city;
        report->AddresseeState = inv.state;
        report->AddresseeZipCode = inv.zip;
        if (inv.sql)
            report->SQL = *inv.sql;
        report->mailSettings = inv.mail;
        report->setAddressStyle(inv.addressStyle);
        report->setDestination(inv.output.destination);
        report->PrintReport(false);
        return report->lastOutcome();
    }
};

EnvelopeCommand::EnvelopeCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io) : d(std::make_unique<Private>())
{
    d->api = std::move(api);
    d->io = io;
}

EnvelopeCommand::~EnvelopeCommand() = default;

int EnvelopeCommand::run(const QStringList &arguments)
{
    Invocation inv;
    if (const auto status = usage.parseOrReport([&] { return parse(arguments, inv); }, d->io))
        return *status;
    try {
        const engine::PrintOutcome outcome = d->print(inv);
        if (!outcome.note.isEmpty())
            d->io.writeErr(outcome.note);
        return PrintJobReport::report(outcome, inv.output.waitSeconds, d->io);
    } catch (const std::exception &e) {
        d->io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
        return ExitStatus::failed;
    }
}

int EnvelopeCommand::checkArguments(const QStringList &arguments) const
{
    Invocation inv;
    return usage.parseOrReport([&] { return parse(arguments, inv); }, d->io).value_or(ExitStatus::ok);
}

} // namespace cli
