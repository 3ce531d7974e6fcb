#pragma once

#include "cli/EnvelopeCommand.h"

#include <optional>

namespace engine {
struct PrintOutcome;
}

namespace cli {

// What both commands say about a job sent to a printer: the queue, the job and
// the paper source it was sent to; then, when asked to wait, how the job ended.
class PrintJobReport {
public:
    static constexpr int defaultWaitSeconds = 120;

    // exitOk, or exitFatal when the followed job did not complete (with the reasons).
    static int report(const engine::PrintOutcome &outcome, std::optional<int> waitSeconds, const EnvelopeCommand::Io &io);
};

} // namespace cli
