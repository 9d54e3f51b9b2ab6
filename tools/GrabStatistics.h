// What a grab achieved: frames, rate, throughput, and every way frames went missing.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace Kavrin::Tools {

// A stream's transport statistics, as a producer that counts packets reports them.
struct PacketCounts {
    uint64_t received = 0;
    uint64_t missing = 0;
    uint64_t resent = 0;
    uint64_t ignored = 0;
    uint64_t resendRequests = 0;
};

class GrabStatistics {
public:
    // One delivered buffer. Frame ID 0 means the producer gives none; timestampNs is the
    // camera's time of the frame, when the producer gives it.
    void Count(uint64_t frameId, size_t bytes, bool incomplete,
               std::optional<uint64_t> timestampNs = std::nullopt);
    // The stream's own counter of frames lost for want of a queued buffer.
    void SetUnderruns(uint64_t underruns) { underruns_ = underruns; }
    // The stream's packet counters, where the producer gives them.
    void SetPackets(const std::optional<PacketCounts>& packets) { packets_ = packets; }

    uint64_t Frames() const { return frames_; }
    uint64_t Incomplete() const { return incomplete_; }
    uint64_t Gaps() const { return gaps_; }
    uint64_t Lost() const { return lost_; }
    uint64_t Underruns() const { return underruns_; }
    const std::optional<PacketCounts>& Packets() const { return packets_; }
    // The time the frames took: N frames arriving over N - 1 frame periods took N periods, so the
    // first frame's period counts too. The periods are the camera's when every frame carries its
    // timestamp (the host's arrival times jitter with its scheduling), else the host's. Zero
    // until two frames came; one frame gives no rate.
    double Seconds() const;
    bool HasRate() const { return frames_ > 1 && SpannedSeconds() > 0; }
    double FramesPerSecond() const;
    double MegabytesPerSecond() const;
    // "100 frames in 3.30 s: 30.3 fps, 9.3 MB/s; lost 0, incomplete 0, underruns 0, frame-ID gaps
    // 0" ("1 frame; lost 0, ..." without a rate), then, with packet counters, "; packets received
    // 2900, missing 12, resent 10, ignored 0, resend requests 3"
    std::string Summary() const;

private:
    double SpannedSeconds() const;

    std::chrono::steady_clock::time_point first_{};
    std::chrono::steady_clock::time_point last_{};
    uint64_t frames_ = 0;
    uint64_t bytes_ = 0;
    uint64_t incomplete_ = 0;
    uint64_t gaps_ = 0;
    uint64_t lost_ = 0;
    uint64_t underruns_ = 0;
    uint64_t lastFrameId_ = 0;
    bool everyFrameStamped_ = true;
    uint64_t firstStampNs_ = 0;
    uint64_t lastStampNs_ = 0;
    std::optional<PacketCounts> packets_;
};

}  // namespace Kavrin::Tools
