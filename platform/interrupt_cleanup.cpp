// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/interrupt_cleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace crunchwise {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSlots = 32;
// How long the handler waits for another thread that is writing a slot.
constexpr int kBusyWaits = 1000000;

// A slot's state: its two low bits say free, busy (being written) or ready;
// the rest counts the changes, so that the handler can tell a path that
// changed while it copied it.
constexpr unsigned kFree = 0;
constexpr unsigned kBusy = 1;
constexpr unsigned kReady = 2;
constexpr unsigned kPhase = 3;
constexpr unsigned kNextChange = 4;

struct Slot {
    std::atomic<unsigned> state{kFree};
    char path[PATH_MAX] = {};
};
static_assert(std::atomic<unsigned>::is_always_lock_free);

Slot gSlots[kSlots];

unsigned changed(unsigned state, unsigned phase) {
    return ((state & ~kPhase) + kNextChange) | phase;
}

// Removes the file of one slot; async-signal-safe.
void removeFileOf(Slot& slot) {
    unsigned before = slot.state.load();
    for (int wait = 0; (before & kPhase) == kBusy && wait < kBusyWaits; ++wait)
        before = slot.state.load();
    if ((before & kPhase) != kReady)
        return;
    char path[PATH_MAX];
    std::memcpy(path, slot.path, sizeof path);
    if (slot.state.load() == before)
        ::unlink(path);
}

void onInterrupt(int signal) {
    for (Slot& slot : gSlots)
        removeFileOf(slot);
    // Ends the process by the same signal once the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

// Also keeps a handler from waiting on a slot that its own thread is writing.
sigset_t InterruptCleanup::interrupts() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kInterrupts)
        sigaddset(&set, signal);
    return set;
}

InterruptCleanup::Held::Held() {
    const sigset_t set = interrupts();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

InterruptCleanup::Held::~Held() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void InterruptCleanup::catchInterrupts(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_mask = interrupts();
    for (const int signal : kInterrupts) {
        struct sigaction previous {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(signal, &action, nullptr);
    }
}

void InterruptCleanup::installHandlers() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        catchInterrupts(onInterrupt);
    });
}

InterruptCleanup::InterruptCleanup(const std::filesystem::path& temporary) {
    const std::string& name = temporary.native();
    if (name.empty() || name.size() >= PATH_MAX)
        return;
    const Held held;
    for (int i = 0; i < kSlots; ++i) {
        unsigned state = gSlots[i].state.load();
        if ((state & kPhase) != kFree ||
            !gSlots[i].state.compare_exchange_strong(state, changed(state, kBusy)))
            continue;
        std::memcpy(gSlots[i].path, name.c_str(), name.size() + 1);
        gSlots[i].state.store(changed(state, kReady));
        slot_ = i;
        return;
    }
}

InterruptCleanup::InterruptCleanup(InterruptCleanup&& other) noexcept
    : slot_(std::exchange(other.slot_, -1)) {}

InterruptCleanup& InterruptCleanup::operator=(InterruptCleanup&& other) noexcept {
    if (this != &other) {
        release();
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

void InterruptCleanup::release() {
    if (slot_ < 0)
        return;
    std::atomic<unsigned>& state = gSlots[std::exchange(slot_, -1)].state;
    state.store(changed(state.load(), kFree));
}

} // namespace crunchwise
