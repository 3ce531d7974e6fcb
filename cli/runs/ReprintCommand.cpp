#include "cli/runs/ReprintCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"
#include "cli/OutputOptions.h"
#include "cli/runs/BatchRun.h"
#include "cli/runs/JobOptions.h"
#include "envelope_batch/BatchEnvelopeReport.h"
#include "envelope_batch/JournalReader.h"
#include "reporting_engine/base/EngineError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <exception>
#include <set>

namespace cli {
namespace {

const char usageLine[] =
    "Usage: envelope reprint JOURNAL [--state STATE,...] [--envelopes A-B]\n"
    "                        [--pdf FILE | --png-dir DIR | --printer QUEUE [--job-size N] [--wait [SECONDS]]]\n"
    "                        [--journal FILE]\n";

const char helpText[] =
    "Makes again the envelopes of a batch's journal that did not come out: the same address lines, the same\n"
    "barcodes and Intelligent Mail serials (none is used anew or given back), read from the journal alone.\n\n"
    "  JOURNAL                the journal of a batch (or of a reprint) run\n"
    "  --state STATE,...      the envelopes in these states: printed, failed, sent, not-sent, made\n"
    "                         (default: failed,not-sent); printed ones need --envelopes naming them\n"
    "  --envelopes A-B        only the envelopes A to B of the journal (or just A)\n"
    "  --pdf FILE             write one PDF (it appears only when complete)\n"
    "  --png-dir DIR          write envelope.png, envelope-2.png, ... into DIR\n"
    "  --printer QUEUE        print on this CUPS queue (default: the CUPS default destination)\n"
    "  --wait [SECONDS]       follow each print job until it has printed, at most SECONDS (default 120)\n";

const char helpTail[] =
    "\nThe reprint's own journal names the journal it reprinted; its record column holds each envelope's\n"
    "number there. Exit status: 0 done, 1 failed or stopped, 2 bad usage, 130 interrupted.\n";

using UsageError = OptionParser::UsageError;
using State = envelope::JournalEntry::State;

struct Invocation {
    QString journal;
    std::set<State> states{State::Failed, State::NotSent};
    qint64 first = 0; // 0: every envelope
    qint64 last = 0;
    OutputOptions::Output output;
    JobOptions::Jobs jobs;
};

struct Options {
    QCommandLineOption state = OptionParser::withValue("state", "STATE,...");
    QCommandLineOption envelopes = OptionParser::withValue("envelopes", "A-B");
    OutputOptions output{OutputOptions::Pictures::Folder};
    JobOptions jobs;

    QList<QCommandLineOption> all() const { return QList<QCommandLineOption>{state, envelopes} + output.all() + jobs.all(); }
};

void readSelection(const OptionParser &parser, const Options &o, Invocation &inv)
{
    if (parser.isSet(o.state)) {
        inv.states.clear();
        for (const QString &name : parser.value(o.state).split(QLatin1Char(','))) {
            const std::optional<State> state = envelope::JournalEntry::stateNamed(name.trimmed());
            if (!state)
                throw UsageError{QStringLiteral("--state \"%1\": give printed, failed, sent, not-sent or made").arg(name)};
            inv.states.insert(*state);
        }
    }
    if (parser.isSet(o.envelopes)) {
        static const QRegularExpression range(QStringLiteral("^([1-9][0-9]{0,17})(?:-([1-9][0-9]{0,17}))?$"));
        const QRegularExpressionMatch m = range.match(parser.value(o.envelopes));
        if (!m.hasMatch())
            throw UsageError{QStringLiteral("--envelopes \"%1\" is not A-B or A").arg(parser.value(o.envelopes))};
        inv.first = m.captured(1).toLongLong();
        inv.last = m.captured(2).isEmpty() ? inv.first : m.captured(2).toLongLong();
        if (inv.last < inv.first)
            throw UsageError{QStringLiteral("--envelopes \"%1\" ends before it starts").arg(parser.value(o.envelopes))};
    } else if (inv.states.count(State::Printed)) {
        // Those came out: reprinting them doubles mail pieces, so only when named.
        throw UsageError{QStringLiteral("printed envelopes are reprinted only when --envelopes names them")};
    }
}

bool parse(const QStringList &arguments, Invocation &inv)
{
    const Options o;
    OptionParser parser(o.all());
    o.output.prepare(parser);
    QStringList args = arguments;
    args.removeAt(1); // "reprint"
    if (args.size() > 1 && !args.at(1).startsWith(QLatin1Char('-')))
        inv.journal = args.takeAt(1);
    if (!parser.parse(args))
        return false;
    if (inv.journal.isEmpty())
        throw UsageError{QStringLiteral("name the journal to reprint")};
    readSelection(parser, o, inv);
    inv.output = o.output.read(parser);
    inv.jobs = o.jobs.read(parser, inv.output.destination.kind == engine::PrintDestination::Kind::Printer);
    return true;
}

const CommandUsage usage(QStringLiteral("envelope reprint"), usageLine,
                         QString::fromLatin1(helpText) + QLatin1String(JobOptions::helpText) + QLatin1String(helpTail));

std::vector<envelope::JournalEntry> chosen(const Invocation &inv, const envelope::JournalReader::Journal &journal)
{
    std::vector<envelope::JournalEntry> out;
    for (const envelope::JournalEntry &e : journal.entries) {
        const bool inRange = inv.first == 0 || (e.envelope >= inv.first && e.envelope <= inv.last);
        if (inRange && inv.states.count(e.state))
            out.push_back(e);
    }
    return out;
}

} // namespace

struct ReprintCommand::Private {
    std::shared_ptr<platform::WindowsApi> api;
    CommandIo io;

    int execute(const Invocation &inv) const
    {
        BatchRun run(io, QStringLiteral("reprint"), inv.output, inv.jobs);
        try {
            const envelope::JournalReader::Journal journal = envelope::JournalReader::read(inv.journal);
            std::vector<envelope::JournalEntry> envelopes = chosen(inv, journal);
            if (envelopes.empty())
                return run.stop(QStringLiteral("%1 has no envelope in the states and numbers asked for; nothing was printed or saved")
                                    .arg(QDir::toNativeSeparators(inv.journal)));
            if (!inv.output.pngDir.isEmpty() && !QDir().mkpath(inv.output.pngDir))
                throw engine::EngineError(QStringLiteral("Cannot make the folder %1.").arg(inv.output.pngDir));
            envelope::BatchEnvelopeReport report(api, std::move(envelopes), QFileInfo(inv.journal).absoluteFilePath(), run.listener());
            return run.run(report);
        } catch (const std::exception &e) {
            return run.fail(e);
        }
    }
};

ReprintCommand::ReprintCommand(std::shared_ptr<platform::WindowsApi> api, CommandIo io) : d(std::make_unique<Private>())
{
    d->api = std::move(api);
    d->io = io;
}

ReprintCommand::~ReprintCommand() = default;

int ReprintCommand::run(const QStringList &arguments)
{
    Invocation inv;
    if (const auto status = usage.parseOrReport([&] { return parse(arguments, inv); }, d->io))
        return *status;
    return d->execute(inv);
}

} // namespace cli
