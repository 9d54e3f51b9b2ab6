// The node map a command works on, with whatever has to be open for it: the camera's (over the
// remote device port), or with a module name the producer's own node map of the system, the
// device's interface, the device module or its first data stream.
#pragma once

#include <optional>
#include <string>

#include "tools/CameraFeatures.h"
#include "tools/DeviceCatalog.h"
#include "tools/OpenedDevice.h"
#include "tools/OpenedStream.h"

namespace Kavrin::Tools {

class ModuleNodeMap {
public:
    // module: empty for the camera, else system, interface, device or stream.
    ModuleNodeMap(const DeviceLocation& location, const std::string& module);

    CameraFeatures& Features() { return *features_; }

private:
    std::optional<OpenedDevice> device_;
    std::optional<OpenedStream> stream_;
    std::optional<CameraFeatures> features_;
};

}  // namespace Kavrin::Tools
