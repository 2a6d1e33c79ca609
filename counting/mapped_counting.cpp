#include "mapped_counting.h"

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Large enough that mapping costs little beside counting, small enough that
// the memory a count keeps mapped stays modest.
constexpr std::int64_t kMappingSize = 16 << 20;

// The stretch of mapped memory whose faults the current thread takes over,
// and where it goes on from such a fault.
struct FaultGuard {
    sigjmp_buf resume;
    const unsigned char* begin;
    const unsigned char* end;
};
constinit thread_local FaultGuard* activeGuard = nullptr;

struct sigaction previousAction {};
std::mutex installing;

void onBusError(int signal, siginfo_t* info, void* context)
{
    const FaultGuard* guard = activeGuard;
    const auto* address = static_cast<const unsigned char*>(info->si_addr);
    if (guard && address >= guard->begin && address < guard->end)
        siglongjmp(activeGuard->resume, 1);
    // Not ours: to whoever handled it before, or as if nobody had.
    if (previousAction.sa_flags & SA_SIGINFO) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    } else {
        // A fault comes back when the access is tried again on return, and
        // then ends the process as it would have without this handler.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigaction(signal, &fallback, nullptr);
    }
}

// Installed before every mapping rather than once, so that a handler that
// someone put in place since is chained to, not lost.
void installFaultHandler()
{
    const std::lock_guard lock(installing);
    struct sigaction current {};
    ::sigaction(SIGBUS, nullptr, &current);
    if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == onBusError)
        return;
    previousAction = current;
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, nullptr);
}

// Runs work(data, size) with the faults of [data, data + size) taken over:
// false when the mapping faulted. Nothing with a destructor may live between
// here and the fault, so the jump out of the handler skips no clean-up: work
// owns nothing.
template <typename Work>
bool runGuarded(const unsigned char* data, std::size_t size, Work work)
{
    FaultGuard guard{{}, data, data + size};
    // 1: the signal mask is restored by the jump, so SIGBUS, blocked while
    // the handler runs, is not left blocked.
    if (sigsetjmp(guard.resume, 1) != 0) {
        activeGuard = nullptr;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        return false;
    }
    activeGuard = &guard;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    work(data, size);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    activeGuard = nullptr;
    return true;
}

bool countGuarded(ByteCounter& counter, const unsigned char* data, std::size_t size,
                  std::size_t step, const std::atomic<bool>* stop)
{
    return runGuarded(data, size, [&counter, step, stop](const unsigned char* p, std::size_t n) {
        for (std::size_t at = 0; at < n; at += step) {
            if (stop && stop->load(std::memory_order_relaxed))
                break;
            counter.add(p + at, std::min(step, n - at));
        }
    });
}

// Each step is copied out of the mapping under the guard, then counted and
// shown to the observer from the copy, where the observer's own code cannot
// fault.
bool countCopied(ByteCounter& counter, const unsigned char* data, std::size_t size, std::int64_t offset,
                 unsigned char* copy, std::size_t step, const std::atomic<bool>* stop,
                 StretchObserver& observer)
{
    for (std::size_t at = 0; at < size; at += step) {
        if (stop && stop->load(std::memory_order_relaxed))
            break;
        const std::size_t n = std::min(step, size - at);
        if (!runGuarded(data + at, n, [copy](const unsigned char* p, std::size_t k) { std::memcpy(copy, p, k); }))
            return false;
        counter.add(copy, n);
        observer.bytes(offset + std::int64_t(at), copy, n);
    }
    return true;
}

} // namespace

InPlaceCount countInPlace(int fd, std::int64_t offset, std::int64_t size, ByteCounter& counter,
                          std::size_t step, const std::atomic<bool>* stop, StretchObserver* observer)
{
    static const std::int64_t page = ::sysconf(_SC_PAGESIZE);
    installFaultHandler();
    InPlaceCount result;
    std::unique_ptr<unsigned char[]> copy;
    if (observer) {
        copy.reset(new (std::nothrow) unsigned char[step]);
        if (!copy) {
            result.status = InPlaceCount::NotMapped;
            return result;
        }
    }
    while (result.bytes < size) {
        if (stop && stop->load(std::memory_order_relaxed))
            return result;
        const std::int64_t at = offset + result.bytes;
        const std::int64_t length = std::min(kMappingSize, size - result.bytes);
        const std::int64_t start = at / page * page;
        const auto mapped = static_cast<std::size_t>(at + length - start);
        // Not populated at once: the faults of the count map the pages 64 KiB
        // at a time, which costs less processor time than populating the
        // mapping page by page.
        void* map = ::mmap(nullptr, mapped, PROT_READ, MAP_SHARED, fd, start);
        if (map == MAP_FAILED) {
            result.status = InPlaceCount::NotMapped;
            return result;
        }
        const auto* data = static_cast<const unsigned char*>(map) + (at - start);
        const bool counted = observer ? countCopied(counter, data, static_cast<std::size_t>(length), at,
                                                    copy.get(), step, stop, *observer)
                                      : countGuarded(counter, data, static_cast<std::size_t>(length), step, stop);
        ::munmap(map, mapped);
        if (!counted) {
            result.status = InPlaceCount::Faulted;
            return result;
        }
        result.bytes += length;
    }
    return result;
}
