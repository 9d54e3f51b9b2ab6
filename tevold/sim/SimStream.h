#pragma once

#include "camlib/CamLib.h"
#include "tevold/sim/CameraHardware.h"
#include "tevold/sim/FaultInjector.h"

#include <atomic>
#include <memory>

namespace Tevold::Sim {

class SimConnectedDevice;

// The one stream of a connected camera.
class SimStream final : public CamStream {
public:
    SimStream(SimConnectedDevice& owner, std::shared_ptr<CameraHardware> camera,
              CameraHardware::Session session, FaultInjector& faults);
    // Public here: the owning device destroys its stream.
    ~SimStream() override = default;

    CamResult StartGrab(uint32_t mode, int64_t count) override;
    CamResult StopGrab(uint32_t mode) override;
    CamResult GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                        CamImageInfo* info) override;
    // The simulated camera writes an image only while GrabImage runs, so it needs no lending.
    CamResult LendDestination(void* memory, size_t capacity) override;
    CamResult ReclaimDestinations() override;
    // Refused: the simulator writes images only during GrabImage.
    CamResult SetArrivalCallback(ImageArrivalCallback callback, void* context) override;
    CamResult SetParameter(uint32_t parameter, const void* value, size_t* size) override;
    CamResult GetParameter(uint32_t parameter, void* value, size_t* size) override;
    // Stops the acquisition; the stream is destroyed.
    CamResult CloseStream() override;

private:
    const std::string& DeviceId() const { return camera_->Config().deviceId; }

    SimConnectedDevice& owner_;
    std::shared_ptr<CameraHardware> camera_;
    const CameraHardware::Session session_;
    FaultInjector& faults_;
    // Kept for the producer to read back; GrabImage always waits as long as its caller says.
    std::atomic<uint32_t> grabTimeoutMs_{1000};
};

}  // namespace Tevold::Sim
