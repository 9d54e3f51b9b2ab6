#include "tevold/sim/SimDiscoveredDevice.h"

#include "tevold/CamResults.h"
#include "tevold/sim/DeviceInfoQuery.h"

namespace Tevold::Sim {

SimDiscoveredDevice::SimDiscoveredDevice(std::shared_ptr<CameraHardware> camera,
                                         FaultInjector& faults)
    : camera_(std::move(camera)), faults_(faults) {}

CamResult SimDiscoveredDevice::GetNumStreams(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    *count = 1;
    return Result::kSuccess;
}

CamResult SimDiscoveredDevice::OpenStream(const char*, CamStream**) {
    return Result::kAccessDenied;
}

CamResult SimDiscoveredDevice::WriteRegister(uint64_t, const void*, size_t*) {
    return Result::kAccessDenied;
}

CamResult SimDiscoveredDevice::ReadRegister(uint64_t, void*, size_t*) {
    return Result::kAccessDenied;
}

CamResult SimDiscoveredDevice::QueryInfo(int32_t item, void* buffer, size_t* size) {
    return QueryDeviceInfo(*camera_, faults_, item, buffer, size);
}

CamResult SimDiscoveredDevice::SetEventCallback(DeviceEventCallback, void*) {
    return Result::kAccessDenied;
}

CamResult SimDiscoveredDevice::CloseDevice() {
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold::Sim
