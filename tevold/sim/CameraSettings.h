#pragma once

#include "tevold/SimRegisterMap.h"
#include "tevold/sim/ImageFormat.h"

#include <cstdint>
#include <string>

namespace Tevold::Sim {

// What a camera's writable registers hold.
struct CameraSettings {
    ImageFormat format{kDefaultWidth, kDefaultHeight, PixelFormat::kMono8};
    uint32_t testPattern = TestPattern::kGreyDiagonalRampMoving;
    uint32_t acquisitionMode = kAcquisitionModeContinuous;
    uint32_t tlParamsLocked = 0;
    double frameRate = kDefaultFrameRate;
    std::string userId;
};

}  // namespace Tevold::Sim
