#include "tevold/sim/CameraSettings.h"

#include "tevold/sim/ChunkLayout.h"

#include <algorithm>

namespace Tevold::Sim {

double CameraSettings::ResultingFrameRate() const {
    double rate = frameRateEnabled ? frameRate : kMaxFrameRate;
    rate = std::min(rate, 1e6 / response.exposureTime);
    if (throughputLimit != 0) {
        const size_t payload =
            ChunkLayout(format.ImageSize(), chunkMode, chunkEnabled, false).PayloadSize();
        rate = std::min(rate, static_cast<double>(throughputLimit) / static_cast<double>(payload));
    }
    return rate;
}

uint32_t CameraSettings::ImagesPerAcquisition() const {
    switch (acquisitionMode) {
        case kAcquisitionModeSingleFrame:
            return 1;
        case kAcquisitionModeMultiFrame:
            return frameCount;
        default:
            return 0;
    }
}

}  // namespace Tevold::Sim
