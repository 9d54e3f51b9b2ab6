#include "tevold/sim/SimInterface.h"

#include "tevold/CamResults.h"
#include "tevold/InfoOnlyDevice.h"
#include "tevold/TextOutput.h"
#include "tevold/sim/DeviceInfoQuery.h"
#include "tevold/sim/SimConnectedDevice.h"

namespace Tevold::Sim {

SimInterface::SimInterface(std::shared_ptr<InterfaceHardware> hardware, FaultInjector& faults)
    : hardware_(std::move(hardware)), faults_(faults), deviceIds_(hardware_->DeviceIds()) {}

CamResult SimInterface::CountDevices(uint32_t* count, uint32_t /*timeoutMs*/) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::CountDevices, hardware_->Name())) {
        return *fault;
    }
    std::lock_guard lock(mutex_);
    deviceIds_ = hardware_->DeviceIds();
    *count = static_cast<uint32_t>(deviceIds_.size());
    return Result::kSuccess;
}

CamResult SimInterface::GetDeviceName(uint32_t index, char* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    if (index >= deviceIds_.size()) {
        return Result::kInvalidParameter;
    }
    return WriteText(deviceIds_[index], buffer, size);
}

CamResult SimInterface::FindDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    auto camera = hardware_->FindCamera(name);
    if (camera == nullptr) {
        return Result::kInvalidId;
    }
    *device = new InfoOnlyDevice(
        [camera = std::move(camera), &faults = faults_](int32_t item, void* buffer, size_t* size) {
            return QueryDeviceInfo(*camera, faults, item, buffer, size);
        });
    return Result::kSuccess;
}

CamResult SimInterface::ConnectDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::ConnectDevice, name)) {
        return *fault;
    }
    auto camera = hardware_->FindCamera(name);
    if (camera == nullptr) {
        return Result::kInvalidId;
    }
    const std::optional<CameraHardware::Session> session = camera->Connect();
    if (!session) {
        return Result::kAccessDenied;
    }
    *device = new SimConnectedDevice(std::move(camera), *session, faults_);
    return Result::kSuccess;
}

CamResult SimInterface::WriteRegister(uint64_t address, const void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::InterfaceWriteRegister, hardware_->Name())) {
        return *fault;
    }
    if (!hardware_->IsPresent()) {
        return Result::kIo;
    }
    return hardware_->Registers().Write(address, *size);
}

CamResult SimInterface::ReadRegister(uint64_t address, void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = faults_.Take(Operation::InterfaceReadRegister, hardware_->Name())) {
        return *fault;
    }
    if (!hardware_->IsPresent()) {
        return Result::kIo;
    }
    return hardware_->Registers().Read(address, buffer, *size);
}

CamResult SimInterface::CloseInterface() {
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold::Sim
