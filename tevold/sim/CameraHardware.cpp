#include "tevold/sim/CameraHardware.h"

#include "tevold/CamResults.h"
#include "tevold/sim/LittleEndian.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Tevold::Sim {
namespace {

namespace Reg = CameraRegister;

// At most this many frame triggers wait for their images; more are lost, as on a camera whose
// trigger queue is full.
constexpr size_t kMaxPendingTriggers = 1024;
// The board's temperature settles towards its idle value plus a share of the frame rate.
constexpr double kIdleTemperature = 35.0;
constexpr double kDegreesPerFrameRate = 0.02;
constexpr double kTemperatureTimeConstantSeconds = 30.0;
// An auto mode is done once the image is this close to its target.
constexpr double kAutoTolerance = 0.02;

uint64_t Nanoseconds(SimClock::duration duration) {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(duration).count());
}

SimClock::duration Microseconds(double microseconds) {
    return std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double, std::micro>(microseconds));
}

}  // namespace

CameraHardware::CameraHardware(const CameraConfig& config, std::string interfaceName,
                               std::string tlType, const std::atomic<bool>& pacing)
    : config_(config),
      interfaceName_(std::move(interfaceName)),
      tlType_(std::move(tlType)),
      pacing_(pacing),
      registers_(config, TransportOf(tlType_)),
      temperatureStart_(kIdleTemperature),
      temperatureSince_(SimClock::now()) {
    RebuildPatternLocked();
}

std::string CameraHardware::UserName() const {
    std::lock_guard lock(mutex_);
    return registers_.Settings().userId;
}

CameraStatus CameraHardware::Status() const {
    std::lock_guard lock(mutex_);
    return {PresentLocked(SimClock::now()), connected_, acquiring_, frameCounter_};
}

bool CameraHardware::Serves(Session session) const {
    std::lock_guard lock(mutex_);
    return ServesLocked(session, SimClock::now());
}

bool CameraHardware::PresentLocked(SimClock::time_point now) const {
    return present_ && now >= backFromReboot_;
}

bool CameraHardware::ServesLocked(Session session, SimClock::time_point now) const {
    return session == session_ && PresentLocked(now);
}

std::optional<CameraHardware::Session> CameraHardware::Connect() {
    std::lock_guard lock(mutex_);
    if (!PresentLocked(SimClock::now()) || connected_) {
        return std::nullopt;
    }
    connected_ = true;
    calls_.Record(CameraCall::Connect);
    return session_;
}

void CameraHardware::Disconnect(Session session) {
    std::lock_guard lock(mutex_);
    if (session != session_) {
        return;
    }
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

CamResult CameraHardware::ReadRegister(Session session, uint64_t address, void* buffer,
                                       size_t size) const {
    std::lock_guard lock(mutex_);
    const SimClock::time_point now = SimClock::now();
    if (!ServesLocked(session, now)) {
        return Result::kIo;
    }
    if (address == Reg::kDeviceTemperature && size == sizeof(double)) {
        StoreLittleEndianDouble(buffer, TemperatureLocked(now));
        return Result::kSuccess;
    }
    return registers_.Read(address, buffer, size);
}

CamResult CameraHardware::WriteRegister(Session session, uint64_t address, const void* buffer,
                                        size_t size) {
    std::lock_guard lock(mutex_);
    const SimClock::time_point now = SimClock::now();
    if (!ServesLocked(session, now)) {
        return Result::kIo;
    }
    return WriteRegisterLocked(address, buffer, size, now);
}

CamResult CameraHardware::ControlWrite(uint64_t address, const void* buffer, size_t size) {
    std::lock_guard lock(mutex_);
    const SimClock::time_point now = SimClock::now();
    if (!PresentLocked(now)) {
        return Result::kIo;
    }
    return WriteRegisterLocked(address, buffer, size, now);
}

CamResult CameraHardware::WriteRegisterLocked(uint64_t address, const void* buffer, size_t size,
                                              SimClock::time_point now) {
    SettleTemperatureLocked(now);
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
        case RegisterEffect::TriggerSoftware: {
            const uint32_t trigger = registers_.Settings().triggerSelector;
            const TriggerSettings& settings = registers_.Settings().trigger[trigger];
            if (settings.on && settings.source == Trigger::kSourceSoftware) {
                FireTriggerLocked(trigger, now);
            }
            break;
        }
        case RegisterEffect::TimestampLatch:
            registers_.SetMeasured(Reg::kTimestampLatchValue, CameraTime(now));
            break;
        case RegisterEffect::TimestampReset:
            timestampOrigin_ = now;
            break;
        case RegisterEffect::DeviceReset:
            RebootLocked(now);
            break;
        case RegisterEffect::None:
            break;
    }
    RebuildLayoutLocked();
    return result;
}

void CameraHardware::RebootLocked(SimClock::time_point now) {
    StopLocked();
    // The connection learns of it as of a camera whose control channel went silent.
    PostLocked(kEventControlLost, CameraTime(now));
    eventSink_ = nullptr;
    connected_ = false;
    ++session_;
    backFromReboot_ = now + kRebootTime;
    registers_.ReleaseTransportLock();
    registers_.LoadStartupSet();
    RebuildPatternLocked();
    // A camera counts its frames and its time from power-up.
    frameCounter_ = 0;
    timestampOrigin_ = backFromReboot_;
    acquisitionChanged_.notify_all();
}

CamResult CameraHardware::StartAcquisition(Session session, int64_t imageCount) {
    if (imageCount == 0 || imageCount < kUnlimitedImages) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(mutex_);
    if (!ServesLocked(session, SimClock::now())) {
        return Result::kIo;
    }
    // Every StartGrab counts anew, also one that finds the camera still acquiring.
    framesStarted_ = 0;
    StartLocked(imageCount);
    return Result::kSuccess;
}

void CameraHardware::StopAcquisitionAndAbortGrabs(Session session) {
    std::lock_guard lock(mutex_);
    if (session != session_) {
        return;
    }
    grabsAborted_ = true;
    StopLocked();
    acquisitionChanged_.notify_all();
}

CamResult CameraHardware::EndedGrabResultLocked(Session session) const {
    if (!ServesLocked(session, SimClock::now())) {
        return kGrabStreamFailed;
    }
    return grabsAborted_ ? kGrabAborted : kGrabTimeout;
}

std::optional<SimClock::time_point> CameraHardware::NextDueLocked() const {
    const CameraSettings& settings = registers_.Settings();
    if (settings.trigger[Trigger::kAcquisitionStart].on && !acquisitionTriggered_) {
        return std::nullopt;
    }
    if (settings.trigger[Trigger::kFrameStart].on) {
        if (frameTriggers_.empty()) {
            return std::nullopt;
        }
        return std::max(frameTriggers_.front(), schedule_.NextDue());
    }
    return schedule_.NextDue();
}

CamResult CameraHardware::GrabImage(Session session, void* destination, size_t capacity,
                                    uint32_t timeoutMs, CamImageInfo* info) {
    SimClock::time_point now = SimClock::now();
    const auto deadline = now + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(mutex_);
    const auto stopped = [&] { return grabsAborted_ || !ServesLocked(session, SimClock::now()); };
    if (!acquiring_ || stopped()) {
        if (!acquisitionChanged_.wait_until(lock, deadline,
                                            [&] { return acquiring_ || stopped(); })) {
            return kGrabTimeout;
        }
        if (stopped()) {
            return EndedGrabResultLocked(session);
        }
        now = SimClock::now();
    }
    if (destination != nullptr && capacity < layout_->PayloadSize()) {
        return kGrabBufferTooSmall;
    }
    const uint64_t acquisition = acquisitionNumber_;
    const auto ended = [&] {
        return stopped() || !acquiring_ || acquisitionNumber_ != acquisition;
    };
    // An image nobody takes is sent at the frame rate whether or not images are paced.
    const bool dropping = destination == nullptr;
    for (;;) {
        if (ended()) {
            return EndedGrabResultLocked(session);
        }
        const auto due = NextDueLocked();
        if (!due) {
            // Waiting for a trigger: only a trigger or the end of the acquisition helps.
            if (!acquisitionChanged_.wait_until(lock, deadline,
                                                [&] { return ended() || NextDueLocked(); })) {
                return kGrabTimeout;
            }
            now = SimClock::now();
            continue;
        }
        if (!(pacing_ || dropping) || now >= *due) {
            break;
        }
        if (*due > deadline) {
            acquisitionChanged_.wait_until(lock, deadline, ended);
            return EndedGrabResultLocked(session);
        }
        acquisitionChanged_.wait_until(lock, *due, ended);
        now = SimClock::now();
    }

    const CameraSettings& settings = registers_.Settings();
    if (settings.trigger[Trigger::kFrameStart].on) {
        frameTriggers_.pop_front();
    }
    const uint64_t frameId = ++frameCounter_;
    ++framesStarted_;
    const double frameRate = settings.ResultingFrameRate();
    const auto stamp = dropping ? schedule_.BookDroppedImage(frameRate)
                                : schedule_.BookImage(now, pacing_, frameRate);
    const uint64_t timestampNs = CameraTime(stamp);
    const std::shared_ptr<const TestPatternGenerator> pattern = pattern_;
    const std::shared_ptr<const ChunkLayout> layout = layout_;
    const ImageFormat& format = pattern->Format();
    const ChunkValues chunks{timestampNs,
                             frameId,
                             settings.response.exposureTime,
                             settings.response.gain[Gain::kAll],
                             format.width,
                             format.height,
                             format.offsetX,
                             format.offsetY,
                             format.pixelFormat};
    if (settings.eventEnabled[Event::kFrameStart]) {
        PostLocked(Event::kEventIdBase + Event::kFrameStart, timestampNs);
    }
    if (settings.eventEnabled[Event::kExposureEnd]) {
        PostLocked(Event::kEventIdBase + Event::kExposureEnd,
                   timestampNs + Nanoseconds(Microseconds(settings.response.exposureTime)));
    }
    AdjustAutoLocked();
    if (imagesLeft_ > 0 && --imagesLeft_ == 0) {
        StopLocked();
    }
    lock.unlock();

    // The pattern and layout are immutable and the format cannot change while acquiring, so the
    // copy into the destination runs without the lock, beside register accesses.
    if (destination != nullptr) {
        auto* payload = static_cast<uint8_t*>(destination);
        if (!pattern->Fill(payload, frameId, grabsAborted_)) {
            return kGrabAborted;
        }
        layout->Write(payload, chunks);
    }
    if (info != nullptr) {
        info->frameId = frameId;
        info->timestampNs = timestampNs;
        info->pixelFormat = format.pixelFormat;
        info->width = format.width;
        info->height = format.height;
        info->offsetX = format.offsetX;
        info->offsetY = format.offsetY;
        info->sizeFilled = destination != nullptr ? layout->PayloadSize() : 0;
        info->chunkLayoutId = layout->LayoutId();
        info->chunkByteOrder = !layout->Active() ? kChunksNone
                               : TransportOf(tlType_) == Transport::GigEVision
                                   ? kChunksBigEndian
                                   : kChunksLittleEndian;
    }
    return kGrabOk;
}

void CameraHardware::AdjustAutoLocked() {
    const CameraSettings& settings = registers_.Settings();
    const bool exposureAuto = settings.exposureAuto != kAutoOff;
    const bool gainAuto = !exposureAuto && settings.gainAuto != kAutoOff;
    if (!exposureAuto && !gainAuto) {
        return;
    }
    const double mean = pattern_->MeanLevel();
    const double ratio = mean > 0 ? kAutoTarget / mean : 2.0;
    if (std::abs(ratio - 1) <= kAutoTolerance) {
        const bool once = (exposureAuto ? settings.exposureAuto : settings.gainAuto) == kAutoOnce;
        if (once) {
            registers_.SetAutoOff(exposureAuto ? Reg::kExposureAuto : Reg::kGainAuto);
        }
        return;
    }
    const double step = std::clamp(ratio, 0.5, 2.0);
    if (exposureAuto) {
        registers_.SetExposureTime(settings.response.exposureTime * step);
    } else {
        registers_.SetGain(settings.response.gain[Gain::kAll] + 20 * std::log10(step));
    }
    RebuildPatternLocked();
}

StreamState CameraHardware::Stream() const {
    std::lock_guard lock(mutex_);
    return {framesStarted_, acquiring_, registers_.Settings().format, layout_->PayloadSize()};
}

void CameraHardware::AttachEventSink(EventSink* sink) {
    std::lock_guard lock(mutex_);
    eventSink_ = sink;
}

void CameraHardware::DetachEventSink(EventSink* sink) {
    std::lock_guard lock(mutex_);
    if (eventSink_ == sink) {
        eventSink_ = nullptr;
    }
}

void CameraHardware::RaiseEvent(uint32_t eventId) {
    std::lock_guard lock(mutex_);
    PostLocked(eventId, CameraTime(SimClock::now()));
}

void CameraHardware::SetLineLevel(uint32_t line, bool high) {
    std::lock_guard lock(mutex_);
    const bool was = lineLevels_.at(line);
    lineLevels_.at(line) = high;
    if (was == high) {
        return;
    }
    const SimClock::time_point now = SimClock::now();
    for (uint32_t trigger = 0; trigger < Trigger::kCount; ++trigger) {
        const TriggerSettings& settings = registers_.Settings().trigger[trigger];
        const uint32_t edge = high ? Trigger::kRisingEdge : Trigger::kFallingEdge;
        if (settings.on && settings.source == Trigger::kSourceLine0 + line &&
            (settings.activation == edge || settings.activation == Trigger::kAnyEdge)) {
            FireTriggerLocked(trigger, now);
        }
    }
}

std::vector<uint8_t> CameraHardware::ReferenceImage(uint64_t frameId) const {
    std::lock_guard lock(mutex_);
    return pattern_->Reference(frameId);
}

void CameraHardware::FireTriggerLocked(uint32_t trigger, SimClock::time_point now) {
    if (!acquiring_) {
        return;
    }
    const auto due = now + Microseconds(registers_.Settings().trigger[trigger].delay);
    if (trigger == Trigger::kAcquisitionStart) {
        if (!acquisitionTriggered_) {
            acquisitionTriggered_ = true;
            schedule_.Restart(due);
        }
    } else if (frameTriggers_.size() < kMaxPendingTriggers) {
        frameTriggers_.push_back(due);
    }
    acquisitionChanged_.notify_all();
}

void CameraHardware::StartLocked(int64_t imageCount) {
    grabsAborted_ = false;
    if (acquiring_) {
        return;
    }
    SettleTemperatureLocked(SimClock::now());
    acquiring_ = true;
    ++acquisitionNumber_;
    framesStarted_ = 0;
    const int64_t modeCount = registers_.Settings().ImagesPerAcquisition();
    imagesLeft_ = modeCount > 0 && (imageCount == kUnlimitedImages || modeCount < imageCount)
                      ? modeCount
                      : imageCount;
    frameTriggers_.clear();
    acquisitionTriggered_ = false;
    schedule_.Restart(SimClock::now());
    PostLocked(kEventAcquisitionStart, CameraTime(SimClock::now()));
    acquisitionChanged_.notify_all();
}

void CameraHardware::StopLocked() {
    if (!acquiring_) {
        return;
    }
    SettleTemperatureLocked(SimClock::now());
    acquiring_ = false;
    frameTriggers_.clear();
    const uint64_t now = CameraTime(SimClock::now());
    if (registers_.Settings().eventEnabled[Event::kAcquisitionEnd]) {
        PostLocked(Event::kEventIdBase + Event::kAcquisitionEnd, now);
    }
    PostLocked(kEventAcquisitionStop, now);
    acquisitionChanged_.notify_all();
}

void CameraHardware::PostLocked(uint32_t eventId, uint64_t timestampNs) {
    if (eventSink_ != nullptr) {
        eventSink_->Post({eventId, timestampNs, frameCounter_});
    }
}

void CameraHardware::RebuildPatternLocked() {
    const CameraSettings& settings = registers_.Settings();
    pattern_ = std::make_shared<const TestPatternGenerator>(settings.format, settings.testPattern,
                                                            settings.response);
    RebuildLayoutLocked();
}

void CameraHardware::RebuildLayoutLocked() {
    const CameraSettings& settings = registers_.Settings();
    const bool bigEndian = TransportOf(tlType_) == Transport::GigEVision;
    layout_ = std::make_shared<const ChunkLayout>(settings.format.ImageSize(), settings.chunkMode,
                                                  settings.chunkEnabled, bigEndian);
}

uint64_t CameraHardware::CameraTime(SimClock::time_point moment) const {
    return moment > timestampOrigin_ ? Nanoseconds(moment - timestampOrigin_) : 0;
}

double CameraHardware::TemperatureLocked(SimClock::time_point now) const {
    const double target =
        kIdleTemperature +
        (acquiring_ ? kDegreesPerFrameRate * registers_.Settings().ResultingFrameRate() : 0);
    const double seconds = std::chrono::duration<double>(now - temperatureSince_).count();
    return target +
           (temperatureStart_ - target) * std::exp(-seconds / kTemperatureTimeConstantSeconds);
}

void CameraHardware::SettleTemperatureLocked(SimClock::time_point now) {
    temperatureStart_ = TemperatureLocked(now);
    temperatureSince_ = now;
}

}  // namespace Tevold::Sim
