#pragma once

#include "camlib/CamLib.h"
#include "tevold/EventDispatcher.h"
#include "tevold/aravis/AravisStream.h"
#include "tevold/aravis/CameraConnection.h"
#include "tevold/aravis/CameraRecord.h"
#include "tevold/aravis/DescriptionWindow.h"

#include <memory>
#include <mutex>

namespace Tevold::Aravis {

// The object ConnectDevice hands out for a real camera that this process controls: its
// registers, its description, its stream, and "control lost" as a device event on a thread of
// the library's own. CloseDevice also closes a stream left open and releases the camera.
class AravisCamera final : public CamDevice {
public:
    // Takes the reference to opened.
    AravisCamera(ArvDevice* opened, CameraRecord camera);

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
    ~AravisCamera() override = default;

    static void OnControlLost(ArvDevice* device, void* self);
    // Fills in what discovery could not tell (a USB camera's version and user name).
    void CompleteRecord();

    CameraConnection connection_;
    CameraRecord camera_;
    DescriptionWindow description_;
    EventDispatcher events_;
    unsigned long controlLostHandler_ = 0;
    std::mutex streamMutex_;
    std::unique_ptr<AravisStream> stream_;
};

}  // namespace Tevold::Aravis
