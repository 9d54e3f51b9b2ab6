#pragma once

#include <netinet/in.h>

#include "tevold/aravis/GevDiscoveryReply.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Tevold::Aravis {

// The two GigE Vision control requests that come before a camera is opened: discovery, and the
// read of one bootstrap register (who holds the camera). Aravis 0.8 can do both only on every
// network interface at once; this sends them from one interface's address alone. Everything
// after it (control, heartbeat, streaming) is Aravis's.
class GvcpClient {
public:
    // Binds a UDP socket to the interface address; throws std::system_error when it cannot.
    explicit GvcpClient(const in_addr& localAddress);
    ~GvcpClient();
    GvcpClient(const GvcpClient&) = delete;
    GvcpClient& operator=(const GvcpClient&) = delete;

    // Every camera that answers within wait, each once.
    std::vector<GevCameraRecord> Discover(const in_addr& target, std::chrono::milliseconds wait);
    // The register's value, or none when the camera does not answer or refuses.
    std::optional<uint32_t> ReadRegister(const in_addr& camera, uint32_t address,
                                         std::chrono::milliseconds wait);

private:
    void Send(const in_addr& target, const uint8_t* packet, size_t size);
    // The payload of the next acknowledge answering requestId, or none at the deadline.
    std::optional<std::vector<uint8_t>> Receive(uint16_t answer, uint16_t requestId,
                                                std::chrono::steady_clock::time_point deadline);

    int socket_ = -1;
    uint16_t nextRequestId_ = 1;
};

// The control channel privilege register: non-zero while some application controls the camera.
constexpr uint32_t kControlChannelPrivilege = 0x0A00;

}  // namespace Tevold::Aravis
