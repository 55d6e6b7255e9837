// Small helpers shared by the benchmarks: a scratch working directory with the built game data,
// peak memory, and a table row printer.
#pragma once
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace bench {

// Enters a fresh folder whose Data/Res and Data/Music link to the built data, so a benchmark
// never writes saves into the build folder's own Data/Save.
inline void EnterScratchDir(const std::string& name) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("spraydash-bench-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir / "Data" / "Save");
    for (const char* sub : {"Res", "Music", "Fonts"}) {
        fs::path target = fs::path(SPRAYDASH_DATA_DIR) / sub;
        if (fs::exists(target)) fs::create_directory_symlink(target, dir / "Data" / sub);
    }
    fs::current_path(dir);
}

// Peak resident memory of this process so far, in MiB.
inline double PeakMemoryMiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}

// CPU time (user + system) of this process so far, in seconds.
inline double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// One line of the benchmark table: "| name | value | unit | goal |".
inline void Row(const std::string& name, double value, const std::string& unit,
                const std::string& goal = "") {
    std::printf("| %-44s | %12.3f | %-10s | %-16s |\n", name.c_str(), value, unit.c_str(), goal.c_str());
}

} // namespace bench
