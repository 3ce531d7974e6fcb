#pragma once

#include "cli/CommandIo.h"

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

    // ExitStatus::ok, or ExitStatus::failed when the followed job did not complete (with the reasons).
    static int report(const engine::PrintOutcome &outcome, std::optional<int> waitSeconds, const CommandIo &io);
};

} // namespace cli
