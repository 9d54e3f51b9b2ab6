#include "tevold/aravis/GevSystem.h"

#include "tevold/CamResults.h"
#include "tevold/TextOutput.h"
#include "tevold/aravis/GevInterface.h"

namespace Tevold::Aravis {

GevSystem::GevSystem(std::vector<std::string> allowedNames)
    : allowedNames_(std::move(allowedNames)) {}

CamResult GevSystem::CountInterfaces(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(mutex_);
    listed_ = ListNetworkInterfaces(allowedNames_);
    *count = static_cast<uint32_t>(listed_.size());
    return Result::kSuccess;
}

CamResult GevSystem::GetInterfaceName(uint32_t index, char* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    if (index >= listed_.size()) {
        return Result::kInvalidParameter;
    }
    return WriteText(listed_[index].name, buffer, size);
}

CamResult GevSystem::FindInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult GevSystem::ConnectInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult GevSystem::ReleaseSystem() {
    delete this;
    return Result::kSuccess;
}

CamResult GevSystem::OpenInterface(const char* name, CamInterface** iface) {
    if (name == nullptr || iface == nullptr) {
        return Result::kInvalidParameter;
    }
    const auto nic = FindNetworkInterface(name, allowedNames_);
    if (!nic) {
        return Result::kInvalidId;
    }
    *iface = new GevInterface(*nic, release_);
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
