// Program entry: opens the window, creates the main form and runs the main loop until the
// player leaves. A start-up failure (a missing data file, a display that cannot start) is
// reported and the program exits with a non-zero status.
#include <cstdio>
#include <exception>

#include "app/Application.h"
#include "platform/DataLocation.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    // Installed copies run from a per-user folder; the build folder stays where it is.
    platform::UseInstalledDataWhenMissing();
    try {
        return RunApplication();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Spray Dash: %s\n", e.what());
        return 1;
    }
}
