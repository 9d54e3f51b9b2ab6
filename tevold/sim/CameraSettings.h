#pragma once

#include "tevold/SimRegisterMap.h"
#include "tevold/sim/ImageFormat.h"

#include <array>
#include <cstdint>
#include <string>

namespace Tevold::Sim {

// How the sensor turns light into pixel values.
struct SensorResponse {
    double exposureTime = kDefaultExposureTime;  // µs
    std::array<double, Gain::kCount> gain{};     // dB, by GainSelector value
    double blackLevel = 0;                       // 8-bit grey levels
    double gamma = 1;
};

struct TriggerSettings {
    bool on = false;
    uint32_t source = Trigger::kSourceSoftware;
    uint32_t activation = Trigger::kRisingEdge;
    double delay = 0;  // µs
};

// What a camera's writable registers hold, in the form the rest of the camera uses.
struct CameraSettings {
    ImageFormat format{kDefaultWidth, kDefaultHeight, PixelFormat::kMono8};
    uint32_t testPattern = TestPattern::kGreyDiagonalRampMoving;
    SensorResponse response;
    uint32_t acquisitionMode = kAcquisitionModeContinuous;
    uint32_t frameCount = 1;
    bool frameRateEnabled = true;
    double frameRate = kDefaultFrameRate;
    uint32_t triggerSelector = Trigger::kFrameStart;
    std::array<TriggerSettings, Trigger::kCount> trigger{};
    uint32_t exposureAuto = kAutoOff;
    uint32_t gainAuto = kAutoOff;
    bool chunkMode = false;
    std::array<bool, Chunk::kCount> chunkEnabled{true};
    std::array<bool, Event::kCount> eventEnabled{};
    uint32_t throughputLimit = 0;  // bytes per second; 0 for no limit
    uint32_t tlParamsLocked = 0;
    std::string userId;

    // Images per second the camera makes: the frame rate when it is enabled, else as fast as
    // it can, and never faster than the exposure and the link allow.
    double ResultingFrameRate() const;
    // Images the acquisition takes before it ends by itself; 0 for no end.
    uint32_t ImagesPerAcquisition() const;
};

}  // namespace Tevold::Sim
