#include "tevold/aravis/U3vSystem.h"

#include "tevold/CamResults.h"
#include "tevold/TextOutput.h"
#include "tevold/aravis/U3vInterface.h"

#include <cstring>

namespace Tevold::Aravis {

CamResult U3vSystem::CountInterfaces(uint32_t* count) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    *count = 1;
    return Result::kSuccess;
}

CamResult U3vSystem::GetInterfaceName(uint32_t index, char* buffer, size_t* size) {
    return index == 0 ? WriteText(U3vInterface::kName, buffer, size) : Result::kInvalidParameter;
}

CamResult U3vSystem::FindInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult U3vSystem::ConnectInterface(const char* name, CamInterface** iface) {
    return OpenInterface(name, iface);
}

CamResult U3vSystem::ReleaseSystem() {
    delete this;
    return Result::kSuccess;
}

CamResult U3vSystem::OpenInterface(const char* name, CamInterface** iface) {
    if (name == nullptr || iface == nullptr) {
        return Result::kInvalidParameter;
    }
    if (std::strcmp(name, U3vInterface::kName) != 0) {
        return Result::kInvalidId;
    }
    *iface = new U3vInterface();
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
