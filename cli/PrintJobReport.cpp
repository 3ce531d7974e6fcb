#include "cli/PrintJobReport.h"

#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"
#include "reporting_engine/print/CupsPrinter.h"
#include "reporting_engine/print/PrintOutcome.h"
#include "reporting_engine/report/JobSpooler.h"

namespace cli {
namespace {

// What the job asked the printer for: the source and media type sent, or what was left to it.
QString whatWasSent(const engine::PrintOutcome &outcome)
{
    const engine::MediaSourceChoice &source = outcome.source;
    const engine::MediaTypeChoice &type = outcome.mediaType;
    if (source.keyword.isEmpty() && type.keyword.isEmpty() && source.noChoice && type.noChoice)
        return QStringLiteral("its own tray and media type left to the printer (the queue offers no choice of either)");
    QStringList sent;
    if (!source.keyword.isEmpty())
        sent << QStringLiteral("paper source %1").arg(QString::fromUtf8(source.keyword));
    else if (source.noChoice)
        sent << QStringLiteral("its own tray left to the printer (the queue offers no choice of source)");
    else
        sent << QStringLiteral("the printer's default tray");
    if (!type.keyword.isEmpty())
        sent << QStringLiteral("media type %1").arg(QString::fromUtf8(type.keyword));
    else if (type.noChoice)
        sent << QStringLiteral("its own media type left to the printer (the queue offers no choice of type)");
    else if (!type.reason.isEmpty())
        sent << QStringLiteral("no media type (%1)").arg(type.reason);
    return sent.join(QStringLiteral(", "));
}

} // namespace

void PrintJobReport::allowBareWait(OptionParser &parser, const QCommandLineOption &wait)
{
    parser.allowBareOption(wait.names().first(), QString::number(defaultWaitSeconds));
}

std::optional<int> PrintJobReport::waitSeconds(const OptionParser &parser, const QCommandLineOption &wait,
                                               std::initializer_list<const QCommandLineOption *> fileOutputs,
                                               const QString &printingOption)
{
    if (!parser.isSet(wait))
        return std::nullopt;
    QStringList names;
    bool withFile = false;
    for (const QCommandLineOption *file : fileOutputs) {
        names << QStringLiteral("--") + file->names().first();
        withFile = withFile || parser.isSet(*file);
    }
    if (withFile)
        throw OptionParser::UsageError{
            QStringLiteral("--wait goes with %1, not with %2").arg(printingOption, names.join(QStringLiteral(" or ")))};
    return static_cast<int>(parser.number(wait, 0, maxWaitSeconds, "a number of seconds"));
}

int PrintJobReport::report(const engine::PrintOutcome &outcome, std::optional<int> waitSeconds, const CommandIo &io)
{
    if (outcome.kind != engine::PrintOutcome::Kind::Printed)
        return ExitStatus::ok;
    if (outcome.source.usedDefault)
        io.say(QStringLiteral("printer %1: %2").arg(outcome.queue, outcome.source.reason));
    if (!outcome.profile.isEmpty())
        io.say(QStringLiteral("printer %1's profile: %2").arg(outcome.queue, outcome.profile.describe()));
    const QList<int> jobs = outcome.jobIds.isEmpty() ? QList<int>{outcome.jobId} : outcome.jobIds;
    const QString jobText = jobs.size() > 1 ? QStringLiteral("jobs %1").arg(jobList(jobs)) : QStringLiteral("job %1").arg(outcome.jobId);
    io.say(QStringLiteral("printed on %1 (%2), %3").arg(outcome.queue, jobText, whatWasSent(outcome)));
    if (!waitSeconds) {
        io.say(QStringLiteral("follow the job with: lpstat -o %1").arg(outcome.queue));
        return ExitStatus::ok;
    }
    // A run in several jobs has followed each already: these answer at once.
    for (const int jobId : jobs) {
        if (const int status = reportEnd(outcome.queue, jobId, *waitSeconds, io); status != ExitStatus::ok)
            return status;
    }
    return ExitStatus::ok;
}

QString PrintJobReport::jobList(const QList<int> &jobs)
{
    // Other users' jobs may come between ours: a few are named one by one.
    if (jobs.size() > 4)
        return QStringLiteral("%1 to %2").arg(jobs.constFirst()).arg(jobs.constLast());
    QStringList ids;
    for (const int id : jobs)
        ids << QString::number(id);
    return ids.join(QStringLiteral(", "));
}

int PrintJobReport::reportEnd(const QString &queue, int jobId, int waitSeconds, const CommandIo &io)
{
    const engine::CupsJobEnd end = engine::CupsPrinter::waitForJob(queue, jobId, waitSeconds);
    using State = engine::CupsJobEnd::State;
    if (end.state == State::Completed) {
        io.say(QStringLiteral("job %1 on %2 completed").arg(jobId).arg(queue));
        return ExitStatus::ok;
    }
    io.say(QStringLiteral("error: job %1 on %2 %3").arg(jobId).arg(queue, engine::JobSpooler::describeEnd(end, waitSeconds)));
    return ExitStatus::failed;
}

} // namespace cli
