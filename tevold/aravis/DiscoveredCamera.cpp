#include "tevold/aravis/DiscoveredCamera.h"

#include "tevold/CamResults.h"

namespace Tevold::Aravis {

DiscoveredCamera::DiscoveredCamera(CameraRecord camera, std::function<uint32_t()> accessStatus)
    : camera_(std::move(camera)), accessStatus_(std::move(accessStatus)) {}

CamResult DiscoveredCamera::GetNumStreams(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    *count = 1;
    return Result::kSuccess;
}

CamResult DiscoveredCamera::OpenStream(const char*, CamStream**) { return Result::kAccessDenied; }

CamResult DiscoveredCamera::WriteRegister(uint64_t, const void*, size_t*) {
    return Result::kAccessDenied;
}

CamResult DiscoveredCamera::ReadRegister(uint64_t, void*, size_t*) { return Result::kAccessDenied; }

CamResult DiscoveredCamera::QueryInfo(int32_t item, void* buffer, size_t* size) {
    const uint32_t status = item == kItemAccessStatus ? accessStatus_() : kAccessUnknown;
    return QueryCameraInfo(camera_, status, {}, item, buffer, size);
}

CamResult DiscoveredCamera::SetEventCallback(DeviceEventCallback, void*) {
    return Result::kAccessDenied;
}

CamResult DiscoveredCamera::CloseDevice() {
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
