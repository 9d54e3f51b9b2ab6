#pragma once

#include "camlib/CamLib.h"
#include "tevold/sim/FaultInjector.h"
#include "tevold/sim/InterfaceHardware.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tevold::Sim {

// A CamInterface on one simulated interface, for discovery and for keeping. The device list is
// the one the last CountDevices saw.
class SimInterface final : public CamInterface {
public:
    SimInterface(std::shared_ptr<InterfaceHardware> hardware, FaultInjector& faults);

    CamResult CountDevices(uint32_t* count, uint32_t timeoutMs) override;
    CamResult GetDeviceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindDevice(const char* name, CamDevice** device) override;
    CamResult ConnectDevice(const char* name, CamDevice** device) override;
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult CloseInterface() override;

private:
    std::shared_ptr<InterfaceHardware> hardware_;
    FaultInjector& faults_;
    std::mutex mutex_;
    std::vector<std::string> deviceIds_;
};

}  // namespace Tevold::Sim
