#pragma once

#include "tevold/aravis/GLibOwnership.h"

#include <atomic>
#include <mutex>

namespace Tevold::Aravis {

// An open Aravis camera as its device and its stream share it.
struct CameraConnection {
    explicit CameraConnection(ArvDevice* opened) : device(opened) {}

    GObjectPtr<ArvDevice> device;
    // Aravis's GenICam feature nodes are not safe to use from two threads at once; raw memory
    // access is.
    std::mutex featureMutex;
    // Set once the camera is gone or another application took it: nothing will come any more.
    std::atomic<bool> lost{false};
};

}  // namespace Tevold::Aravis
