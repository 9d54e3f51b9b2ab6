#include "stream/AcquisitionEngine.h"

#include <chrono>
#include <system_error>

#include "common/GenICamException.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kGrabTimeoutMs = 100;
// Bounds one count of missed images, so that a camera reporting lost images without end keeps
// the loop waking rather than spinning.
constexpr uint32_t kMostDropsPerWake = 1000;
}  // namespace

AcquisitionEngine::AcquisitionEngine(BufferQueues& queues, Tevold::CamStream& camera,
                                     CEventError& failures)
    : queues_(queues), camera_(camera), failures_(failures) {}

AcquisitionEngine::~AcquisitionEngine() {
    std::lock_guard lock(control_);
    queues_.Watch(nullptr);
    EndThread();
}

void AcquisitionEngine::EndThread() {
    stop_ = true;
    queues_.WakeFiller();
    if (thread_.joinable()) thread_.join();
}

void AcquisitionEngine::Start(uint64_t imageCount) {
    std::lock_guard lock(control_);
    if (thread_.joinable()) {
        if (running_) GENICAM_THROW(RuntimeException, "Acq Resource in use");
        thread_.join();
    }
    remaining_ = imageCount < kUnlimited ? static_cast<uint32_t>(imageCount) : kUnlimited;
    // A camera that receives on a thread of its own delivers each image from there, so that no
    // thread of ours has to be woken to move it. Counted acquisitions and refilling the oldest
    // undelivered buffer need the fill to be this thread's.
    reported_ = remaining_ == kUnlimited &&
                queues_.HandlingMode() != BufferHandlingMode::OldestFirstOverwrite &&
                camera_.SetArrivalCallback(&AcquisitionEngine::OnArrival, this) == 0;
    if (!reported_) camera_.SetArrivalCallback(nullptr, nullptr);
    if (camera_.StartGrab(0, -1) != 0)
        GENICAM_THROW(RuntimeException, "Unable to start acquisition");
    stop_ = false;
    // Set before the camera is lent anything, which it may report at once, and before the thread
    // runs, so that the stream reports grabbing from the moment Start returns.
    counters_.lost = 0;
    counters_.delivered = 0;
    failed_ = false;
    grabbing_ = true;
    running_ = true;
    // The camera starts with nothing lent; from here it gets every queued buffer.
    queues_.Watch(this);
    try {
        thread_ = std::thread(&AcquisitionEngine::Run, this);
    } catch (const std::system_error&) {
        queues_.Watch(nullptr);
        running_ = false;
        grabbing_ = false;
        GENICAM_THROW(RuntimeException, "Unable to start acquisition");
    }
}

void AcquisitionEngine::Stop() {
    std::lock_guard lock(control_);
    // Asked first, so that the loop takes the aborted grab for the stop; the camera ends the grab
    // in progress, and any the loop starts before it sees the request, at once.
    stop_ = true;
    const Tevold::CamResult stopped = camera_.StopGrab(0);
    camera_.SetArrivalCallback(nullptr, nullptr);
    queues_.Watch(nullptr);
    EndThread();
    if (stopped != 0) GENICAM_THROW(IoException, "Unable to stop acquisition");
}

void AcquisitionEngine::SetHandlingMode(BufferHandlingMode mode) {
    std::lock_guard lock(control_);
    if (grabbing_)
        GENICAM_THROW(AccessDeniedException,
                      "StreamBufferHandlingMode cannot change while the stream acquires");
    queues_.SetHandlingMode(mode);
}

void AcquisitionEngine::Run() {
    uint32_t timeout = kGrabTimeoutMs;
    size_t size = sizeof timeout;
    camera_.SetParameter(Tevold::kParamGrabTimeout, &timeout, &size);
    while (!stop_ && remaining_ != 0 && (reported_ ? WatchCamera() : GrabNext())) {
    }
    // The camera, which may still be acquiring, gives back what it holds; buffers queued from now
    // on stay where they are until the next start.
    queues_.Watch(nullptr);
    const bool failed = !stop_ && remaining_ != 0;
    // No longer grabbing by the time anybody learns of a failure.
    grabbing_ = false;
    if (failed) {
        // The error entry is there before anybody can learn of the failure, so that a consumer
        // whose wait ends on it finds out why.
        failures_.PostError(GenTL::GC_ERR_IO, "Acquisition ended: the camera stream failed");
        failed_ = true;
        // Threads waiting for a buffer learn of it now, not at the end of their timeouts.
        queues_.WakeDeliveryWaiters();
    }
    running_ = false;
}

void AcquisitionEngine::Entered(CBufferInfo& buffer) {
    // A buffer announced without memory is reported as incomplete when its turn comes.
    if (buffer.Base() != nullptr) camera_.LendDestination(buffer.Base(), buffer.Size());
}

void AcquisitionEngine::Withdrawn() { camera_.ReclaimDestinations(); }

void AcquisitionEngine::OnArrival(void* memory, Tevold::CamResult result,
                                  const Tevold::CamImageInfo* image, void* self) {
    static_cast<AcquisitionEngine*>(self)->Arrived(memory, result, *image);
}

// On the camera's thread, which must not wait here for anything that waits for it: the queue
// locks are never held while the camera is stopped or withdrawn from.
void AcquisitionEngine::Arrived(void* memory, Tevold::CamResult result,
                                const Tevold::CamImageInfo& image) {
    BufferFill fill;
    switch (result) {
        case Tevold::kGrabOk:
            fill.imagePresent = true;
            fill.image = image;
            break;
        case Tevold::kGrabBufferTooSmall:
            fill.dataLargerThanBuffer = true;
            break;
        default:
            queues_.RequeueArrived(memory);
            ++counters_.lost;
            return;
    }
    queues_.DeliverArrived(memory, fill, counters_);
}

// While the camera reports its images itself: counts the images it lost for want of a buffer
// and notices a camera that has gone.
bool AcquisitionEngine::WatchCamera() {
    switch (camera_.GrabImage(nullptr, 0, kGrabTimeoutMs, nullptr)) {
        case Tevold::kGrabOk:
            ++counters_.lost;
            return true;
        case Tevold::kGrabTimeout:
            return !CameraIsGone();
        default:
            return false;
    }
}

bool AcquisitionEngine::GrabNext() {
    CBufferInfo* buffer = queues_.TakeNextToFill(counters_);
    return buffer == nullptr ? AwaitBuffer() : FillBuffer(*buffer);
}

// Without a buffer the loop sleeps until one is queued instead of grabbing images only to drop
// them; the images the camera sent meanwhile are counted afterwards.
bool AcquisitionEngine::AwaitBuffer() {
    if (!queues_.WaitForInput(std::chrono::milliseconds(kGrabTimeoutMs), stop_) && CameraIsGone())
        return false;
    return stop_ || DropMissedImages();
}

// Every image the camera sent that no buffer was there for is an underrun.
bool AcquisitionEngine::DropMissedImages() {
    for (uint32_t dropped = 0; dropped < kMostDropsPerWake && !stop_; ++dropped) {
        switch (camera_.GrabImage(nullptr, 0, 0, nullptr)) {
            case Tevold::kGrabOk:
            case Tevold::kGrabImageLost:
                ++counters_.lost;
                break;
            case Tevold::kGrabTimeout:
                return true;
            default:
                return false;
        }
    }
    return true;
}

// A camera that stops answering has gone; its grabs may only ever time out.
bool AcquisitionEngine::CameraIsGone() {
    uint32_t active = 0;
    size_t size = sizeof active;
    return camera_.GetParameter(Tevold::kParamAcquisitionActive, &active, &size) != 0;
}

bool AcquisitionEngine::FillBuffer(CBufferInfo& buffer) {
    BufferFill fill;
    // A buffer announced without memory cannot hold an image: it is reported as incomplete.
    const Tevold::CamResult result =
        buffer.Base() == nullptr
            ? Tevold::kGrabBufferTooSmall
            : camera_.GrabImage(buffer.Base(), buffer.Size(), kGrabTimeoutMs, &fill.image);
    switch (result) {
        case Tevold::kGrabOk:
            fill.imagePresent = true;
            Deliver(buffer, fill);
            return true;
        case Tevold::kGrabBufferTooSmall:
            fill.dataLargerThanBuffer = true;
            Deliver(buffer, fill);
            return true;
        case Tevold::kGrabImageLost:
            // The lost image ended the buffer's lending: lent again, it comes after the others.
            queues_.Requeue(buffer);
            ++counters_.lost;
            return true;
        case Tevold::kGrabTimeout:
            queues_.ReturnToInput(buffer);
            return !CameraIsGone();
        default:
            queues_.ReturnToInput(buffer);
            return false;
    }
}

void AcquisitionEngine::Deliver(CBufferInfo& buffer, const BufferFill& fill) {
    if (queues_.Deliver(buffer, fill, counters_) && remaining_ != kUnlimited) --remaining_;
}

}  // namespace GenICam::Client
