#pragma once

namespace cli {

// The exit statuses every command ends with.
struct ExitStatus {
    static constexpr int ok = 0;
    static constexpr int failed = 1;
    static constexpr int usage = 2;
    // A batch stopped by Ctrl-C or SIGTERM (128 + SIGINT, as a shell reports it).
    static constexpr int interrupted = 130;
};

} // namespace cli
