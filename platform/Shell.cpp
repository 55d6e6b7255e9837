#include "platform/Shell.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

std::vector<std::string>* Recorder = nullptr;

// Finds an executable by name along PATH, before forking (only async-signal-safe calls after).
std::string FindInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

} // namespace

bool OpenUrl(const std::string& url) {
    if (Recorder) {
        Recorder->push_back(url);
        return true;
    }
    std::string opener = FindInPath("xdg-open");
    if (opener.empty()) return false;
    std::string arg0 = "xdg-open";
    char* argv[] = {arg0.data(), const_cast<char*>(url.c_str()), nullptr};
    // Two forks: the middle child exits at once and is reaped here, so the opener is adopted by
    // init and never left behind as a zombie, and the game does not wait for the browser.
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::execv(opener.c_str(), argv);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return true; // reaped elsewhere; the opener was started
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RecordOpenedUrls(std::vector<std::string>* sink) {
    Recorder = sink;
}

} // namespace platform
