#include "tevold/sim/SimulatedWorld.h"

#include <algorithm>
#include <stdexcept>

namespace Tevold::Sim {

SimulatedWorld& SimulatedWorld::Instance() {
    static auto* world = new SimulatedWorld();
    return *world;
}

SimulatedWorld::SimulatedWorld() { Configure(DefaultWorldConfig()); }

void SimulatedWorld::Configure(const WorldConfig& config) {
    InterfaceList interfaces;
    CameraIndex cameras;
    for (const auto& interfaceConfig : config.interfaces) {
        BuildInterface(interfaceConfig, interfaces, cameras);
    }
    std::lock_guard lock(mutex_);
    interfaces_ = std::move(interfaces);
    cameras_ = std::move(cameras);
}

void SimulatedWorld::AddInterface(const InterfaceConfig& config) {
    std::lock_guard lock(mutex_);
    InterfaceList interfaces = interfaces_;
    CameraIndex cameras = cameras_;
    BuildInterface(config, interfaces, cameras);
    interfaces_ = std::move(interfaces);
    cameras_ = std::move(cameras);
}

void SimulatedWorld::RemoveInterface(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(interfaces_.begin(), interfaces_.end(),
                                    [&](const auto& iface) { return iface->Name() == name; });
    if (found == interfaces_.end()) {
        throw std::invalid_argument("no interface " + name);
    }
    (*found)->Vanish();
    interfaces_.erase(found);
}

void SimulatedWorld::AddCamera(const std::string& interfaceName, const CameraConfig& config) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(interfaces_.begin(), interfaces_.end(), [&](const auto& iface) {
        return iface->Name() == interfaceName;
    });
    if (found == interfaces_.end()) {
        throw std::invalid_argument("no interface " + interfaceName);
    }
    BuildCamera(**found, config, cameras_);
}

void SimulatedWorld::RemoveCamera(const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    for (const auto& iface : interfaces_) {
        if (iface->Unplug(deviceId)) {
            return;
        }
    }
    throw std::invalid_argument("no camera " + deviceId);
}

std::vector<std::string> SimulatedWorld::InterfaceNames() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> names;
    for (const auto& iface : interfaces_) {
        names.push_back(iface->Name());
    }
    return names;
}

std::shared_ptr<InterfaceHardware> SimulatedWorld::FindInterface(const std::string& name) const {
    std::lock_guard lock(mutex_);
    for (const auto& iface : interfaces_) {
        if (iface->Name() == name) {
            return iface;
        }
    }
    return nullptr;
}

std::shared_ptr<CameraHardware> SimulatedWorld::Camera(const std::string& deviceId) const {
    std::lock_guard lock(mutex_);
    const auto found = cameras_.find(deviceId);
    if (found == cameras_.end()) {
        throw std::invalid_argument("no camera " + deviceId);
    }
    return found->second;
}

void SimulatedWorld::BuildInterface(const InterfaceConfig& config, InterfaceList& interfaces,
                                    CameraIndex& cameras) const {
    const auto sameName = [&](const auto& iface) { return iface->Name() == config.name; };
    const bool nameTaken = std::any_of(interfaces.begin(), interfaces.end(), sameName);
    if (config.name.empty() || nameTaken) {
        throw std::invalid_argument("interface name empty or taken: " + config.name);
    }
    auto iface = std::make_shared<InterfaceHardware>(config);
    for (const auto& cameraConfig : config.cameras) {
        BuildCamera(*iface, cameraConfig, cameras);
    }
    interfaces.push_back(std::move(iface));
}

void SimulatedWorld::BuildCamera(InterfaceHardware& iface, const CameraConfig& config,
                                 CameraIndex& cameras) const {
    const auto existing = cameras.find(config.deviceId);
    const bool idTaken = existing != cameras.end() && existing->second->Status().present;
    if (config.deviceId.empty() || idTaken) {
        throw std::invalid_argument("device ID empty or taken: " + config.deviceId);
    }
    auto camera = std::make_shared<CameraHardware>(config, iface.Name(), iface.TLType(), pacing_);
    cameras[config.deviceId] = camera;
    iface.Plug(std::move(camera));
}

}  // namespace Tevold::Sim
