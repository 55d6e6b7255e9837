// Runs the score service program (spraydash-scores) on a free loopback port for a test.
#pragma once
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

// The program with its own database in dir (or db), its output in dir/server.log, stopped with
// SIGTERM when the object goes away.
class ScoreServerProcess {
  public:
    explicit ScoreServerProcess(const std::filesystem::path& dir, std::vector<std::string> extra = {},
                                std::string db = "")
        : Dir(dir), Db(db.empty() ? (dir / "scores.db").string() : db), Extra(std::move(extra)) {
        Start();
    }
    ~ScoreServerProcess() { Terminate(); }
    ScoreServerProcess(const ScoreServerProcess&) = delete;
    ScoreServerProcess& operator=(const ScoreServerProcess&) = delete;

    // Starts the program again (after Kill or Terminate) on a new free port.
    void Start() {
        Port = 0;
        std::string portFile = (Dir / ("port-" + std::to_string(++Starts))).string();
        std::filesystem::remove(portFile);
        // SPRAYDASH_SCORES_PROGRAM runs another build of it (an installed or a sanitized one).
        const char* program = std::getenv("SPRAYDASH_SCORES_PROGRAM");
        std::vector<std::string> args = {program && *program ? program : SPRAYDASH_SCORESERVER,
                                         "--listen",
                                         "127.0.0.1:0",
                                         "--db",
                                         Db,
                                         "--key",
                                         "S",
                                         "--port-file",
                                         portFile};
        args.insert(args.end(), Extra.begin(), Extra.end());
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        // The output goes to a file, never to the test's own pipes, which a leftover process would
        // otherwise hold open.
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        std::string log = LogPath();
        posix_spawn_file_actions_addopen(&files, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_adddup2(&files, 1, 2);
        if (posix_spawn(&Pid, argv[0], &files, nullptr, argv.data(), environ) != 0) Pid = -1;
        posix_spawn_file_actions_destroy(&files);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (Pid > 0 && Port == 0 && std::chrono::steady_clock::now() < deadline) {
            std::ifstream(portFile) >> Port;
            if (Port != 0) break;
            int status = 0;
            if (waitpid(Pid, &status, WNOHANG) == Pid) {
                Pid = -1;
                ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    // SIGTERM and wait; returns the exit status (-1 when it did not exit normally).
    int Terminate() { return StopWith(SIGTERM); }
    // SIGKILL and wait: the process gets no chance to finish anything.
    void Kill() { StopWith(SIGKILL); }
    // What the program wrote so far.
    std::string Log() const {
        std::ifstream in(LogPath());
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(Port); }

    int Port = 0;
    int ExitStatus = -1;

  private:
    std::string LogPath() const { return (Dir / "server.log").string(); }
    int StopWith(int sig) {
        if (Pid <= 0) return ExitStatus;
        kill(Pid, sig);
        int status = 0;
        waitpid(Pid, &status, 0);
        Pid = -1;
        ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return ExitStatus;
    }

    std::filesystem::path Dir;
    std::string Db;
    std::vector<std::string> Extra;
    pid_t Pid = -1;
    int Starts = 0;
};
