#include "cli/PrintJobReport.h"

#include "cli/ExitStatus.h"
#include "reporting_engine/CupsPrinter.h"
#include "reporting_engine/PrintOutcome.h"

namespace cli {
namespace {

void say(std::FILE *f, const QString &text) { std::fputs(qUtf8Printable(QStringLiteral("envelope: ") + text + QLatin1Char('\n')), f); }

} // namespace

int PrintJobReport::report(const engine::PrintOutcome &outcome, std::optional<int> waitSeconds, const CommandIo &io)
{
    if (outcome.kind != engine::PrintOutcome::Kind::Printed)
        return ExitStatus::ok;
    const QString source = outcome.source.keyword.isEmpty() ? QStringLiteral("the printer's default tray")
                                                            : QStringLiteral("paper source %1").arg(QString::fromUtf8(outcome.source.keyword));
    if (outcome.source.usedDefault)
        say(io.err, QStringLiteral("printer %1: %2").arg(outcome.queue, outcome.source.reason));
    if (!outcome.profile.isEmpty())
        say(io.err, QStringLiteral("printer %1's profile: %2").arg(outcome.queue, outcome.profile.describe()));
    say(io.err, QStringLiteral("printed on %1 (job %2), %3").arg(outcome.queue).arg(outcome.jobId).arg(source));
    if (!waitSeconds) {
        say(io.err, QStringLiteral("follow the job with: lpstat -o %1").arg(outcome.queue));
        return ExitStatus::ok;
    }
    const engine::CupsJobEnd end = engine::CupsPrinter::waitForJob(outcome.queue, outcome.jobId, *waitSeconds);
    using State = engine::CupsJobEnd::State;
    if (end.state == State::Completed) {
        say(io.err, QStringLiteral("job %1 on %2 completed").arg(outcome.jobId).arg(outcome.queue));
        return ExitStatus::ok;
    }
    const QString how = end.state == State::Aborted    ? QStringLiteral("was aborted")
                        : end.state == State::Canceled ? QStringLiteral("was canceled")
                                                       : QStringLiteral("had not ended after %1 s").arg(*waitSeconds);
    QString why;
    if (!end.jobReasons.isEmpty())
        why += QStringLiteral("; job: ") + end.jobReasons;
    if (!end.printerReasons.isEmpty())
        why += QStringLiteral("; printer: ") + end.printerReasons;
    say(io.err, QStringLiteral("error: job %1 on %2 %3%4").arg(outcome.jobId).arg(outcome.queue, how, why));
    return ExitStatus::failed;
}

} // namespace cli
