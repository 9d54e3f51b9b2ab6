#include "tevold/StreamParameters.h"

namespace Tevold {

CamResult SetStreamParameter(uint32_t parameter, const void* value, const size_t* size,
                             std::atomic<uint32_t>& grabTimeoutMs) {
    if (value == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    switch (parameter) {
        case kParamGrabTimeout: {
            uint32_t timeoutMs = 0;
            if (*size != sizeof timeoutMs) {
                return Result::kInvalidParameter;
            }
            std::memcpy(&timeoutMs, value, sizeof timeoutMs);
            grabTimeoutMs = timeoutMs;
            return Result::kSuccess;
        }
        case kParamFramesStarted:
        case kParamAcquisitionActive:
        case kParamDefinesPayloadSize:
        case kParamPayloadSize:
        case kParamPixelFormat:
        case kParamWidth:
        case kParamHeight:
            return Result::kAccessDenied;
        default:
            return Result::kInvalidParameter;
    }
}

}  // namespace Tevold
