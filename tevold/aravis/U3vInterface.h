#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/CameraRecord.h"
#include "tevold/aravis/RealCameraInterface.h"

#include <mutex>
#include <optional>
#include <vector>

namespace Tevold::Aravis {

// The USB3 Vision cameras Aravis finds on every USB bus. The device list is the one the last
// CountDevices saw.
class U3vInterface final : public RealCameraInterface {
public:
    static constexpr const char* kName = "USB";

    U3vInterface();

    CamResult CountDevices(uint32_t* count, uint32_t timeoutMs) override;
    CamResult GetDeviceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindDevice(const char* name, CamDevice** device) override;
    CamResult ConnectDevice(const char* name, CamDevice** device) override;

private:
    ~U3vInterface() override = default;
    std::optional<CameraRecord> Listed(const std::string& deviceId);

    std::mutex mutex_;
    std::vector<CameraRecord> cameras_;
};

}  // namespace Tevold::Aravis
