#pragma once

#include "camlib/CamLib.h"
#include "tevold/EventDispatcher.h"
#include "tevold/sim/CameraHardware.h"
#include "tevold/sim/FaultInjector.h"
#include "tevold/sim/SimStream.h"

#include <memory>
#include <mutex>
#include <string>

namespace Tevold::Sim {

// The object ConnectDevice hands out: the one controlling connection to a camera, with its stream
// and its device events. CloseDevice also closes a stream left open.
class SimConnectedDevice final : public CamDevice {
public:
    SimConnectedDevice(std::shared_ptr<CameraHardware> camera, CameraHardware::Session session,
                       FaultInjector& faults);

    CamResult GetNumStreams(uint32_t* count) override;
    CamResult OpenStream(const char* streamId, CamStream** stream) override;
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult QueryInfo(int32_t item, void* buffer, size_t* size) override;
    CamResult SetEventCallback(DeviceEventCallback callback, void* context) override;
    // Refused with kResourceInUse from within the event callback, whose thread it must join.
    CamResult CloseDevice() override;

    // The stream's CloseStream ends here; the stream is destroyed.
    void ReleaseStream();

private:
    const std::string& DeviceId() const { return camera_->Config().deviceId; }

    std::shared_ptr<CameraHardware> camera_;
    const CameraHardware::Session session_;
    FaultInjector& faults_;
    EventDispatcher events_;
    std::mutex streamMutex_;
    std::unique_ptr<SimStream> stream_;
};

}  // namespace Tevold::Sim
