#include "SaveDir.h"

#include "platform/Shell.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

class ShellTest : public SaveDirTest {};

// A stand-in desktop opener on PATH: it notes its arguments, then lingers like a browser would.
// The linger checks that the game does not wait for the opener; it writes nothing, so the test's
// output and its runner's pipes do not stay open on its account.
TEST_F(ShellTest, OpensTheUrlWithoutAShellAndWithoutWaiting) {
    std::string fake = (Dir / "xdg-open").string();
    std::string log = (Dir / "opened.txt").string();
    WriteFile(fake, "#!/bin/sh\nPATH=/usr/bin:/bin\nprintf '%s|' \"$#\" \"$@\" > '" + log + ".part'\nmv '" +
                        log + ".part' '" + log + "'\nexec >/dev/null 2>&1 </dev/null\nsleep 2\n");
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const char* oldPath = std::getenv("PATH");
    std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", Dir.c_str(), 1);

    // Characters a shell would act on must reach the opener untouched, as one argument.
    const std::string url = "http://h/cgi/version.pl?prg=SprayDash&show&type=0;touch${IFS}x`id`";
    auto start = std::chrono::steady_clock::now();
    bool started = platform::OpenUrl(url);
    auto took = std::chrono::steady_clock::now() - start;
    setenv("PATH", savedPath.c_str(), 1);
    EXPECT_TRUE(started);
    EXPECT_LT(took, std::chrono::milliseconds(1500)); // the opener is still sleeping

    std::string seen;
    for (int i = 0; i < 250 && seen.empty(); ++i) {
        seen = ReadFile(log);
        if (seen.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(seen, "1|" + url + "|");
    EXPECT_FALSE(std::filesystem::exists(Dir / "x"));
}

TEST_F(ShellTest, MissingOpenerIsReportedNotRaised) {
    const char* oldPath = std::getenv("PATH");
    std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", Dir.c_str(), 1);
    EXPECT_FALSE(platform::OpenUrl("http://h/"));
    setenv("PATH", savedPath.c_str(), 1);
}

} // namespace
