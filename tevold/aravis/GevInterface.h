#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/CameraRecord.h"
#include "tevold/aravis/CameraWatch.h"
#include "tevold/aravis/DeferredRelease.h"
#include "tevold/aravis/GvcpClient.h"
#include "tevold/aravis/NetworkInterfaces.h"
#include "tevold/aravis/RealCameraInterface.h"

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace Tevold::Aravis {

// The GigE Vision cameras reachable through one network interface. Discovery asks only on that
// interface; opening hands the camera to Aravis. The device list is the one the last
// CountDevices saw.
class GevInterface final : public RealCameraInterface {
public:
    GevInterface(NetworkInterface nic, std::shared_ptr<DeferredRelease> release);

    CamResult CountDevices(uint32_t* count, uint32_t timeoutMs) override;
    CamResult GetDeviceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindDevice(const char* name, CamDevice** device) override;
    CamResult ConnectDevice(const char* name, CamDevice** device) override;

private:
    ~GevInterface() override = default;

    CamResult Discover(uint32_t timeoutMs);
    std::optional<GevCameraRecord> Listed(const std::string& deviceId);
    CameraRecord Describe(const GevCameraRecord& camera) const;
    // Asks the camera, from this interface's address, whether it is still controlled; none when
    // no socket can be had.
    CameraWatch::Probe ControlProbe(const in_addr& camera) const;

    const NetworkInterface nic_;
    const std::shared_ptr<DeferredRelease> release_;
    std::mutex mutex_;
    std::vector<GevCameraRecord> cameras_;
};

}  // namespace Tevold::Aravis
