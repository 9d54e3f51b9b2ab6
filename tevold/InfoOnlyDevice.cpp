#include "tevold/InfoOnlyDevice.h"

#include "tevold/CamResults.h"

namespace Tevold {

InfoOnlyDevice::InfoOnlyDevice(InfoQuery query) : query_(std::move(query)) {}

CamResult InfoOnlyDevice::GetNumStreams(uint32_t* count) {
    if (count == nullptr) return Result::kInvalidParameter;
    *count = 1;
    return Result::kSuccess;
}

CamResult InfoOnlyDevice::OpenStream(const char*, CamStream**) { return Result::kAccessDenied; }

CamResult InfoOnlyDevice::WriteRegister(uint64_t, const void*, size_t*) {
    return Result::kAccessDenied;
}

CamResult InfoOnlyDevice::ReadRegister(uint64_t, void*, size_t*) { return Result::kAccessDenied; }

CamResult InfoOnlyDevice::QueryInfo(int32_t item, void* buffer, size_t* size) {
    return query_(item, buffer, size);
}

CamResult InfoOnlyDevice::SetEventCallback(DeviceEventCallback, void*) {
    return Result::kAccessDenied;
}

CamResult InfoOnlyDevice::CloseDevice() {
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold
