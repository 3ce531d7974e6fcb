#pragma once

#include <memory>

namespace cli {

// Ctrl-C and SIGTERM, while a guard lives, only raise a flag that the run checks
// between records, so it can stop cleanly: no partial output, no print job. The
// previous handlers come back when the guard goes.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard &) = delete;
    InterruptGuard &operator=(const InterruptGuard &) = delete;

    static bool raised();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cli
