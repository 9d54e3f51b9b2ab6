#pragma once

#include "camlib/CamLib.h"
#include "tevold/sim/SimulatedWorld.h"

#include <mutex>
#include <string>
#include <vector>

namespace Tevold::Sim {

// A CamSystem on the simulated world. The interface list is the one the last CountInterfaces
// saw, so indices stay valid while interfaces come and go.
class SimSystem final : public CamSystem {
public:
    explicit SimSystem(SimulatedWorld& world);

    CamResult CountInterfaces(uint32_t* count) override;
    CamResult GetInterfaceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindInterface(const char* name, CamInterface** iface) override;
    CamResult ConnectInterface(const char* name, CamInterface** iface) override;
    CamResult ReleaseSystem() override;

private:
    CamResult OpenInterface(const char* name, CamInterface** iface);

    SimulatedWorld& world_;
    std::mutex mutex_;
    std::vector<std::string> interfaceNames_;
};

}  // namespace Tevold::Sim
