#include "tevold/aravis/GevDiscoveryReply.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>

#include "tevold/aravis/BigEndian.h"

namespace Tevold::Aravis {
namespace {

// Field offsets in the discovery acknowledge's payload.
constexpr size_t kMacHigh = 0x0A;
constexpr size_t kCurrentIp = 0x24;
constexpr size_t kVendor = 0x48;
constexpr size_t kModel = 0x68;
constexpr size_t kVersion = 0x88;
constexpr size_t kSerialNumber = 0xD8;
constexpr size_t kUserName = 0xE8;
constexpr size_t kDiscoveryPayload = 0xF8;

// A text field: NUL-padded, not necessarily NUL-terminated.
std::string TextField(const std::vector<uint8_t>& payload, size_t offset, size_t length) {
    const auto* first = reinterpret_cast<const char*>(payload.data() + offset);
    return std::string(first, std::find(first, first + length, '\0'));
}

}  // namespace

std::optional<GevCameraRecord> ParseDiscoveryReply(const std::vector<uint8_t>& payload) {
    if (payload.size() < kDiscoveryPayload) return std::nullopt;
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

}  // namespace Tevold::Aravis
