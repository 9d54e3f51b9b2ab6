#pragma once

#include "tevold/InterfaceRegisterSpace.h"
#include "tevold/SimControl.h"
#include "tevold/sim/CameraHardware.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tevold::Sim {

// One simulated interface and the cameras currently plugged into it. Thread-safe.
class InterfaceHardware {
public:
    explicit InterfaceHardware(const InterfaceConfig& config);

    const std::string& Name() const { return name_; }
    const std::string& TLType() const { return tlType_; }
    bool IsPresent() const;
    const InterfaceRegisterSpace& Registers() const { return registers_; }

    std::vector<std::string> DeviceIds() const;
    std::shared_ptr<CameraHardware> FindCamera(const std::string& deviceId) const;
    void Plug(std::shared_ptr<CameraHardware> camera);
    // Makes the camera vanish; false when it is not plugged in here.
    bool Unplug(const std::string& deviceId);
    // Makes the interface and its cameras vanish.
    void Vanish();

private:
    const std::string name_;
    const std::string tlType_;
    const InterfaceRegisterSpace registers_;
    mutable std::mutex mutex_;
    bool present_ = true;
    std::vector<std::shared_ptr<CameraHardware>> cameras_;
};

}  // namespace Tevold::Sim
