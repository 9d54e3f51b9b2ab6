#pragma once

#include "camlib/CamLib.h"
#include "tevold/InterfaceRegisterSpace.h"

#include <string>

namespace Tevold::Aravis {

// What the GigE Vision and USB3 Vision interfaces share: read-only interface registers holding
// the ID prefix, the description URL and the TL type (laid out as the simulator's), and closing.
class RealCameraInterface : public CamInterface {
public:
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult CloseInterface() override;

protected:
    RealCameraInterface(const std::string& name, const char* idPrefix, const char* tlType);
    ~RealCameraInterface() override = default;

private:
    const InterfaceRegisterSpace registers_;
};

}  // namespace Tevold::Aravis
