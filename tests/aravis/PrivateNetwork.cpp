#include "PrivateNetwork.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace aravis_tests {
namespace {

std::string& Reason() {
    static std::string reason = "the private network was never made";
    return reason;
}

std::string BringLoopbackUp() {
    const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (control < 0) {
        return std::string("no socket: ") + std::strerror(errno);
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    std::string failure;
    if (ioctl(control, SIOCGIFFLAGS, &request) != 0) {
        failure = std::string("cannot read loopback flags: ") + std::strerror(errno);
    } else {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
        if (ioctl(control, SIOCSIFFLAGS, &request) != 0) {
            failure = std::string("cannot bring loopback up: ") + std::strerror(errno);
        }
    }
    close(control);
    return failure;
}

}  // namespace

std::string EnterPrivateNetwork() {
    if (unshare(CLONE_NEWNET) != 0) {
        Reason() = std::string("no private network namespace (unshare: ") + std::strerror(errno) +
                   "; these tests need root or CAP_SYS_ADMIN)";
        return Reason();
    }
    Reason() = BringLoopbackUp();
    return Reason();
}

const std::string& PrivateNetworkUnavailable() { return Reason(); }

}  // namespace aravis_tests
