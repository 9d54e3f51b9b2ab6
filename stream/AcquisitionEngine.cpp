#include "stream/AcquisitionEngine.h"

#include <optional>
#include <system_error>

#include "common/GenICamException.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kGrabTimeoutMs = 100;
// How long the loop rests while the camera reports no acquisition, instead of spinning.
constexpr uint32_t kIdleWaitMs = 5;

// The camera's acquisition state, or none when the camera cannot tell (it is gone).
std::optional<bool> CameraIsAcquiring(Tevold::CamStream& camera) {
    uint32_t active = 0;
    size_t size = sizeof active;
    if (camera.GetParameter(Tevold::kParamAcquisitionActive, &active, &size) != 0) return std::nullopt;
    return active != 0;
}
}  // namespace

AcquisitionEngine::AcquisitionEngine(BufferQueues& queues, Tevold::CamStream& camera)
    : queues_(queues), camera_(camera) {}

AcquisitionEngine::~AcquisitionEngine() {
    std::lock_guard lock(control_);
    EndThread();
}

void AcquisitionEngine::EndThread() {
    stop_.Set();
    if (thread_.joinable()) thread_.join();
}

void AcquisitionEngine::Start(uint64_t imageCount) {
    std::lock_guard lock(control_);
    if (thread_.joinable()) {
        if (running_) GENICAM_THROW(RuntimeException, "Acq Resource in use");
        thread_.join();
    }
    remaining_ = imageCount < kUnlimited ? static_cast<uint32_t>(imageCount) : kUnlimited;
    if (camera_.StartGrab(0, -1) != 0) GENICAM_THROW(RuntimeException, "Unable to start acquisition");
    stop_.Reset();
    queues_.RefreshNewBufferSignal();
    // Set before the thread runs, so the stream reports grabbing from the moment Start returns.
    underruns_ = 0;
    delivered_ = 0;
    grabbing_ = true;
    running_ = true;
    try {
        thread_ = std::thread(&AcquisitionEngine::Run, this);
    } catch (const std::system_error&) {
        running_ = false;
        grabbing_ = false;
        GENICAM_THROW(RuntimeException, "Unable to start acquisition");
    }
}

void AcquisitionEngine::Stop() {
    std::lock_guard lock(control_);
    EndThread();
    if (camera_.StopGrab(0) != 0) GENICAM_THROW(IoException, "Unable to stop acquisition");
}

void AcquisitionEngine::Run() {
    uint32_t timeout = kGrabTimeoutMs;
    size_t size = sizeof timeout;
    camera_.SetParameter(Tevold::kParamGrabTimeout, &timeout, &size);
    while (!stop_.IsSet() && remaining_ != 0 && GrabNext()) {
    }
    grabbing_ = false;
    running_ = false;
}

bool AcquisitionEngine::GrabNext() {
    const std::optional<bool> acquiring = CameraIsAcquiring(camera_);
    if (!acquiring) {
        lastGrabResult_ = Tevold::kGrabStreamFailed;
        return false;
    }
    if (!*acquiring) {
        stop_.Wait(kIdleWaitMs);
        return true;
    }
    CBufferInfo* buffer = queues_.TakeNextToFill();
    return buffer == nullptr ? DropNextImage() : FillBuffer(*buffer);
}

bool AcquisitionEngine::DropNextImage() {
    const Tevold::CamResult result = camera_.GrabImage(nullptr, 0, kGrabTimeoutMs, nullptr);
    lastGrabResult_ = result;
    switch (result) {
        case Tevold::kGrabOk:
        case Tevold::kGrabImageLost: ++underruns_; return true;
        case Tevold::kGrabTimeout: return true;
        default: return false;
    }
}

bool AcquisitionEngine::FillBuffer(CBufferInfo& buffer) {
    BufferFill fill;
    // A buffer announced without memory cannot hold an image: it is reported as incomplete.
    const Tevold::CamResult result =
        buffer.Base() == nullptr
            ? Tevold::kGrabBufferTooSmall
            : camera_.GrabImage(buffer.Base(), buffer.Size(), kGrabTimeoutMs, &fill.image);
    lastGrabResult_ = result;
    switch (result) {
        case Tevold::kGrabOk:
            fill.imagePresent = true;
            Deliver(buffer, fill);
            return true;
        case Tevold::kGrabBufferTooSmall:
            fill.dataLargerThanBuffer = true;
            Deliver(buffer, fill);
            return true;
        case Tevold::kGrabImageLost:
            queues_.ReturnToInput(buffer);
            ++underruns_;
            return true;
        case Tevold::kGrabTimeout:
            queues_.ReturnToInput(buffer);
            return true;
        default:
            queues_.ReturnToInput(buffer);
            return false;
    }
}

void AcquisitionEngine::Deliver(CBufferInfo& buffer, const BufferFill& fill) {
    if (queues_.Deliver(buffer, fill, delivered_) && remaining_ != kUnlimited) --remaining_;
}

}  // namespace GenICam::Client
