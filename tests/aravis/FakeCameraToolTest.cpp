// kavrin-fake-camera in its own process: a request that kills Aravis's fake camera does not end
// the tool, which starts the camera again; consumers find it afterwards, and SIGTERM ends it.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>

#include "PrivateNetwork.h"
#include "consumer/ConsumerFixture.h"

extern char** environ;

namespace aravis_tests {
namespace {

using namespace consumer;

constexpr const char* kDeviceId = "Aravis-Fake-KT0002";
constexpr auto kStartLimit = std::chrono::seconds(30);

// The tool with its output read through pipes.
class FakeCameraProcess {
public:
    FakeCameraProcess() {
        if (pipe(out_) != 0 || pipe(err_) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out_[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err_[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, out_[0]);
        posix_spawn_file_actions_addclose(&actions, err_[0]);
        char* const args[] = {const_cast<char*>(KAVRIN_FAKE_CAMERA_PATH), const_cast<char*>("lo"),
                              const_cast<char*>("KT0002"), nullptr};
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

// A GVCP read-memory request for one byte at the top of the address space, which Aravis's fake
// camera does not survive.
void SendDeadlyRead() {
    const int sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sender, 0);
    const uint8_t packet[] = {0x42, 0x01, 0x00, 0x84, 0x00, 0x08, 0x00, 0x07,
                              0xFF, 0xFF, 0xFF, 0xFC, 0x00, 0x00, 0x00, 0x01};
    sockaddr_in camera{};
    camera.sin_family = AF_INET;
    camera.sin_port = htons(3956);
    camera.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(sendto(sender, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&camera),
                     sizeof camera),
              static_cast<ssize_t>(sizeof packet));
    close(sender);
}

TEST(KavrinFakeCamera, ARequestThatKillsTheCameraRestartsItAndTheToolRunsOn) {
    if (!PrivateNetworkUnavailable().empty()) GTEST_SKIP() << PrivateNetworkUnavailable();
    const std::string running = "Aravis-Fake-KT0002 runs on lo";
    FakeCameraProcess tool;
    ASSERT_TRUE(tool.Spawned());
    ASSERT_TRUE(tool.AwaitOutput(running, 1));

    SendDeadlyRead();
    ASSERT_TRUE(tool.AwaitOutput(running, 2)) << "the camera was not started again";
    EXPECT_TRUE(tool.Running());

    // Consumers find the camera started again.
    setenv("KAVRIN_TRANSPORTS", "gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", "lo", 1);
    ASSERT_EQ(Gentl().GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(Gentl().TLOpen(&tl), GC_ERR_SUCCESS);
    ASSERT_EQ(Gentl().TLUpdateInterfaceList(tl, nullptr, 300), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(Gentl().TLOpenInterface(tl, "GEV::lo", &iface), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_TRUE(Eventually([&] {
        Gentl().IFUpdateDeviceList(iface, nullptr, 300);
        const auto ids = DeviceIds(iface);
        return std::find(ids.begin(), ids.end(), kDeviceId) != ids.end();
    }));
    Gentl().GCCloseLib();
    unsetenv("KAVRIN_TRANSPORTS");
    unsetenv("KAVRIN_GEV_INTERFACES");

    const auto [exitCode, err] = tool.Terminate();
    EXPECT_EQ(exitCode, 0) << err;
    EXPECT_THAT(err, ::testing::HasSubstr("the camera died of a request it could not handle"));
}

}  // namespace
}  // namespace aravis_tests
