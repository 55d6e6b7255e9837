// Start-up of the real window: time from start to the first drawn menu frame, resident memory
// after ten seconds on the menu, and whether an OpenGL driver stayed mapped. Each start is this
// program started again (so loading its libraries counts, as in a player's start); the second
// start finds the first one's saves, as a player's next start does. Run under a display, e.g. `xvfb-run -a
// build/bench/bench_window_startup`.
#include <SDL.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>

#include "BenchUtil.h"
#include "app/Application.h"
#include "app/Form.h"
#include "platform/Window.h"

namespace {

struct StartFigures {
    double FirstFrameMs = -1;
    double FirstFrameCpuMs = -1; // processor time used by then (wall time suffers on a busy machine)
    double ResidentMiB = -1;
    int GlMapped = -1;
};

double ResidentMiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    return -1;
}

// Any OpenGL or LLVM (the software rasteriser's compiler) library in this process's map.
bool GlMapped() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line))
        if (line.find("libGL") != std::string::npos || line.find("libLLVM") != std::string::npos ||
            line.find("swrast") != std::string::npos || line.find("libgallium") != std::string::npos)
            return true;
    return false;
}

// One start in this (freshly started) process; `t0` is when its parent started it, and the
// processor time counts from there too (a new process's own).
StartFigures OneStart(double seconds, double t0) {
    StartFigures f;
    auto window = OpenGameWindow();
    TMForm form(*window);
    window->Show();
    while (!form.Terminated() && form.MDXDraw.PresentCount() == 0)
        RunLoopOnce(form, *window, true);
    f.FirstFrameMs = (bench::Now() - t0) * 1000.0;
    f.FirstFrameCpuMs = bench::CpuSeconds() * 1000.0;
    while (bench::Now() - t0 < seconds)
        RunLoopOnce(form, *window, true);
    f.ResidentMiB = ResidentMiB();
    f.GlMapped = GlMapped() ? 1 : 0;
    SaveGameWindow(*window);
    return f;
}

// Runs one start in a new program, as a player's start is: loading and linking the libraries
// count too, not only the game's own start-up.
bool StartInChild(double seconds, StartFigures& out) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::fflush(stdout);
    const std::string secondsArg = std::to_string(seconds), fdArg = std::to_string(fds[1]);
    const std::string t0Arg = std::to_string(bench::Now());
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        execl("/proc/self/exe", "bench_window_startup", "--one-start", secondsArg.c_str(), fdArg.c_str(),
              t0Arg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    const bool got = pid > 0 && read(fds[0], &out, sizeof out) == ssize_t(sizeof out);
    close(fds[0]);
    if (pid > 0) waitpid(pid, nullptr, 0);
    return got && out.FirstFrameMs >= 0;
}

// A desktop always has other clients connected (window manager, panel); a bare Xvfb instead
// resets itself whenever its last client leaves, and the next client's connection waits about
// 100 ms for that. A child process stays connected for the whole run, so that every start is
// timed against a display as a player's, not against the virtual display's reset. It ends when
// the pipe's write end (held by this process) closes.
int KeepDisplayInUse() {
    int fds[2], ready[2];
    if (pipe(fds) != 0) return -1;
    if (pipe(ready) != 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[1]);
        close(ready[0]);
        const char connected = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0 ? 1 : 0;
        (void)!write(ready[1], &connected, 1);
        close(ready[1]);
        char c;
        while (connected && read(fds[0], &c, 1) > 0) {
        }
        _exit(0);
    }
    close(fds[0]);
    close(ready[1]);
    // The first start begins once the keeper is connected (or has given up).
    char connected = 0;
    if (pid > 0) (void)!read(ready[0], &connected, 1);
    close(ready[0]);
    if (pid < 0) {
        close(fds[1]);
        return -1;
    }
    return fds[1];
}

// The started program: one start, its figures written to the pipe its parent gave it.
int RunOneStart(char** argv) {
    const double seconds = std::atof(argv[2]), t0 = std::atof(argv[4]);
    const int fd = std::atoi(argv[3]);
    StartFigures f;
    try {
        f = OneStart(seconds, t0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "window_startup: %s\n", e.what());
    }
    (void)!write(fd, &f, sizeof f);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--one-start") == 0) return RunOneStart(argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::printf("| %-44s | %12s | %-10s | %-16s |\n", "window start-up", "skipped", "no display", "");
        return 0;
    }
    bench::EnterScratchDir("window-startup");
    const int keeper = KeepDisplayInUse();
    const char* names[] = {"first start", "next start"};
    for (const char* name : names) {
        StartFigures f;
        if (!StartInChild(seconds, f)) {
            std::fprintf(stderr, "window_startup: the %s failed\n", name);
            return 1;
        }
        const std::string n = name;
        bench::Row(n + ": first menu frame", f.FirstFrameMs, "ms", "< 150");
        bench::Row(n + ": processor time to it", f.FirstFrameCpuMs, "ms", "");
        bench::Row(n + ": resident memory after " + std::to_string(int(seconds)) + " s", f.ResidentMiB, "MiB",
                   "< 40");
        bench::Row(n + ": OpenGL driver mapped (1 = yes)", f.GlMapped, "", "0 (software path)");
    }
    if (keeper >= 0) close(keeper);
    while (wait(nullptr) > 0) {
    }
    return 0;
}
