#include "tevold/aravis/RealCameraInterface.h"

#include "tevold/CamResults.h"

namespace Tevold::Aravis {

RealCameraInterface::RealCameraInterface(const std::string& name, const char* idPrefix,
                                         const char* tlType)
    : registers_(name, idPrefix, tlType) {}

CamResult RealCameraInterface::WriteRegister(uint64_t address, const void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    return registers_.Write(address, *size);
}

CamResult RealCameraInterface::ReadRegister(uint64_t address, void* buffer, size_t* size) {
    if (buffer == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    return registers_.Read(address, buffer, *size);
}

CamResult RealCameraInterface::CloseInterface() {
    delete this;
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
