#pragma once

#include "camlib/CamLib.h"
#include "tevold/EventDispatcher.h"
#include "tevold/aravis/AravisStream.h"
#include "tevold/aravis/CameraConnection.h"
#include "tevold/aravis/CameraRecord.h"
#include "tevold/aravis/CameraWatch.h"
#include "tevold/aravis/DeferredRelease.h"
#include "tevold/aravis/DescriptionWindow.h"

#include <memory>
#include <mutex>

namespace Tevold::Aravis {

// The object ConnectDevice hands out for a real camera that this process controls: its
// registers, its description, its stream, and "control lost" as a device event on a thread of
// the library's own. The camera is lost when Aravis says so (another application took it, or
// Aravis's heartbeat gave up) or, sooner, when the watch's probe finds it silent. CloseDevice
// also closes a stream left open and releases the camera.
class AravisCamera final : public CamDevice {
public:
    // Takes the reference to opened. With a probe, a watch asks the camera with it until the
    // camera is closed or lost. With a deferred release, a lost camera's Aravis objects are
    // released there, so that closing it does not wait for Aravis.
    AravisCamera(ArvDevice* opened, CameraRecord camera, CameraWatch::Probe probe = {},
                 std::chrono::milliseconds silenceLimit = std::chrono::seconds(1),
                 std::shared_ptr<DeferredRelease> release = nullptr);

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
    // Drops the reference to object: on the deferred release when the camera is lost and there
    // is one, else at once.
    void Unref(void* object);

private:
    ~AravisCamera() override = default;

    static void OnControlLost(ArvDevice* device, void* self);
    // Nothing more will come from the camera; the first call posts the device event.
    void MarkLost();
    // Fills in what discovery could not tell (a USB camera's version and user name).
    void CompleteRecord();

    CameraConnection connection_;
    CameraRecord camera_;
    DescriptionWindow description_;
    EventDispatcher events_;
    unsigned long controlLostHandler_ = 0;
    std::mutex streamMutex_;
    std::unique_ptr<AravisStream> stream_;
    const std::shared_ptr<DeferredRelease> release_;
    std::unique_ptr<CameraWatch> watch_;  // last: it stops first
};

}  // namespace Tevold::Aravis
