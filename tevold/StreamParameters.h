// Stream parameters (CamStreamParameter) as every backend's CamStream reads and writes them.
#pragma once

#include "camlib/CamLib.h"
#include "tevold/CamResults.h"

#include <atomic>
#include <cstring>

namespace Tevold {

// Writes one parameter value; *size must be exactly its size.
template <typename Value>
CamResult WriteParameter(Value value, void* destination, const size_t* size) {
    if (*size != sizeof value) {
        return Result::kInvalidParameter;
    }
    std::memcpy(destination, &value, sizeof value);
    return Result::kSuccess;
}

// SetParameter: the grab timeout is the one parameter a caller sets (kept for reading back); the
// others are the camera's and refused.
CamResult SetStreamParameter(uint32_t parameter, const void* value, const size_t* size,
                             std::atomic<uint32_t>& grabTimeoutMs);

}  // namespace Tevold
