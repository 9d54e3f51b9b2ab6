#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tevold::Aravis {

// What a GigE Vision camera says about itself in its discovery acknowledge.
struct GevCameraRecord {
    in_addr address{};
    std::string macAddress;  // "00:11:22:33:44:55"
    std::string vendor;
    std::string model;
    std::string version;
    std::string serialNumber;
    std::string userName;
};

// The camera described by the payload of a discovery acknowledge (the bytes after its 8-byte
// header), or none when the payload is too short to hold the fields.
std::optional<GevCameraRecord> ParseDiscoveryReply(const std::vector<uint8_t>& payload);

}  // namespace Tevold::Aravis
