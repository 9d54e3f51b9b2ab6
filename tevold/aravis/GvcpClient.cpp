#include "tevold/aravis/GvcpClient.h"

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

// Field offsets in the discovery acknowledge's payload.
constexpr size_t kMacHigh = 0x0A;
constexpr size_t kCurrentIp = 0x24;
constexpr size_t kVendor = 0x48;
constexpr size_t kModel = 0x68;
constexpr size_t kVersion = 0x88;
constexpr size_t kSerialNumber = 0xD8;
constexpr size_t kUserName = 0xE8;
constexpr size_t kDiscoveryPayload = 0xF8;

uint16_t Read16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }

uint32_t Read32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

void Write16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

// A text field: NUL-padded, not necessarily NUL-terminated.
std::string TextField(const std::vector<uint8_t>& payload, size_t offset, size_t length) {
    const auto* first = reinterpret_cast<const char*>(payload.data() + offset);
    return std::string(first, std::find(first, first + length, '\0'));
}

GevCameraRecord ParseDiscovery(const std::vector<uint8_t>& payload) {
    GevCameraRecord record;
    record.address.s_addr = htonl(Read32(&payload[kCurrentIp]));
    char mac[18];
    const uint8_t* m = &payload[kMacHigh];
    std::snprintf(mac, sizeof mac, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4],
                  m[5]);
    record.macAddress = mac;
    record.vendor = TextField(payload, kVendor, 32);
    record.model = TextField(payload, kModel, 32);
    record.version = TextField(payload, kVersion, 32);
    record.serialNumber = TextField(payload, kSerialNumber, 16);
    record.userName = TextField(payload, kUserName, 16);
    return record;
}

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
        if (payload->size() < kDiscoveryPayload) {
            continue;
        }
        GevCameraRecord record = ParseDiscovery(*payload);
        const bool known = std::any_of(cameras.begin(), cameras.end(), [&](const auto& other) {
            return other.address.s_addr == record.address.s_addr;
        });
        if (!known) {
            cameras.push_back(std::move(record));
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
