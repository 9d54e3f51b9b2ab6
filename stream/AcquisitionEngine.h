// The acquisition thread of a data stream: takes buffers from the front of the input queue,
// lets the camera library write the next image straight into each, and moves filled buffers
// to the output queue, counting delivered and lost images.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

#include "camlib/CamLib.h"
#include "stream/BufferQueues.h"

namespace GenICam::Client {

class AcquisitionEngine {
public:
    AcquisitionEngine(BufferQueues& queues, Tevold::CamStream& camera);
    // Ends the thread; the camera's acquisition is the owner's to stop.
    ~AcquisitionEngine();
    AcquisitionEngine(const AcquisitionEngine&) = delete;
    AcquisitionEngine& operator=(const AcquisitionEngine&) = delete;

    // imageCount GENTL_INFINITE (or anything from 0xFFFFFFFF up) acquires until stopped.
    void Start(uint64_t imageCount);
    // Stops the camera's acquisition, which ends a grab in progress at once, and ends the thread.
    void Stop();

    bool IsGrabbing() const { return grabbing_.load(); }
    uint64_t Delivered() const { return delivered_.load(); }
    uint64_t Underruns() const { return underruns_.load(); }
    Tevold::CamResult LastGrabResult() const { return lastGrabResult_.load(); }

private:
    static constexpr uint32_t kUnlimited = 0xFFFFFFFF;

    void EndThread();
    void Run();
    // One pass of the loop; false ends it.
    bool GrabNext();
    bool AwaitBuffer();
    bool DropMissedImages();
    bool FillBuffer(CBufferInfo& buffer);
    bool CameraIsGone();
    void Deliver(CBufferInfo& buffer, const BufferFill& fill);

    BufferQueues& queues_;
    Tevold::CamStream& camera_;
    std::mutex control_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> grabbing_{false};
    std::atomic<uint64_t> delivered_{0};
    std::atomic<uint64_t> underruns_{0};
    std::atomic<Tevold::CamResult> lastGrabResult_{0};
    uint32_t remaining_ = kUnlimited;
};

}  // namespace GenICam::Client
