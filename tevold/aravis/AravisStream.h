#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/CameraConnection.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace Tevold::Aravis {

class AravisCamera;

// The stream of an open camera, on an Aravis stream. Aravis receives images only into memory
// lent to it, wrapped in Aravis buffers and handed over in the order it was lent, so an image
// that arrives in the memory its GrabImage names needs no copy. GrabImage lends an unlent
// destination itself for the time of the grab. An image that arrives in other lent memory is
// copied, and the lending order is then rebuilt. With an arrival callback, Aravis's receiving
// thread reports each image itself as soon as it is complete, so that nobody else has to be
// woken to take it.
class AravisStream final : public CamStream {
public:
    // Null when Aravis cannot make the camera's stream.
    static std::unique_ptr<AravisStream> Open(AravisCamera& owner, CameraConnection& connection);
    // Public here: the owning camera destroys its stream.
    ~AravisStream() override;

    CamResult StartGrab(uint32_t mode, int64_t count) override;
    // From another thread, also ends a GrabImage in progress with kGrabAborted.
    CamResult StopGrab(uint32_t mode) override;
    CamResult GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                        CamImageInfo* info) override;
    CamResult LendDestination(void* memory, size_t capacity) override;
    CamResult ReclaimDestinations() override;
    CamResult SetArrivalCallback(ImageArrivalCallback callback, void* context) override;
    CamResult SetParameter(uint32_t parameter, const void* value, size_t* size) override;
    CamResult GetParameter(uint32_t parameter, void* value, size_t* size) override;
    CamResult CloseStream() override;

private:
    // Memory Aravis may receive into, with the Aravis buffer around it.
    struct Lent {
        void* memory;
        size_t capacity;
        GObjectPtr<ArvBuffer> wrapper;
    };
    struct Arrival {
        ImageArrivalCallback callback = nullptr;
        void* context = nullptr;
    };
    // What a received buffer turned out to be.
    enum class Received { Taken, Stale };

    AravisStream(AravisCamera& owner, CameraConnection& connection);
    // Aravis's receiving thread calls it for every buffer it starts and ends.
    static void OnReceivingThread(void* self, ArvStreamCallbackType type, ArvBuffer* buffer);
    void Arrived(ArvBuffer* buffer);

    // Stops the camera and the receiving, dropping every buffer. Called with grabMutex_ held.
    void EndStreaming();
    CamResult AwaitImage(uint64_t stops, void* destination, size_t capacity, uint32_t timeoutMs,
                         CamImageInfo* info);
    Received Take(ArvBuffer* received, void* destination, size_t capacity, CamImageInfo* info,
                  CamResult* result);
    // An image lost for want of memory to receive it into, counted by Aravis.
    bool TakeUnderrun();
    // Until StopGrab or the timeout.
    void WaitForStop(uint64_t stops, std::chrono::steady_clock::duration timeout);

    // Called with lentMutex_ held.
    std::deque<Lent>::iterator FindLent(const void* memory);
    std::deque<Lent>::iterator FindReceived(const ArvBuffer* buffer);
    bool LendLocked(void* memory, size_t capacity);
    // Hands the memory to Aravis, unless pushes are held.
    void Push(const Lent& lent);
    // Called with receiveMutex_ held, and not lentMutex_: restarts the receiving with exactly
    // the lent memory, in lending order. Images already received and not taken are lost.
    void ReceiveIntoLent();
    // Called with receiveMutex_ held, and not lentMutex_: ends the receiving and every lending.
    void StopReceiving();
    guint64 Underruns();

    CamResult ReadFeature(const char* name, int64_t* value);
    CamResult ReadPacketCounter(const char* name, void* value, size_t* size);
    CamResult ExecuteCommand(const char* name);

    AravisCamera& owner_;
    CameraConnection& connection_;
    GObjectPtr<ArvStream> stream_;
    // How the camera writes its chunk trailers: GigE Vision big-endian, USB3 Vision little.
    CamChunkByteOrder chunkOrder_ = kChunksLittleEndian;

    std::mutex grabMutex_;    // held by GrabImage; StopGrab waits for it
    int64_t remaining_ = -1;  // images until the camera stops by itself; negative: no limit

    // Guards the receiving thread's start and stop and the underrun count. Never held while
    // waiting for an image, so lending and reclaiming do not wait for a grab.
    std::mutex receiveMutex_;
    std::atomic<bool> receiving_{true};  // Aravis starts receiving when the stream is made
    guint64 underrunsTaken_ = 0;
    // Guards the lending. Never held while the receiving thread is stopped, since that thread
    // takes it to report an image.
    std::mutex lentMutex_;
    std::deque<Lent> lent_;
    // While the receiving thread stops, memory lent meanwhile is not handed to Aravis: a
    // restart hands it over, an end of the receiving drops it.
    bool holdPushes_ = false;
    // Held while the arrival callback runs.
    std::mutex arrivalMutex_;
    Arrival arrival_;
    // An arrival callback is set: every received buffer is the receiving thread's to report.
    std::atomic<bool> reporting_{false};

    std::atomic<uint64_t> stopCount_{0};
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    // Set by StopGrab until the next StartGrab: a grab that begins after a stop ends at once,
    // so a stop never waits for a grab that started just behind it.
    std::atomic<bool> stopped_{false};
    std::atomic<bool> acquiring_{false};
    std::atomic<int64_t> framesStarted_{0};
    // Kept for the producer to read back; GrabImage always waits as long as its caller says.
    std::atomic<uint32_t> grabTimeoutMs_{1000};
};

}  // namespace Tevold::Aravis
