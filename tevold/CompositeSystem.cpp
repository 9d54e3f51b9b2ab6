#include "tevold/CompositeSystem.h"

#include "tevold/CamResults.h"

namespace Tevold {

CompositeSystem::CompositeSystem(std::vector<CamSystem*> backends)
    : backends_(std::move(backends)) {}

CamResult CompositeSystem::CountInterfaces(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    std::vector<std::pair<CamSystem*, uint32_t>> listed;
    for (CamSystem* backend : backends_) {
        uint32_t backendCount = 0;
        if (const CamResult result = backend->CountInterfaces(&backendCount);
            result != Result::kSuccess) {
            return result;
        }
        for (uint32_t index = 0; index < backendCount; ++index) {
            listed.emplace_back(backend, index);
        }
    }
    std::lock_guard lock(mutex_);
    listed_ = std::move(listed);
    *count = static_cast<uint32_t>(listed_.size());
    return Result::kSuccess;
}

CamResult CompositeSystem::GetInterfaceName(uint32_t index, char* buffer, size_t* size) {
    std::pair<CamSystem*, uint32_t> place;
    {
        std::lock_guard lock(mutex_);
        if (index >= listed_.size()) {
            return Result::kInvalidParameter;
        }
        place = listed_[index];
    }
    return place.first->GetInterfaceName(place.second, buffer, size);
}

template <typename Open>
CamResult CompositeSystem::OpenInterface(const char* name, CamInterface** iface, Open open) {
    if (name == nullptr || iface == nullptr) {
        return Result::kInvalidParameter;
    }
    // Interface names of different backends never collide (each names its own hardware), so the
    // first backend that knows the name is the one.
    for (CamSystem* backend : backends_) {
        const CamResult result = (backend->*open)(name, iface);
        if (result != Result::kInvalidId) {
            return result;
        }
    }
    return Result::kInvalidId;
}

CamResult CompositeSystem::FindInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface, &CamSystem::FindInterface);
}

CamResult CompositeSystem::ConnectInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface, &CamSystem::ConnectInterface);
}

CamResult CompositeSystem::ReleaseSystem() {
    for (CamSystem* backend : backends_) {
        backend->ReleaseSystem();
    }
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold
