#include "cli/runs/JournalCommand.h"

#include "cli/CommandUsage.h"
#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"
#include "envelope_batch/BatchJournal.h"

#include <QDir>

#include <exception>

namespace cli {
namespace {

const char usageLine[] = "Usage: envelope journal prune --older-than DAYS\n";

const char helpText[] =
    "Removes the journals batch and reprint runs left in $XDG_STATE_HOME/korva-envelope/journal/\n"
    "that were last written more than DAYS days ago (journals written elsewhere with --journal stay).\n";

const CommandUsage usage(QStringLiteral("envelope journal"), usageLine, QString::fromLatin1(helpText));

bool parse(const QStringList &arguments, int &days)
{
    const QCommandLineOption olderThan = OptionParser::withValue("older-than", "DAYS");
    OptionParser parser({olderThan});
    QStringList args = arguments;
    args.removeAt(1); // "journal"
    if (args.value(1) != QLatin1String("prune")) {
        if (args.value(1) == QLatin1String("--help") || args.value(1) == QLatin1String("-h"))
            return parser.parse(args);
        throw OptionParser::UsageError{QStringLiteral("the journal command is: prune --older-than DAYS")};
    }
    args.removeAt(1);
    if (!parser.parse(args))
        return false;
    if (!parser.isSet(olderThan))
        throw OptionParser::UsageError{QStringLiteral("prune needs --older-than DAYS")};
    days = static_cast<int>(parser.number(olderThan, 0, 100000, "a number of days"));
    return true;
}

} // namespace

JournalCommand::JournalCommand(CommandIo io) : m_io(io) {}

int JournalCommand::run(const QStringList &arguments)
{
    int days = 0;
    if (const auto status = usage.parseOrReport([&] { return parse(arguments, days); }, m_io))
        return *status;
    try {
        const QStringList removed = envelope::BatchJournal::prune(days);
        m_io.say(QStringLiteral("journal prune: %1 journal(s) older than %2 day(s) removed from %3")
                     .arg(removed.size())
                     .arg(days)
                     .arg(QDir::toNativeSeparators(envelope::BatchJournal::defaultFolder())));
        return ExitStatus::ok;
    } catch (const std::exception &e) {
        m_io.say(QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
        return ExitStatus::failed;
    }
}

} // namespace cli
