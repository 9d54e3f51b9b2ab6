#include "tevold/sim/InterfaceHardware.h"

#include <algorithm>

namespace Tevold::Sim {

InterfaceHardware::InterfaceHardware(const InterfaceConfig& config)
    : name_(config.name),
      tlType_(config.tlType),
      registers_(config.name, config.idPrefix, config.tlType) {}

bool InterfaceHardware::IsPresent() const {
    std::lock_guard lock(mutex_);
    return present_;
}

std::vector<std::string> InterfaceHardware::DeviceIds() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> ids;
    for (const auto& camera : cameras_) {
        // A rebooting camera does not answer discovery.
        if (camera->Status().present) {
            ids.push_back(camera->Config().deviceId);
        }
    }
    return ids;
}

std::shared_ptr<CameraHardware> InterfaceHardware::FindCamera(const std::string& deviceId) const {
    std::lock_guard lock(mutex_);
    for (const auto& camera : cameras_) {
        if (camera->Config().deviceId == deviceId) {
            return camera;
        }
    }
    return nullptr;
}

void InterfaceHardware::Plug(std::shared_ptr<CameraHardware> camera) {
    std::lock_guard lock(mutex_);
    cameras_.push_back(std::move(camera));
}

bool InterfaceHardware::Unplug(const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(cameras_.begin(), cameras_.end(), [&](const auto& camera) {
        return camera->Config().deviceId == deviceId;
    });
    if (found == cameras_.end()) {
        return false;
    }
    (*found)->Vanish();
    cameras_.erase(found);
    return true;
}

void InterfaceHardware::Vanish() {
    std::lock_guard lock(mutex_);
    for (const auto& camera : cameras_) {
        camera->Vanish();
    }
    cameras_.clear();
    present_ = false;
}

}  // namespace Tevold::Sim
