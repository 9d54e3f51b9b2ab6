// kavrin-fake-camera in a process of its own (on loopback), its output read through pipes.
#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <string>
#include <utility>

extern char** environ;

namespace aravis_tests {

constexpr auto kStartLimit = std::chrono::seconds(30);

class FakeCameraProcess {
public:
    explicit FakeCameraProcess(const char* serialNumber) {
        if (pipe(out_) != 0 || pipe(err_) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out_[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err_[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out_[0]);
        posix_spawn_file_actions_addclose(&actions, err_[0]);
        char* const args[] = {const_cast<char*>(KAVRIN_FAKE_CAMERA_PATH), const_cast<char*>("lo"),
                              const_cast<char*>(serialNumber), nullptr};
        if (posix_spawn(&pid_, KAVRIN_FAKE_CAMERA_PATH, &actions, nullptr, args, environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out_[1]);
        close(err_[1]);
    }
    ~FakeCameraProcess() {
        if (pid_ > 0 && Running()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_[0]);
        close(err_[0]);
    }
    FakeCameraProcess(const FakeCameraProcess&) = delete;
    FakeCameraProcess& operator=(const FakeCameraProcess&) = delete;

    bool Spawned() const { return pid_ > 0; }
    bool Running() { return waitpid(pid_, &status_, WNOHANG) == 0; }

    // Reads the output until it holds text count times, or the limit passes.
    bool AwaitOutput(const std::string& text, size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
        while (Occurrences(text) < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd ready{out_[0], POLLIN, 0};
            if (left.count() <= 0 || poll(&ready, 1, static_cast<int>(left.count())) <= 0)
                return false;
            std::array<char, 512> chunk{};
            const ssize_t got = read(out_[0], chunk.data(), chunk.size());
            if (got <= 0) return false;
            out_text_.append(chunk.data(), static_cast<size_t>(got));
        }
        return true;
    }

    // SIGTERM, then the exit status and what the tool said on stderr.
    std::pair<int, std::string> Terminate() {
        kill(pid_, SIGTERM);
        waitpid(pid_, &status_, 0);
        std::string err;
        std::array<char, 512> chunk{};
        for (ssize_t got; (got = read(err_[0], chunk.data(), chunk.size())) > 0;)
            err.append(chunk.data(), static_cast<size_t>(got));
        pid_ = -1;
        return {WIFEXITED(status_) ? WEXITSTATUS(status_) : -WTERMSIG(status_), err};
    }

private:
    size_t Occurrences(const std::string& text) const {
        size_t count = 0;
        for (size_t at = out_text_.find(text); at != std::string::npos;
             at = out_text_.find(text, at + 1))
            ++count;
        return count;
    }

    pid_t pid_ = -1;
    int out_[2] = {-1, -1};
    int err_[2] = {-1, -1};
    int status_ = 0;
    std::string out_text_;
};

}  // namespace aravis_tests
