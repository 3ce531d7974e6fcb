#include "cli/InterruptGuard.h"

#include <csignal>

#include <signal.h>

namespace cli {
namespace {

// The program's one piece of global state: a signal handler can do nothing else safely.
volatile std::sig_atomic_t interruptRaised = 0;

extern "C" void raiseInterrupt(int) { interruptRaised = 1; }

} // namespace

struct InterruptGuard::Private {
    struct sigaction previousInt {};
    struct sigaction previousTerm {};
};

InterruptGuard::InterruptGuard() : d(std::make_unique<Private>())
{
    interruptRaised = 0;
    struct sigaction action {};
    action.sa_handler = &raiseInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &d->previousInt);
    sigaction(SIGTERM, &action, &d->previousTerm);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &d->previousInt, nullptr);
    sigaction(SIGTERM, &d->previousTerm, nullptr);
}

bool InterruptGuard::raised() { return interruptRaised != 0; }

} // namespace cli
