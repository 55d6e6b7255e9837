// The one-time renderer probe in a child process: its answer where no accelerated renderer
// exists, and the signal mask it hands back.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "platform/Window.h"

namespace {

bool ChildEndBlocked() {
    sigset_t now;
    sigprocmask(SIG_SETMASK, nullptr, &now);
    return sigismember(&now, SIGCHLD) == 1;
}

TEST(RendererProbe, WithoutAnAcceleratedRendererAsksAgainAndLeavesTheSignalMaskAsItWas) {
    // The headless driver has no accelerated renderer: the child cannot tell, so the answer is
    // Unknown (the software path now, the question again at the next start).
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    for (bool blockedBefore : {false, true}) {
        sigset_t childEnded, previous;
        sigemptyset(&childEnded);
        sigaddset(&childEnded, SIGCHLD);
        sigprocmask(blockedBefore ? SIG_BLOCK : SIG_UNBLOCK, &childEnded, &previous);
        EXPECT_EQ(platform::ProbeRendererInChild(), platform::RendererChoice::Unknown) << blockedBefore;
        EXPECT_EQ(ChildEndBlocked(), blockedBefore);
        sigprocmask(SIG_SETMASK, &previous, nullptr);
    }
}

} // namespace
