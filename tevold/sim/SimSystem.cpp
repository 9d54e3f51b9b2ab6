#include "tevold/sim/SimSystem.h"

#include "tevold/CamResults.h"
#include "tevold/TextOutput.h"
#include "tevold/sim/SimInterface.h"

namespace Tevold::Sim {

SimSystem::SimSystem(SimulatedWorld& world)
    : world_(world), interfaceNames_(world.InterfaceNames()) {}

CamResult SimSystem::CountInterfaces(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    if (const auto fault = world_.Faults().Take(Operation::CountInterfaces, {})) {
        return *fault;
    }
    std::lock_guard lock(mutex_);
    interfaceNames_ = world_.InterfaceNames();
    *count = static_cast<uint32_t>(interfaceNames_.size());
    return Result::kSuccess;
}

CamResult SimSystem::GetInterfaceName(uint32_t index, char* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    if (index >= interfaceNames_.size()) {
        return Result::kInvalidParameter;
    }
    return WriteText(interfaceNames_[index], buffer, size);
}

CamResult SimSystem::FindInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult SimSystem::ConnectInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult SimSystem::ReleaseSystem() {
    delete this;
    return Result::kSuccess;
}

CamResult SimSystem::OpenInterface(const char* name, CamInterface** iface) {
    if (name == nullptr || iface == nullptr) {
        return Result::kInvalidParameter;
    }
    auto hardware = world_.FindInterface(name);
    if (hardware == nullptr) {
        return Result::kInvalidId;
    }
    *iface = new SimInterface(std::move(hardware), world_.Faults());
    return Result::kSuccess;
}

}  // namespace Tevold::Sim
