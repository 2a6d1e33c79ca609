#include "termination_signals.h"

#include <atomic>
#include <csignal>
#include <pthread.h>
#include <unistd.h>

namespace {

// Holds alive in the low bits, the first signal held back above them: one
// word, so that a signal and the end of the last hold cannot miss each other.
std::atomic<unsigned> holdsAndSignal{0};
static_assert(std::atomic<unsigned>::is_always_lock_free, "used in a signal handler");
constexpr unsigned kSignalShift = 16;
constexpr unsigned kHoldsMask = (1u << kSignalShift) - 1;

[[noreturn]] void endWith(int signal)
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    // Inside the handler the signal is blocked: raised there it would wait.
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

void onTerminationSignal(int signal)
{
    unsigned current = holdsAndSignal.load();
    do {
        if ((current & kHoldsMask) == 0)
            endWith(signal);
        if (current >> kSignalShift)
            return; // the first one decides
    } while (!holdsAndSignal.compare_exchange_weak(current, current | (unsigned(signal) << kSignalShift)));
}

} // namespace

void installTerminationSignals()
{
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    // A held-back signal must not make a write or an fsync fail half way.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

HoldTermination::HoldTermination()
{
    holdsAndSignal.fetch_add(1);
}

HoldTermination::~HoldTermination()
{
    const unsigned before = holdsAndSignal.fetch_sub(1);
    if ((before & kHoldsMask) == 1 && (before >> kSignalShift))
        endWith(int(before >> kSignalShift));
}
