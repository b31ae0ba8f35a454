// Termination signals as a close request. The handler only sets flags: nothing
// else is safe inside it, and the message loop looks at the flag every turn.
#include "system/CloseSignals.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <cstdlib>
#else
#include <unistd.h>
#endif

namespace vandrel {

namespace {

volatile std::sig_atomic_t requested = 0; // a signal came; stays set while closing
std::atomic<bool> pending{false};         // not yet taken by the message loop
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void endAtOnce(int signal) {
#ifdef _WIN32
    std::_Exit(128 + signal);
#else
    ::_exit(128 + signal);
#endif
}

extern "C" void onCloseSignal(int signal) {
#ifdef _WIN32
    // Windows resets a handler to the default once it has run.
    std::signal(signal, onCloseSignal);
#endif
    if (requested) endAtOnce(signal);
    requested = 1;
    pending.store(true);
}

} // namespace

bool takeCloseSignal() { return pending.exchange(false); }

void installCloseSignals() {
#ifdef _WIN32
    std::signal(SIGINT, onCloseSignal);
    std::signal(SIGTERM, onCloseSignal);
#else
    struct sigaction action {};
    action.sa_handler = onCloseSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted reads and writes go on; the loop notices the flag on its next turn.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
#endif
}

} // namespace vandrel
