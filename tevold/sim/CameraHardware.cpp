#include "tevold/sim/CameraHardware.h"

#include "tevold/CamResults.h"

#include <chrono>

namespace Tevold::Sim {
namespace {

uint64_t Nanoseconds(SimClock::time_point moment) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch()).count());
}

}  // namespace

CameraHardware::CameraHardware(const CameraConfig& config, std::string interfaceName,
                               std::string tlType, const std::atomic<bool>& pacing)
    : config_(config),
      interfaceName_(std::move(interfaceName)),
      tlType_(std::move(tlType)),
      pacing_(pacing),
      registers_(config) {
    RebuildPatternLocked();
}

std::string CameraHardware::UserName() const {
    std::lock_guard lock(mutex_);
    return registers_.Settings().userId;
}

CameraStatus CameraHardware::Status() const {
    std::lock_guard lock(mutex_);
    return {present_, connected_, acquiring_, frameCounter_};
}

bool CameraHardware::Connect() {
    std::lock_guard lock(mutex_);
    if (!present_ || connected_) {
        return false;
    }
    connected_ = true;
    calls_.Record(CameraCall::Connect);
    return true;
}

void CameraHardware::Disconnect() {
    std::lock_guard lock(mutex_);
    StopLocked();
    registers_.ReleaseTransportLock();
    connected_ = false;
}

void CameraHardware::Vanish() {
    std::lock_guard lock(mutex_);
    StopLocked();
    present_ = false;
    acquisitionChanged_.notify_all();
}

CamResult CameraHardware::ReadRegister(uint64_t address, void* buffer, size_t size) const {
    std::lock_guard lock(mutex_);
    if (!present_) {
        return Result::kIo;
    }
    return registers_.Read(address, buffer, size);
}

CamResult CameraHardware::WriteRegister(uint64_t address, const void* buffer, size_t size) {
    std::lock_guard lock(mutex_);
    if (!present_) {
        return Result::kIo;
    }
    RegisterEffect effect = RegisterEffect::None;
    const CamResult result = registers_.Write(address, buffer, size, acquiring_, &effect);
    switch (effect) {
        case RegisterEffect::StartAcquisition:
            StartLocked(kUnlimitedImages);
            break;
        case RegisterEffect::StopAcquisition:
            StopLocked();
            break;
        case RegisterEffect::ImageChanged:
            RebuildPatternLocked();
            break;
        case RegisterEffect::None:
            break;
    }
    return result;
}

CamResult CameraHardware::StartAcquisition(int64_t imageCount) {
    if (imageCount == 0 || imageCount < kUnlimitedImages) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(mutex_);
    if (!present_) {
        return Result::kIo;
    }
    // Every StartGrab counts anew, also one that finds the camera still acquiring.
    framesStarted_ = 0;
    StartLocked(imageCount);
    return Result::kSuccess;
}

void CameraHardware::StopAcquisitionAndAbortGrabs() {
    std::lock_guard lock(mutex_);
    grabsAborted_ = true;
    StopLocked();
    acquisitionChanged_.notify_all();
}

CamResult CameraHardware::EndedGrabResultLocked() const {
    if (grabsAborted_) {
        return kGrabAborted;
    }
    return present_ ? kGrabTimeout : kGrabStreamFailed;
}

CamResult CameraHardware::GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                                    CamImageInfo* info) {
    SimClock::time_point now = SimClock::now();
    const auto deadline = now + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(mutex_);
    const auto stopped = [&] { return grabsAborted_ || !present_; };
    if (!acquiring_ || stopped()) {
        if (!acquisitionChanged_.wait_until(lock, deadline,
                                            [&] { return acquiring_ || stopped(); })) {
            return kGrabTimeout;
        }
        if (stopped()) {
            return EndedGrabResultLocked();
        }
        now = SimClock::now();
    }
    if (destination != nullptr && capacity < pattern_->Format().PayloadSize()) {
        return kGrabBufferTooSmall;
    }
    const uint64_t acquisition = acquisitionNumber_;
    const auto ended = [&] {
        return stopped() || !acquiring_ || acquisitionNumber_ != acquisition;
    };
    // An image nobody takes is sent at the frame rate whether or not images are paced.
    const bool dropping = destination == nullptr;
    while ((pacing_ || dropping) && !ended()) {
        const auto due = schedule_.NextDue();
        if (now >= due) {
            break;
        }
        if (due > deadline) {
            acquisitionChanged_.wait_until(lock, deadline, ended);
            return EndedGrabResultLocked();
        }
        acquisitionChanged_.wait_until(lock, due, ended);
        now = SimClock::now();
    }
    if (ended()) {
        return EndedGrabResultLocked();
    }

    const uint64_t frameId = ++frameCounter_;
    ++framesStarted_;
    const double frameRate = registers_.Settings().frameRate;
    const auto stamp = dropping ? schedule_.BookDroppedImage(frameRate)
                                : schedule_.BookImage(now, pacing_, frameRate);
    const std::shared_ptr<const TestPatternGenerator> pattern = pattern_;
    if (imagesLeft_ > 0 && --imagesLeft_ == 0) {
        StopLocked();
    }
    lock.unlock();

    // The pattern is immutable and the format cannot change while acquiring, so the copy into the
    // destination runs without the lock, beside register accesses.
    if (destination != nullptr &&
        !pattern->Fill(static_cast<uint8_t*>(destination), frameId, grabsAborted_)) {
        return kGrabAborted;
    }
    if (info != nullptr) {
        const ImageFormat& format = pattern->Format();
        info->frameId = frameId;
        info->timestampNs = Nanoseconds(stamp);
        info->pixelFormat = format.pixelFormat;
        info->width = format.width;
        info->height = format.height;
        info->sizeFilled = destination != nullptr ? format.PayloadSize() : 0;
    }
    return kGrabOk;
}

StreamState CameraHardware::Stream() const {
    std::lock_guard lock(mutex_);
    return {framesStarted_, acquiring_, registers_.Settings().format};
}

void CameraHardware::AttachEventSink(EventSink* sink) {
    std::lock_guard lock(mutex_);
    eventSink_ = sink;
}

void CameraHardware::DetachEventSink() {
    std::lock_guard lock(mutex_);
    eventSink_ = nullptr;
}

void CameraHardware::RaiseEvent(uint32_t eventId) {
    std::lock_guard lock(mutex_);
    PostLocked(eventId);
}

void CameraHardware::StartLocked(int64_t imageCount) {
    grabsAborted_ = false;
    if (acquiring_) {
        return;
    }
    acquiring_ = true;
    ++acquisitionNumber_;
    framesStarted_ = 0;
    imagesLeft_ = imageCount;
    schedule_.Restart(SimClock::now());
    PostLocked(kEventAcquisitionStart);
    acquisitionChanged_.notify_all();
}

void CameraHardware::StopLocked() {
    if (!acquiring_) {
        return;
    }
    acquiring_ = false;
    PostLocked(kEventAcquisitionStop);
    acquisitionChanged_.notify_all();
}

void CameraHardware::PostLocked(uint32_t eventId) {
    if (eventSink_ != nullptr) {
        eventSink_->Post({eventId, Nanoseconds(SimClock::now())});
    }
}

void CameraHardware::RebuildPatternLocked() {
    const CameraSettings& settings = registers_.Settings();
    pattern_ = std::make_shared<const TestPatternGenerator>(settings.format, settings.testPattern);
}

}  // namespace Tevold::Sim
