#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/CameraConnection.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace Tevold::Aravis {

class AravisCamera;

// The stream of an open camera, on an Aravis stream. Aravis receives every image into a small
// pool of buffers of its own; GrabImage hands out the oldest received image, copied into the
// destination. (Wrapping the destination itself would leave Aravis without a buffer between two
// GrabImage calls, and images arriving then are lost.)
class AravisStream final : public CamStream {
public:
    AravisStream(AravisCamera& owner, CameraConnection& connection, ArvStream* stream);
    // Public here: the owning camera destroys its stream.
    ~AravisStream() override;

    CamResult StartGrab(uint32_t mode, int64_t count) override;
    // From another thread, also ends a GrabImage in progress with kGrabAborted.
    CamResult StopGrab(uint32_t mode) override;
    CamResult GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                        CamImageInfo* info) override;
    CamResult SetParameter(uint32_t parameter, const void* value, size_t* size) override;
    CamResult GetParameter(uint32_t parameter, void* value, size_t* size) override;
    CamResult CloseStream() override;

private:
    // Stops the camera and the receiving, dropping every buffer. Called with grabMutex_ held.
    void EndStreaming();
    CamResult Deliver(ArvBuffer* buffer, void* destination, size_t capacity, CamImageInfo* info);
    CamResult ReadFeature(const char* name, int64_t* value);
    CamResult ExecuteCommand(const char* name);

    AravisCamera& owner_;
    CameraConnection& connection_;
    GObjectPtr<ArvStream> stream_;

    std::mutex grabMutex_;  // held by GrabImage; StopGrab waits for it
    bool receiving_ = true;  // Aravis starts receiving when the stream is made
    int64_t remaining_ = -1;  // images until the camera stops by itself; negative: no limit
    std::atomic<uint64_t> stopCount_{0};
    // Set by StopGrab until the next StartGrab: a grab that begins after a stop ends at once,
    // so a stop never waits for a grab that started just behind it.
    std::atomic<bool> stopped_{false};
    std::atomic<bool> acquiring_{false};
    std::atomic<int64_t> framesStarted_{0};
    // Kept for the producer to read back; GrabImage always waits as long as its caller says.
    std::atomic<uint32_t> grabTimeoutMs_{1000};
};

}  // namespace Tevold::Aravis
