#pragma once

#include "camlib/CamLib.h"
#include "tevold/sim/CameraHardware.h"
#include "tevold/sim/FaultInjector.h"

#include <memory>

namespace Tevold::Sim {

// The object FindDevice hands out: it answers QueryInfo about a camera without connecting to it;
// everything that needs a connection is refused.
class SimDiscoveredDevice final : public CamDevice {
public:
    SimDiscoveredDevice(std::shared_ptr<CameraHardware> camera, FaultInjector& faults);

    CamResult GetNumStreams(uint32_t* count) override;
    CamResult OpenStream(const char* streamId, CamStream** stream) override;
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult QueryInfo(int32_t item, void* buffer, size_t* size) override;
    CamResult SetEventCallback(DeviceEventCallback callback, void* context) override;
    CamResult CloseDevice() override;

private:
    std::shared_ptr<CameraHardware> camera_;
    FaultInjector& faults_;
};

}  // namespace Tevold::Sim
