#pragma once

// Starts veld-sim (POSIX only) and hands out the pseudo-terminal path it prints first. It ends
// by itself after a minute without input, so a test that dies leaves nothing running for long;
// the destructor kills it.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace veld::testing {

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args = {}) {
        args.insert(args.begin(), {VELD_SIM_PATH, "--idle-timeout", "60"});
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
        if (pid_ > 0)
            path_ = readLine();
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            close(stdout_);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The pseudo-terminal's path; empty when the simulator printed none (a refused option).
    const std::string& path() const { return path_; }
    void terminate() const {
        if (pid_ > 0)
            kill(pid_, SIGTERM);
    }
    // Waits for the end: the exit status (128 + signal when killed), or -1 when it has not
    // ended within the limit.
    int waitForExit(std::chrono::milliseconds limit) {
        using namespace std::chrono_literals;
        for (auto waited = 0ms; pid_ > 0 && waited < limit; waited += 10ms) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            poll(nullptr, 0, 10);
        }
        return -1;
    }

private:
    // The first line of standard output; a slow sanitizer build gets ten seconds to print it.
    std::string readLine() const {
        std::string line;
        char c = 0;
        while (line.size() < 4096) {
            pollfd p{stdout_, POLLIN, 0};
            if (poll(&p, 1, 10000) <= 0 || read(stdout_, &c, 1) != 1 || c == '\n')
                break;
            line += c;
        }
        return line;
    }

    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string path_;
};

}  // namespace veld::testing
