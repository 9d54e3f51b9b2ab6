#include "tools/GrabStatistics.h"

#include <cstdio>

namespace Kavrin::Tools {

void GrabStatistics::Count(uint64_t frameId, size_t bytes, bool incomplete,
                           std::optional<uint64_t> timestampNs) {
    last_ = std::chrono::steady_clock::now();
    if (frames_ == 0) first_ = last_;
    everyFrameStamped_ = everyFrameStamped_ && timestampNs.has_value();
    if (timestampNs) {
        if (frames_ == 0) firstStampNs_ = *timestampNs;
        lastStampNs_ = *timestampNs;
    }
    ++frames_;
    bytes_ += bytes;
    if (incomplete) ++incomplete_;
    if (frameId != 0 && lastFrameId_ != 0 && frameId != lastFrameId_ + 1) {
        ++gaps_;
        // A frame ID that goes back is a counter that wrapped or restarted, not a loss we can size.
        if (frameId > lastFrameId_) lost_ += frameId - lastFrameId_ - 1;
    }
    if (frameId != 0) lastFrameId_ = frameId;
}

double GrabStatistics::SpannedSeconds() const {
    // A camera clock that went back (reset mid-grab) spans nothing we can use.
    if (everyFrameStamped_ && lastStampNs_ > firstStampNs_)
        return static_cast<double>(lastStampNs_ - firstStampNs_) / 1e9;
    return std::chrono::duration<double>(last_ - first_).count();
}

double GrabStatistics::Seconds() const {
    if (!HasRate()) return 0.0;
    return SpannedSeconds() * static_cast<double>(frames_) / static_cast<double>(frames_ - 1);
}

double GrabStatistics::FramesPerSecond() const {
    return HasRate() ? static_cast<double>(frames_) / Seconds() : 0.0;
}

double GrabStatistics::MegabytesPerSecond() const {
    return HasRate() ? static_cast<double>(bytes_) / 1e6 / Seconds() : 0.0;
}

std::string GrabStatistics::Summary() const {
    char text[384];
    if (HasRate()) {
        std::snprintf(text, sizeof text, "%llu frames in %.2f s: %.1f fps, %.1f MB/s",
                      static_cast<unsigned long long>(frames_), Seconds(), FramesPerSecond(),
                      MegabytesPerSecond());
    } else {
        std::snprintf(text, sizeof text, "%llu frame%s", static_cast<unsigned long long>(frames_),
                      frames_ == 1 ? "" : "s");
    }
    std::string summary = text;
    std::snprintf(
        text, sizeof text, "; lost %llu, incomplete %llu, underruns %llu, frame-ID gaps %llu",
        static_cast<unsigned long long>(lost_), static_cast<unsigned long long>(incomplete_),
        static_cast<unsigned long long>(underruns_), static_cast<unsigned long long>(gaps_));
    summary += text;
    if (packets_) {
        std::snprintf(text, sizeof text,
                      "; packets received %llu, missing %llu, resent %llu, ignored %llu, resend "
                      "requests %llu",
                      static_cast<unsigned long long>(packets_->received),
                      static_cast<unsigned long long>(packets_->missing),
                      static_cast<unsigned long long>(packets_->resent),
                      static_cast<unsigned long long>(packets_->ignored),
                      static_cast<unsigned long long>(packets_->resendRequests));
        summary += text;
    }
    return summary;
}

}  // namespace Kavrin::Tools
