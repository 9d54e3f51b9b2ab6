#include "tevold/aravis/AravisCamera.h"

#include "tevold/CamResults.h"
#include "tevold/aravis/AravisErrors.h"

#include <chrono>
#include <cstring>
#include <limits>

namespace Tevold::Aravis {
namespace {

std::string DescriptionOf(ArvDevice* device) {
    size_t size = 0;
    const char* xml = arv_device_get_genicam_xml(device, &size);
    return xml == nullptr ? std::string() : std::string(xml, size);
}

uint64_t SteadyNowNs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

AravisCamera::AravisCamera(ArvDevice* opened, CameraRecord camera, CameraWatch::Probe probe,
                           std::chrono::milliseconds silenceLimit,
                           std::shared_ptr<DeferredRelease> release)
    : connection_(opened),
      camera_(std::move(camera)),
      description_(DescriptionOf(opened), camera_.model),
      release_(std::move(release)) {
    CompleteRecord();
    controlLostHandler_ =
        g_signal_connect(opened, "control-lost", G_CALLBACK(&AravisCamera::OnControlLost), this);
    if (probe) {
        CameraWatch::Timing timing;
        timing.silence = silenceLimit;
        watch_ = std::make_unique<CameraWatch>(
            std::move(probe), [this] { MarkLost(); }, timing);
    }
}

void AravisCamera::CompleteRecord() {
    const auto fill = [this](std::string& text, const char* feature) {
        if (!text.empty() ||
            !arv_device_is_feature_available(connection_.device.get(), feature, nullptr)) {
            return;
        }
        ErrorSlot error;
        const char* value =
            arv_device_get_string_feature_value(connection_.device.get(), feature, error);
        if (value != nullptr) {
            text = value;
        }
    };
    fill(camera_.version, "DeviceVersion");
    fill(camera_.userName, "DeviceUserID");
}

void AravisCamera::OnControlLost(ArvDevice*, void* self) {
    static_cast<AravisCamera*>(self)->MarkLost();
}

void AravisCamera::MarkLost() {
    if (!connection_.lost.exchange(true)) {
        events_.Post({kEventControlLost, SteadyNowNs()});
    }
}

CamResult AravisCamera::GetNumStreams(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    *count = 1;
    return Result::kSuccess;
}

CamResult AravisCamera::OpenStream(const char* streamId, CamStream** stream) {
    if (streamId == nullptr || stream == nullptr) {
        return Result::kInvalidParameter;
    }
    if (std::strcmp(streamId, "DS0") != 0) {
        return Result::kInvalidId;
    }
    std::lock_guard lock(streamMutex_);
    if (stream_ != nullptr) {
        return Result::kResourceInUse;
    }
    stream_ = AravisStream::Open(*this, connection_);
    if (stream_ == nullptr) {
        return Result::kIo;
    }
    *stream = stream_.get();
    return Result::kSuccess;
}

CamResult AravisCamera::WriteRegister(uint64_t address, const void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr || *size > std::numeric_limits<uint32_t>::max()) {
        return Result::kInvalidParameter;
    }
    if (description_.Covers(address)) {
        return Result::kAccessDenied;
    }
    if (connection_.lost) {
        return Result::kNotAvailable;
    }
    ErrorSlot error;
    // Aravis takes the bytes to write through a non-const pointer but only reads them.
    if (!arv_device_write_memory(connection_.device.get(), address, static_cast<uint32_t>(*size),
                                 const_cast<void*>(buffer), error)) {
        return RegisterResultOf(error.Get());
    }
    return Result::kSuccess;
}

CamResult AravisCamera::ReadRegister(uint64_t address, void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr || *size > std::numeric_limits<uint32_t>::max()) {
        return Result::kInvalidParameter;
    }
    if (description_.Covers(address)) {
        return description_.Read(address, buffer, *size);
    }
    if (connection_.lost) {
        return Result::kNotAvailable;
    }
    ErrorSlot error;
    if (!arv_device_read_memory(connection_.device.get(), address, static_cast<uint32_t>(*size),
                                buffer, error)) {
        return RegisterResultOf(error.Get());
    }
    return Result::kSuccess;
}

CamResult AravisCamera::QueryInfo(int32_t item, void* buffer, size_t* size) {
    return QueryCameraInfo(camera_, kAccessBusy, description_.Url(), item, buffer, size);
}

CamResult AravisCamera::SetEventCallback(DeviceEventCallback callback, void* context) {
    events_.SetCallback(callback, context);
    return Result::kSuccess;
}

CamResult AravisCamera::CloseDevice() {
    if (events_.IsDeliveryThread()) {
        return Result::kResourceInUse;
    }
    if (watch_ != nullptr) {
        watch_->Stop();
    }
    ReleaseStream();
    g_signal_handler_disconnect(connection_.device.get(), controlLostHandler_);
    // Dropping the last reference joins Aravis's heartbeat thread and gives the camera back.
    Unref(connection_.device.release());
    events_.Stop();
    delete this;
    return Result::kSuccess;
}

void AravisCamera::Unref(void* object) {
    if (connection_.lost && release_ != nullptr) {
        release_->Hand([object] { g_object_unref(object); });
    } else {
        g_object_unref(object);
    }
}

void AravisCamera::ReleaseStream() {
    std::lock_guard lock(streamMutex_);
    stream_.reset();
}

}  // namespace Tevold::Aravis
