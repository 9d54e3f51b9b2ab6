// The acquisition thread of a data stream: takes buffers from the front of the input queue,
// lets the camera library write the next image straight into each, and moves filled buffers
// to the output queue, counting delivered and lost images. While it grabs, every queued buffer
// is lent to the camera, so a camera that receives images ahead of the grab writes them in place.
// A camera that receives on a thread of its own reports each image from there instead, and the
// acquisition thread only counts the images lost for want of a buffer and watches the camera.
// A camera stream that fails ends the acquisition with an entry in the stream's error event.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "camlib/CamLib.h"
#include "events/EventError.h"
#include "stream/BufferQueues.h"
#include "stream/InputQueueWatcher.h"

namespace GenICam::Client {

class AcquisitionEngine final : private InputQueueWatcher {
public:
    AcquisitionEngine(BufferQueues& queues, Tevold::CamStream& camera, CEventError& failures);
    // Ends the thread; the camera's acquisition is the owner's to stop.
    ~AcquisitionEngine();
    AcquisitionEngine(const AcquisitionEngine&) = delete;
    AcquisitionEngine& operator=(const AcquisitionEngine&) = delete;

    // imageCount GENTL_INFINITE (or anything from 0xFFFFFFFF up) acquires until stopped.
    void Start(uint64_t imageCount);
    // Stops the camera's acquisition, which ends a grab in progress at once, and ends the thread.
    void Stop();

    // Refused while the stream acquires.
    void SetHandlingMode(BufferHandlingMode mode);
    BufferHandlingMode HandlingMode() const { return queues_.HandlingMode(); }

    bool IsGrabbing() const { return grabbing_.load(); }
    uint64_t Delivered() const { return counters_.delivered.load(); }
    // Images lost for want of a buffer or discarded by the handling mode.
    uint64_t Underruns() const { return counters_.lost.load(); }
    // The last acquisition ended by itself on a failure (the camera stream failed or the camera
    // went away), until the next start.
    bool Failed() const { return failed_.load(); }

private:
    static constexpr uint32_t kUnlimited = 0xFFFFFFFF;

    void EndThread();
    void Run();
    void Entered(CBufferInfo& buffer) override;
    void Withdrawn() override;
    static void OnArrival(void* memory, Tevold::CamResult result, const Tevold::CamImageInfo* image,
                          void* self);
    void Arrived(void* memory, Tevold::CamResult result, const Tevold::CamImageInfo& image);
    bool WatchCamera();
    // One pass of the loop; false ends it.
    bool GrabNext();
    bool AwaitBuffer();
    bool DropMissedImages();
    bool FillBuffer(CBufferInfo& buffer);
    bool CameraIsGone();
    void Deliver(CBufferInfo& buffer, const BufferFill& fill);

    BufferQueues& queues_;
    Tevold::CamStream& camera_;
    CEventError& failures_;
    std::mutex control_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> grabbing_{false};
    std::atomic<bool> failed_{false};
    FrameCounters counters_;
    uint32_t remaining_ = kUnlimited;
    // The camera reports the images of this acquisition on its own thread.
    bool reported_ = false;
};

}  // namespace GenICam::Client
