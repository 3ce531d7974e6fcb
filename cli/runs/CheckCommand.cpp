#include "cli/runs/CheckCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/MailOptions.h"
#include "cli/OptionParser.h"
#include "cli/runs/SourceOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"

#include <QMap>

#include <exception>

namespace cli {

const char CheckCommand::usageLine[] =
    "Usage: envelope check (--csv FILE | --database URL --query SQL) [--columns name=COL,...]\n"
    "                      [--address-style as-given|pub28] [--barcode postnet|imb] [--mailer-id DIGITS] ...\n";

namespace {

const char helpText[] =
    "Checks every record as envelope batch would print it, printing nothing: the ZIP code, the name,\n"
    "the city and state of the last line, at most four lines that fit their box at 8 pt (DMM 202.1.2),\n"
    "at most 40 characters and 8 words a line (Pub 28), the state that goes with the ZIP's prefix\n"
    "(DMM L002), the same addressee twice, and with --barcode imb the barcode's distance from the\n"
    "last line. Each problem is listed as \"record N (line L): ...\" on standard output, then a summary.\n\n";

const char helpTail[] =
    "\nExit status: 0 every record is clean, 1 any record has a problem, there are none, or the input\n"
    "cannot be read, 2 bad usage.\n";

struct Invocation {
    SourceOptions::Source source;
    envelope::MailSettings mail;
    QString addressStyle;
};

struct Options {
    SourceOptions source;
    MailOptions mail;
    QList<QCommandLineOption> all() const { return source.all() + mail.all(); }
};

bool parse(const QStringList &arguments, Invocation &inv)
{
    const Options o;
    OptionParser parser(o.all());
    QStringList args = arguments;
    args.removeAt(1); // "check"
    if (!parser.parse(args))
        return false;
    inv.source = o.source.read(parser);
    inv.mail = o.mail.read(parser);
    inv.addressStyle = o.mail.addressStyle(parser);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope check"), CheckCommand::usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(SourceOptions::helpText) +
                             QLatin1String(MailOptions::helpText) + QLatin1String(helpTail));

// What the records came to: how many clean, with warnings or bad, and by rule.
struct Counts {
    qint64 clean = 0;
    qint64 warned = 0;
    qint64 bad = 0;
    QMap<QString, qint64> byRule;

    QString summary() const
    {
        QString line = QStringLiteral("check done: %1 records: %2 clean, %3 with warnings, %4 bad")
                           .arg(clean + warned + bad)
                           .arg(clean)
                           .arg(warned)
                           .arg(bad);
        QStringList rules;
        for (auto it = byRule.cbegin(); it != byRule.cend(); ++it)
            rules << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
        return rules.isEmpty() ? line : line + QStringLiteral("; by rule: ") + rules.join(QStringLiteral(", "));
    }
};

} // namespace

struct CheckCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    int execute(const Invocation &inv) const
    {
        Counts counts;
        envelope::BatchEnvelopeReport::Listener listener;
        listener.checked = [&](const envelope::AddresseeRecord &r, const envelope::AddresseeValidator::Verdict &v) {
            if (!v.problems.isEmpty())
                io.writeOut(QStringLiteral("%1: %2").arg(SourceOptions::place(r), v.problems.join(QStringLiteral("; "))));
            if (!v.warnings.isEmpty())
                io.writeOut(QStringLiteral("%1: warning: %2").arg(SourceOptions::place(r), v.warnings.join(QStringLiteral("; "))));
            ++(v.good() ? (v.warnings.isEmpty() ? counts.clean : counts.warned) : counts.bad);
            for (const QString &rule : v.rules)
                ++counts.byRule[rule];
        };
        try {
            const std::unique_ptr<envelope::AddresseeSource> source = inv.source.open();
            envelope::BatchEnvelopeReport report(api, *source, envelope::BatchEnvelopeReport::BadRecords::Print, listener);
            report.setMailSettings(inv.mail);
            report.setAddressStyle(inv.addressStyle);
            report.checkInput();
            if (report.tally().read == 0) {
                io.say(QStringLiteral("check: no records"));
                return ExitStatus::failed;
            }
        } catch (const std::exception &e) {
            io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
            return ExitStatus::failed;
        }
        io.writeOut(counts.summary());
        return counts.warned + counts.bad == 0 ? ExitStatus::ok : ExitStatus::failed;
    }
};

CheckCommand::CheckCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io) : d(std::make_unique<Private>())
{
    d->api = std::move(api);
    d->io = io;
}

CheckCommand::~CheckCommand() = default;

int CheckCommand::run(const QStringList &arguments)
{
    Invocation inv;
    if (const auto status = usage.parseOrReport([&] { return parse(arguments, inv); }, d->io))
        return *status;
    return d->execute(inv);
}

} // namespace cli
