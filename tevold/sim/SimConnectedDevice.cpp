#include "tevold/sim/SimConnectedDevice.h"

#include "tevold/CamResults.h"
#include "tevold/sim/DeviceInfoQuery.h"

#include <cstring>

namespace Tevold::Sim {

SimConnectedDevice::SimConnectedDevice(std::shared_ptr<CameraHardware> camera,
                                       CameraHardware::Session session, FaultInjector& faults)
    : camera_(std::move(camera)), session_(session), faults_(faults) {
    camera_->AttachEventSink(&events_);
}

CamResult SimConnectedDevice::GetNumStreams(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    *count = 1;
    return Result::kSuccess;
}

CamResult SimConnectedDevice::OpenStream(const char* streamId, CamStream** stream) {
    if (streamId == nullptr || stream == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::OpenStream, DeviceId())) {
        return *fault;
    }
    if (std::strcmp(streamId, "DS0") != 0) {
        return Result::kInvalidId;
    }
    std::lock_guard lock(streamMutex_);
    if (stream_ != nullptr) {
        return Result::kResourceInUse;
    }
    stream_ = std::make_unique<SimStream>(*this, camera_, session_, faults_);
    camera_->Calls().Record(CameraCall::OpenStream);
    *stream = stream_.get();
    return Result::kSuccess;
}

CamResult SimConnectedDevice::WriteRegister(uint64_t address, const void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::DeviceWriteRegister, DeviceId())) {
        return *fault;
    }
    return camera_->WriteRegister(session_, address, buffer, *size);
}

CamResult SimConnectedDevice::ReadRegister(uint64_t address, void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::DeviceReadRegister, DeviceId())) {
        return *fault;
    }
    return camera_->ReadRegister(session_, address, buffer, *size);
}

CamResult SimConnectedDevice::QueryInfo(int32_t item, void* buffer, size_t* size) {
    return QueryDeviceInfo(*camera_, faults_, item, buffer, size);
}

CamResult SimConnectedDevice::SetEventCallback(DeviceEventCallback callback, void* context) {
    events_.SetCallback(callback, context);
    return Result::kSuccess;
}

CamResult SimConnectedDevice::CloseDevice() {
    if (events_.IsDeliveryThread()) {
        return Result::kResourceInUse;
    }
    camera_->DetachEventSink(&events_);
    events_.Stop();
    {
        std::lock_guard lock(streamMutex_);
        stream_.reset();
    }
    camera_->Calls().Record(CameraCall::CloseDevice);
    camera_->Disconnect(session_);
    delete this;
    return Result::kSuccess;
}

void SimConnectedDevice::ReleaseStream() {
    std::lock_guard lock(streamMutex_);
    stream_.reset();
}

}  // namespace Tevold::Sim
