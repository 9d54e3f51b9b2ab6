#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/CameraRecord.h"

#include <functional>

namespace Tevold::Aravis {

// The object FindDevice hands out for a real camera: it answers QueryInfo without opening the
// camera; everything that needs the camera open is refused. The access status is asked for only
// when QueryInfo wants it (it costs a request to the camera).
class DiscoveredCamera final : public CamDevice {
public:
    DiscoveredCamera(CameraRecord camera, std::function<uint32_t()> accessStatus);

    CamResult GetNumStreams(uint32_t* count) override;
    CamResult OpenStream(const char* streamId, CamStream** stream) override;
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult QueryInfo(int32_t item, void* buffer, size_t* size) override;
    CamResult SetEventCallback(DeviceEventCallback callback, void* context) override;
    CamResult CloseDevice() override;

private:
    ~DiscoveredCamera() override = default;

    CameraRecord camera_;
    std::function<uint32_t()> accessStatus_;
};

}  // namespace Tevold::Aravis
