#include "ToolProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

extern char** environ;

namespace grabtool {
namespace {

// Only keeps a broken tool from hanging the suite; no test depends on it.
constexpr std::chrono::seconds kHangLimit{60};

std::vector<std::string> Environment(const ToolRun& run) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const auto& [name, value] : run.environment)
            replaced |= text.rfind(name + "=", 0) == 0;
        if (!replaced) entries.push_back(text);
    }
    for (const auto& [name, value] : run.environment) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ToolResult RunTool(const ToolRun& run) {
    // The tests of a cross build run under an emulator, which has to start the tool as well.
    std::vector<std::string> args;
    if (!std::string_view(KAVRIN_TEST_EMULATOR).empty()) args.emplace_back(KAVRIN_TEST_EMULATOR);
    args.emplace_back(KAVRIN_GRAB_PATH);
    if (run.giveProducer) args.insert(args.end(), {"--cti", KAVRIN_CTI_PATH});
    args.insert(args.end(), run.args.begin(), run.args.end());
    std::vector<std::string> environment = Environment(run);
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(environment);

    int outPipe[2];
    int errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!run.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, run.workingDirectory.c_str());
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        throw std::runtime_error(std::string("cannot start kavrin-grab: ") +
                                 std::strerror(spawned));
    }

    ToolResult result;
    bool interrupted = false;
    const auto deadline = std::chrono::steady_clock::now() + kHangLimit;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, 100) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char chunk[4096];
            const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[i]->append(chunk, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
        if (!interrupted && run.interruptWhen && run.interruptWhen(result.out)) {
            kill(pid, SIGINT);
            interrupted = true;
        }
    }
    for (const auto& fd : fds) {
        if (fd.fd >= 0) close(fd.fd);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace grabtool
