// Runs the reference score server program on a free loopback port for a test.
#pragma once
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

// Runs the reference server program on a free loopback port with its own database.
class ScoreServerProcess {
public:
    explicit ScoreServerProcess(const std::filesystem::path& dir) {
        std::string portFile = (dir / "port").string(), db = (dir / "scores.db").string();
        std::vector<std::string> args = {SPRAYDASH_SCORESERVER, "--port", "0", "--db", db, "--key", "S",
                                         "--port-file", portFile, "--idle-exit", "60"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&Pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) Pid = -1;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Pid > 0 && Port == 0 && std::chrono::steady_clock::now() < deadline) {
            std::ifstream(portFile) >> Port;
            if (Port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~ScoreServerProcess() {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            int status = 0;
            waitpid(Pid, &status, 0);
        }
    }
    int Port = 0;

private:
    pid_t Pid = -1;
};
