#pragma once

#include "camlib/CamLib.h"

namespace Tevold::Aravis {

// USB3 Vision: one interface, "USB", for every USB3 Vision camera Aravis finds.
class U3vSystem final : public CamSystem {
public:
    CamResult CountInterfaces(uint32_t* count) override;
    CamResult GetInterfaceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindInterface(const char* name, CamInterface** iface) override;
    CamResult ConnectInterface(const char* name, CamInterface** iface) override;
    CamResult ReleaseSystem() override;

private:
    ~U3vSystem() override = default;
    CamResult OpenInterface(const char* name, CamInterface** iface);
};

}  // namespace Tevold::Aravis
