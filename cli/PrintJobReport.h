#pragma once

#include "cli/CommandIo.h"

#include <QList>
#include <QString>

#include <initializer_list>
#include <optional>

class QCommandLineOption;

namespace engine {
struct PrintOutcome;
}

namespace cli {

class OptionParser;

// What both commands say about a job sent to a printer: the queue, the job and
// the paper source it was sent to; then, when asked to wait, how the job ended.
class PrintJobReport {
public:
    static constexpr int defaultWaitSeconds = 120;
    static constexpr int maxWaitSeconds = 86400;

    // --wait [SECONDS], as every command that prints takes it: alone, the default wait.
    static void allowBareWait(OptionParser &parser, const QCommandLineOption &wait);
    // Its value when given; throws OptionParser::UsageError when it is not a number of
    // seconds or comes with one of the file outputs (a file has no job to follow).
    // printingOption names what --wait goes with in that message.
    static std::optional<int> waitSeconds(const OptionParser &parser, const QCommandLineOption &wait,
                                          std::initializer_list<const QCommandLineOption *> fileOutputs,
                                          const QString &printingOption);

    // ExitStatus::ok, or ExitStatus::failed when the followed job did not complete (with the reasons).
    static int report(const engine::PrintOutcome &outcome, std::optional<int> waitSeconds, const CommandIo &io);

    // "12, 14" for a few jobs, "12 to 40" for more.
    static QString jobList(const QList<int> &jobs);

private:
    static int reportEnd(const QString &queue, int jobId, int waitSeconds, const CommandIo &io);
};

} // namespace cli
