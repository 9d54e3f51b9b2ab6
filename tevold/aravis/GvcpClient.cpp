#include "tevold/aravis/GvcpClient.h"

#include "tevold/aravis/BigEndian.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace Tevold::Aravis {
namespace {

constexpr uint16_t kGvcpPort = 3956;
constexpr uint8_t kKey = 0x42;
constexpr uint8_t kFlagAcknowledge = 0x01;
constexpr uint8_t kFlagAllowBroadcastAcknowledge = 0x10;
constexpr uint16_t kDiscoveryCommand = 0x0002;
constexpr uint16_t kDiscoveryAnswer = 0x0003;
constexpr uint16_t kReadRegisterCommand = 0x0080;
constexpr uint16_t kReadRegisterAnswer = 0x0081;
constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxPacket = 576;

}  // namespace

GvcpClient::GvcpClient(const in_addr& localAddress) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        throw std::system_error(errno, std::generic_category(), "GVCP socket");
    }
    const int on = 1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = localAddress;
    if (setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        const int error = errno;
        ::close(socket_);
        throw std::system_error(error, std::generic_category(), "GVCP socket");
    }
}

GvcpClient::~GvcpClient() { ::close(socket_); }

std::vector<GevCameraRecord> GvcpClient::Discover(const in_addr& target,
                                                  std::chrono::milliseconds wait) {
    const uint16_t requestId = nextRequestId_++;
    std::array<uint8_t, kHeaderSize> packet{kKey,
                                            kFlagAcknowledge | kFlagAllowBroadcastAcknowledge};
    Write16(&packet[2], kDiscoveryCommand);
    Write16(&packet[6], requestId);
    Send(target, packet.data(), packet.size());

    std::vector<GevCameraRecord> cameras;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    while (const auto payload = Receive(kDiscoveryAnswer, requestId, deadline)) {
        auto record = ParseDiscoveryReply(*payload);
        if (!record) {
            continue;
        }
        const bool known = std::any_of(cameras.begin(), cameras.end(), [&](const auto& other) {
            return other.address.s_addr == record->address.s_addr;
        });
        if (!known) {
            cameras.push_back(std::move(*record));
        }
    }
    return cameras;
}

std::optional<uint32_t> GvcpClient::ReadRegister(const in_addr& camera, uint32_t address,
                                                 std::chrono::milliseconds wait) {
    const uint16_t requestId = nextRequestId_++;
    std::array<uint8_t, kHeaderSize + 4> packet{kKey, kFlagAcknowledge};
    Write16(&packet[2], kReadRegisterCommand);
    Write16(&packet[4], 4);
    Write16(&packet[6], requestId);
    Write16(&packet[8], static_cast<uint16_t>(address >> 16));
    Write16(&packet[10], static_cast<uint16_t>(address));
    Send(camera, packet.data(), packet.size());
    const auto payload =
        Receive(kReadRegisterAnswer, requestId, std::chrono::steady_clock::now() + wait);
    if (!payload || payload->size() < 4) {
        return std::nullopt;
    }
    return Read32(payload->data());
}

void GvcpClient::Send(const in_addr& target, const uint8_t* packet, size_t size) {
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(kGvcpPort);
    destination.sin_addr = target;
    // A failed send shows as no answer.
    (void)sendto(socket_, packet, size, 0, reinterpret_cast<const sockaddr*>(&destination),
                 sizeof destination);
}

std::optional<std::vector<uint8_t>> GvcpClient::Receive(
    uint16_t answer, uint16_t requestId, std::chrono::steady_clock::time_point deadline) {
    std::array<uint8_t, kMaxPacket> packet{};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        pollfd ready{socket_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        const ssize_t received = recv(socket_, packet.data(), packet.size(), 0);
        if (received < static_cast<ssize_t>(kHeaderSize)) {
            continue;
        }
        const uint16_t status = Read16(&packet[0]);
        const size_t length = Read16(&packet[4]);
        if (Read16(&packet[2]) != answer || Read16(&packet[6]) != requestId || status != 0 ||
            kHeaderSize + length > static_cast<size_t>(received)) {
            continue;
        }
        return std::vector<uint8_t>(packet.begin() + kHeaderSize,
                                    packet.begin() + kHeaderSize + length);
    }
}

}  // namespace Tevold::Aravis
