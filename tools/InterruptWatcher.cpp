#include "tools/InterruptWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

namespace Kavrin::Tools {

InterruptWatcher::InterruptWatcher() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &signals_, &previousMask_) != 0) {
        throw std::runtime_error("cannot block SIGINT");
    }
    signalFd_ = signalfd(-1, &signals_, SFD_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    if (signalFd_ < 0 || wakeFd_ < 0) {
        const std::string reason = std::strerror(errno);
        if (signalFd_ >= 0) close(signalFd_);
        if (wakeFd_ >= 0) close(wakeFd_);
        pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
        throw std::runtime_error("cannot watch for SIGINT: " + reason);
    }
    thread_ = std::thread([this] { Watch(); });
}

InterruptWatcher::~InterruptWatcher() {
    const uint64_t one = 1;
    while (write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread_.join();
    close(signalFd_);
    close(wakeFd_);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void InterruptWatcher::SetAction(std::function<void()> action) {
    std::lock_guard<std::mutex> lock(actionMutex_);
    action_ = std::move(action);
}

void InterruptWatcher::Watch() {
    pollfd watched[2] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    for (;;) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (watched[1].revents != 0) return;
        signalfd_siginfo info{};
        if (read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
        interrupted_ = true;
        std::lock_guard<std::mutex> lock(actionMutex_);
        if (action_) action_();
    }
}

}  // namespace Kavrin::Tools
