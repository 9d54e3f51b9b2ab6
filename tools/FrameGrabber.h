// Streams frames from an opened device the way a GenTL consumer does: announce and queue
// buffers, lock the transport parameters, start, take each new buffer from the new-buffer event,
// hand a copy to the frame saver, give it back; then stop, flush, revoke and close, whatever ended
// the grab.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/AttachedDataFeatures.h"
#include "tools/CameraFeatures.h"
#include "tools/FrameWriter.h"
#include "tools/GrabStatistics.h"
#include "tools/InterruptWatcher.h"
#include "tools/OpenedDevice.h"

namespace Kavrin::Tools {

struct GrabRequest {
    uint64_t frames = 10;
    uint32_t buffers = 8;
    uint64_t timeoutMs = 5000;
    const FrameWriter* writer = nullptr;  // no files without one
    std::string bufferMode;               // the stream's StreamBufferHandlingMode, if not empty
    // Above 0: TriggerSoftware at this rate while the grab runs, through an engine over the
    // camera's description.
    double triggerRate = 0;
    const std::string* description = nullptr;
    // When given, each complete frame's chunks are read through it and handed to onChunks.
    AttachedDataFeatures* chunks = nullptr;
    std::function<void(uint64_t frameId, const std::vector<std::pair<std::string, std::string>>&)>
        onChunks;
};

struct GrabOutcome {
    GrabStatistics statistics;
    bool interrupted = false;
    std::exception_ptr failure;  // what ended the grab early, if anything did
};

class FrameGrabber {
public:
    FrameGrabber(OpenedDevice& device, CameraFeatures& features, InterruptWatcher& interrupts);

    // progress runs after each frame with the statistics so far.
    GrabOutcome Run(const GrabRequest& request,
                    const std::function<void(const GrabStatistics&)>& progress);

private:
    OpenedDevice& device_;
    CameraFeatures& features_;
    InterruptWatcher& interrupts_;
};

}  // namespace Kavrin::Tools
