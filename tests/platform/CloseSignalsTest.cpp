// Termination signals: each becomes one close request for the message loop, and a
// second one while the game is closing ends the process at once. Every case runs
// in a child process, since the handlers are the process's own.
#include "system/CloseSignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace vandrel {
namespace {

// Runs body in a child and returns its wait status.
template <typename Body>
int inChild(Body body) {
    pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

TEST(CloseSignals, EachSignalBecomesOneCloseRequest) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        int status = inChild([signal] {
            installCloseSignals();
            if (takeCloseSignal()) return 10; // nothing yet
            ::raise(signal);
            if (!takeCloseSignal()) return 11;
            if (takeCloseSignal()) return 12; // taken once only
            return 0;
        });
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << signal << " killed the process";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "signal " << signal;
    }
}

TEST(CloseSignals, SecondSignalWhileClosingEndsAtOnce) {
    int status = inChild([] {
        installCloseSignals();
        ::raise(SIGTERM);
        takeCloseSignal(); // the game is closing now
        ::raise(SIGINT);
        return 0; // not reached
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 128 + SIGINT);
}

} // namespace
} // namespace vandrel
