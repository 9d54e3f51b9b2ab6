#pragma once

#include "camlib/CamLib.h"
#include "tevold/EventSink.h"
#include "tevold/SimControl.h"
#include "tevold/sim/CallRecorder.h"
#include "tevold/sim/CameraRegisterSpace.h"
#include "tevold/sim/ChunkLayout.h"
#include "tevold/sim/FrameSchedule.h"
#include "tevold/sim/TestPatternGenerator.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Tevold::Sim {

// What the stream reports about its camera.
struct StreamState {
    int64_t framesStarted = 0;
    bool acquiring = false;
    ImageFormat format;
    size_t payloadSize = 0;  // the image and its chunks
};

// One simulated camera: its registers, its acquisition and its device events. Shared by the world
// and the objects open on it; every member function is thread-safe.
class CameraHardware {
public:
    static constexpr int64_t kUnlimitedImages = -1;
    // How long a DeviceReset keeps the camera away.
    static constexpr std::chrono::milliseconds kRebootTime{1000};

    // A connection's claim on the camera: the power cycle it was made in. A DeviceReset begins a
    // new cycle, and whatever was connected in an earlier one fails from then on, as on a camera
    // that rebooted under its application.
    using Session = uint64_t;

    CameraHardware(const CameraConfig& config, std::string interfaceName, std::string tlType,
                   const std::atomic<bool>& pacing);

    const CameraConfig& Config() const { return config_; }
    const std::string& InterfaceName() const { return interfaceName_; }
    const std::string& TLType() const { return tlType_; }
    std::string UserName() const;
    CameraStatus Status() const;
    // Whether a connection of this session still reaches the camera.
    bool Serves(Session session) const;
    CallRecorder& Calls() { return calls_; }

    // Nothing when someone is connected already, or the camera has vanished or is rebooting.
    std::optional<Session> Connect();
    // Like a camera losing its controlling application: acquisition stops, the image format is
    // free again. A session that a reset ended has nothing left to give up.
    void Disconnect(Session session);
    void Vanish();

    // Register accesses of a connection; kIo once its session has ended.
    CamResult ReadRegister(Session session, uint64_t address, void* buffer, size_t size) const;
    CamResult WriteRegister(Session session, uint64_t address, const void* buffer, size_t size);
    // A write from the control API, as the camera's current connection would make it.
    CamResult ControlWrite(uint64_t address, const void* buffer, size_t size);

    // imageCount: kUnlimitedImages, or the images after which the acquisition stops by itself.
    CamResult StartAcquisition(Session session, int64_t imageCount);
    // Stops the acquisition and ends every grab in progress, and every grab until the next
    // start, with kGrabAborted.
    void StopAcquisitionAndAbortGrabs(Session session);
    // kGrabStreamFailed once the session has ended.
    CamResult GrabImage(Session session, void* destination, size_t capacity, uint32_t timeoutMs,
                        CamImageInfo* info);
    StreamState Stream() const;

    void AttachEventSink(EventSink* sink);
    // Only the sink attached last is detached: a connection of an earlier session closing late
    // leaves the current one's alone.
    void DetachEventSink(EventSink* sink);
    void RaiseEvent(uint32_t eventId);
    // A level change on an input line; triggers wired to it fire on the edges they wait for.
    void SetLineLevel(uint32_t line, bool high);
    // The image the camera would make now with this frame ID, worked out pixel by pixel.
    std::vector<uint8_t> ReferenceImage(uint64_t frameId) const;

private:
    // Present, not rebooting, and the session still the camera's current one.
    bool ServesLocked(Session session, SimClock::time_point now) const;
    bool PresentLocked(SimClock::time_point now) const;
    CamResult WriteRegisterLocked(uint64_t address, const void* buffer, size_t size,
                                  SimClock::time_point now);
    // The camera goes away for kRebootTime and comes back with its startup settings.
    void RebootLocked(SimClock::time_point now);
    void StartLocked(int64_t imageCount);
    void StopLocked();
    void PostLocked(uint32_t eventId, uint64_t timestampNs);
    void RebuildPatternLocked();
    void RebuildLayoutLocked();
    CamResult EndedGrabResultLocked(Session session) const;
    // When the next image is due; nothing while it waits for a trigger.
    std::optional<SimClock::time_point> NextDueLocked() const;
    void FireTriggerLocked(uint32_t trigger, SimClock::time_point now);
    // One step of the auto modes after an image.
    void AdjustAutoLocked();
    uint64_t CameraTime(SimClock::time_point moment) const;
    double TemperatureLocked(SimClock::time_point now) const;
    void SettleTemperatureLocked(SimClock::time_point now);

    const CameraConfig config_;
    const std::string interfaceName_;
    const std::string tlType_;
    const std::atomic<bool>& pacing_;
    CallRecorder calls_;

    mutable std::mutex mutex_;
    std::condition_variable acquisitionChanged_;
    CameraRegisterSpace registers_;
    std::shared_ptr<const TestPatternGenerator> pattern_;
    std::shared_ptr<const ChunkLayout> layout_;
    FrameSchedule schedule_;
    std::deque<SimClock::time_point> frameTriggers_;  // when each triggered frame is due
    bool acquisitionTriggered_ = false;
    std::array<bool, 2> lineLevels_{};
    SimClock::time_point timestampOrigin_{};
    double temperatureStart_;  // °C at temperatureSince_
    SimClock::time_point temperatureSince_;
    bool present_ = true;
    SimClock::time_point backFromReboot_{};
    Session session_ = 0;
    bool connected_ = false;
    bool acquiring_ = false;
    // Written under the mutex; the image writer reads it without, to stop mid-image.
    std::atomic<bool> grabsAborted_{false};
    uint64_t acquisitionNumber_ = 0;  // tells a waiting grab that its acquisition ended
    uint64_t frameCounter_ = 0;
    int64_t framesStarted_ = 0;
    int64_t imagesLeft_ = kUnlimitedImages;
    EventSink* eventSink_ = nullptr;
};

}  // namespace Tevold::Sim
