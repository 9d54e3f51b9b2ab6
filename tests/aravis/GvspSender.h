// The stream side of a GigE Vision camera that sends chunk data and answers packet resend
// requests, two things Aravis 0.8's fake camera never does. The fake camera keeps answering
// control (GVCP) and says where the consumer wants the stream; this sends the stream packets
// (GVSP) there itself, and resends held packets when the consumer asks the camera for them.
#pragma once

#include <arv.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace aravis_tests {

class GvspSender {
public:
    // GVSP payload types: an image, and an image whose payload carries chunks.
    static constexpr uint16_t kImage = 0x0001;
    static constexpr uint16_t kImageWithChunks = 0x4001;

    struct Frame {
        uint16_t blockId;
        uint16_t payloadType;
        uint32_t pixelFormat;
        uint32_t width;
        uint32_t height;
        std::vector<uint8_t> payload;
    };

    // camera: the fake camera whose stream channel the consumer set up. Resend requests are
    // watched for on loopback with a packet socket (root or CAP_NET_RAW).
    explicit GvspSender(ArvFakeCamera* camera);
    ~GvspSender();
    GvspSender(const GvspSender&) = delete;
    GvspSender& operator=(const GvspSender&) = delete;

    // Sends a frame's leader, data packets (IDs from 1) and trailer, leaving out the data packets
    // named in held: those go out only when a resend request asks for them.
    void Send(const Frame& frame, const std::set<uint32_t>& held = {});

    // How many packets were sent again on request.
    int ResentPackets() const { return resent_; }

private:
    using Packet = std::vector<uint8_t>;

    std::vector<Packet> PacketsOf(const Frame& frame) const;
    void Transmit(const Packet& packet);
    void AnswerResendRequests();
    void Resend(uint16_t blockId, uint32_t first, uint32_t last);

    ArvFakeCamera* camera_;
    int sender_;
    int watch_;
    std::mutex mutex_;
    std::map<uint16_t, std::vector<Packet>> sent_;
    std::atomic<int> resent_{0};
    std::atomic<bool> stopping_{false};
    std::thread resendAnswerer_;
};

}  // namespace aravis_tests
