#pragma once

#include "camlib/CamLib.h"

#include <functional>

namespace Tevold {

// The object FindDevice hands out for a camera of any transport: it answers QueryInfo without
// connecting to the camera; everything that needs a connection is refused.
class InfoOnlyDevice final : public CamDevice {
public:
    using InfoQuery = std::function<CamResult(int32_t item, void* buffer, size_t* size)>;

    explicit InfoOnlyDevice(InfoQuery query);

    CamResult GetNumStreams(uint32_t* count) override;
    CamResult OpenStream(const char* streamId, CamStream** stream) override;
    CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) override;
    CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) override;
    CamResult QueryInfo(int32_t item, void* buffer, size_t* size) override;
    CamResult SetEventCallback(DeviceEventCallback callback, void* context) override;
    CamResult CloseDevice() override;

private:
    ~InfoOnlyDevice() override = default;

    InfoQuery query_;
};

}  // namespace Tevold
