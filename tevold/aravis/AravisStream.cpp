#include "tevold/aravis/AravisStream.h"

#include "tevold/CamResults.h"
#include "tevold/StreamParameters.h"
#include "tevold/aravis/AravisCamera.h"
#include "tevold/aravis/ChunkPayload.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace Tevold::Aravis {
namespace {

// How often a waiting GrabImage looks whether it was stopped or the camera was lost.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);

// The payload of a received buffer (the image, or all of it when it carries chunks), copied to
// copyTo unless it is already where it belongs.
CamResult ReportImage(ArvBuffer* buffer, CamChunkByteOrder chunkOrder, void* copyTo,
                      size_t capacity, CamImageInfo* info) {
    switch (arv_buffer_get_status(buffer)) {
        case ARV_BUFFER_STATUS_SUCCESS:
            break;
        case ARV_BUFFER_STATUS_SIZE_MISMATCH:
            return kGrabBufferTooSmall;
        default:
            return kGrabImageLost;
    }
    const bool chunks = arv_buffer_has_chunks(buffer);
    size_t size = 0;
    const void* data =
        chunks ? arv_buffer_get_data(buffer, &size) : arv_buffer_get_image_data(buffer, &size);
    if (size > capacity) {
        return kGrabBufferTooSmall;
    }
    if (copyTo != nullptr) {
        std::memcpy(copyTo, data, size);
    }
    if (info != nullptr) {
        info->frameId = arv_buffer_get_frame_id(buffer);
        info->timestampNs = arv_buffer_get_timestamp(buffer);
        info->pixelFormat = arv_buffer_get_image_pixel_format(buffer);
        info->width = static_cast<uint32_t>(arv_buffer_get_image_width(buffer));
        info->height = static_cast<uint32_t>(arv_buffer_get_image_height(buffer));
        info->sizeFilled = size;
        const ChunkPayload payload =
            chunks ? ChunkPayload::Describe(static_cast<const uint8_t*>(data), size, chunkOrder)
                   : ChunkPayload{};
        info->chunkByteOrder = payload.byteOrder;
        info->chunkLayoutId = payload.layoutId;
    }
    return kGrabOk;
}

// Aravis's name of a transport statistic, or none for another parameter.
const char* PacketCounterName(uint32_t parameter) {
    switch (parameter) {
        case kParamPacketsReceived:
            return "n_received_packets";
        case kParamPacketsMissing:
            return "n_missing_packets";
        case kParamPacketsResent:
            return "n_resent_packets";
        case kParamPacketsIgnored:
            return "n_ignored_packets";
        case kParamResendRequests:
            return "n_resend_requests";
        default:
            return nullptr;
    }
}

}  // namespace

AravisStream::AravisStream(AravisCamera& owner, CameraConnection& connection)
    : owner_(owner), connection_(connection) {}

std::unique_ptr<AravisStream> AravisStream::Open(AravisCamera& owner,
                                                 CameraConnection& connection) {
    std::unique_ptr<AravisStream> stream(new AravisStream(owner, connection));
    ArvStream* opened = nullptr;
    {
        std::lock_guard features(connection.featureMutex);
        ErrorSlot error;
        opened = arv_device_create_stream(connection.device.get(), &OnReceivingThread, stream.get(),
                                          error);
    }
    if (opened == nullptr) {
        return nullptr;
    }
    stream->chunkOrder_ = ARV_IS_GV_STREAM(opened) ? kChunksBigEndian : kChunksLittleEndian;
    stream->stream_.reset(opened);
    return stream;
}

AravisStream::~AravisStream() {
    if (stream_ == nullptr) {
        return;
    }
    std::lock_guard lock(grabMutex_);
    EndStreaming();
    // Aravis stops the receiving itself when the stream goes, and insists that it is running.
    arv_stream_start_thread(stream_.get());
    owner_.Unref(stream_.release());
}

CamResult AravisStream::StartGrab(uint32_t mode, int64_t count) {
    if (mode != 0) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(grabMutex_);
    if (connection_.lost) {
        return Result::kIo;
    }
    EndStreaming();
    {
        std::lock_guard receive(receiveMutex_);
        arv_stream_start_thread(stream_.get());
        receiving_ = true;
        underrunsTaken_ = Underruns();
    }
    framesStarted_ = 0;
    remaining_ = count > 0 ? count : -1;
    stopped_ = false;
    if (const CamResult result = ExecuteCommand("AcquisitionStart"); result != 0) {
        EndStreaming();
        return result;
    }
    acquiring_ = true;
    return Result::kSuccess;
}

CamResult AravisStream::StopGrab(uint32_t /*mode*/) {
    stopped_ = true;
    ++stopCount_;
    {
        // Orders the stop before a waiter's next look at it.
        std::lock_guard lock(stopMutex_);
    }
    stopSignal_.notify_all();
    std::lock_guard lock(grabMutex_);
    EndStreaming();
    return Result::kSuccess;
}

void AravisStream::EndStreaming() {
    if (acquiring_.exchange(false) && !connection_.lost) {
        ExecuteCommand("AcquisitionStop");
    }
    std::lock_guard receive(receiveMutex_);
    StopReceiving();
}

void AravisStream::StopReceiving() {
    {
        std::lock_guard lock(lentMutex_);
        holdPushes_ = true;
    }
    if (receiving_) {
        arv_stream_stop_thread(stream_.get(), TRUE);
        receiving_ = false;
    }
    std::lock_guard lock(lentMutex_);
    lent_.clear();
    holdPushes_ = false;
}

void AravisStream::OnReceivingThread(void* self, ArvStreamCallbackType type, ArvBuffer* buffer) {
    // Only finished buffers concern the stream: the thread's start and end may come after the
    // stream is gone, when Aravis lets go of it.
    if (type == ARV_STREAM_CALLBACK_TYPE_BUFFER_DONE) {
        static_cast<AravisStream*>(self)->Arrived(buffer);
    }
}

void AravisStream::Arrived(ArvBuffer* buffer) {
    std::lock_guard report(arrivalMutex_);
    if (arrival_.callback == nullptr) {
        return;
    }
    Lent taken;
    {
        std::lock_guard lock(lentMutex_);
        const auto lent = FindReceived(buffer);
        // Reclaimed while it was being filled: its memory is no longer the stream's to report.
        if (lent == lent_.end()) {
            return;
        }
        taken = std::move(*lent);
        lent_.erase(lent);
    }
    ++framesStarted_;
    // Reported buffers still come out of Aravis's output queue, where nobody waits for them: the
    // ones already there are dropped now, this one with the next image. Before the report, so
    // that the consumer it wakes does not meet this thread in Aravis's queues.
    while (ArvBuffer* reported = arv_stream_try_pop_buffer(stream_.get())) {
        g_object_unref(reported);
    }
    CamImageInfo info;
    const CamResult result = ReportImage(buffer, chunkOrder_, nullptr, taken.capacity, &info);
    arrival_.callback(taken.memory, result, &info, arrival_.context);
}

void AravisStream::WaitForStop(uint64_t stops, std::chrono::steady_clock::duration timeout) {
    std::unique_lock lock(stopMutex_);
    stopSignal_.wait_for(lock, timeout, [&] { return stopped_ || stopCount_ != stops; });
}

CamResult AravisStream::GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                                  CamImageInfo* info) {
    const uint64_t stops = stopCount_;
    std::lock_guard lock(grabMutex_);
    bool lentHere = false;
    if (destination != nullptr) {
        std::lock_guard lock(lentMutex_);
        lentHere = FindLent(destination) == lent_.end() && LendLocked(destination, capacity);
    }
    const CamResult result = AwaitImage(stops, destination, capacity, timeoutMs, info);
    if (lentHere) {
        // Memory lent for this grab alone is not written once the grab has returned.
        std::lock_guard receive(receiveMutex_);
        bool stillLent = false;
        {
            std::lock_guard lock(lentMutex_);
            if (const auto lent = FindLent(destination); lent != lent_.end()) {
                lent_.erase(lent);
                stillLent = true;
            }
        }
        if (stillLent) {
            ReceiveIntoLent();
        }
    }
    return result;
}

CamResult AravisStream::AwaitImage(uint64_t stops, void* destination, size_t capacity,
                                   uint32_t timeoutMs, CamImageInfo* info) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (stopped_ || stopCount_ != stops) {
            return kGrabAborted;
        }
        if (connection_.lost) {
            return kGrabStreamFailed;
        }
        if (destination == nullptr && TakeUnderrun()) {
            return kGrabOk;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (destination == nullptr && reporting_) {
            // The receiving thread reports every image: only lost images are left to count.
            if (left <= std::chrono::steady_clock::duration::zero()) {
                return kGrabTimeout;
            }
            WaitForStop(stops, left);
            continue;
        }
        const auto slice = std::clamp<std::chrono::steady_clock::duration>(
            left, std::chrono::steady_clock::duration::zero(), kWaitSlice);
        if (!receiving_) {
            std::this_thread::sleep_for(slice);
        } else if (ArvBuffer* received = arv_stream_timeout_pop_buffer(
                       stream_.get(),
                       std::chrono::duration_cast<std::chrono::microseconds>(slice).count())) {
            CamResult result = kGrabOk;
            if (Take(received, destination, capacity, info, &result) == Received::Stale) {
                continue;
            }
            if (result == kGrabOk && remaining_ > 0 && --remaining_ == 0) {
                EndStreaming();
            }
            return result;
        }
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return kGrabTimeout;
        }
    }
}

AravisStream::Received AravisStream::Take(ArvBuffer* received, void* destination, size_t capacity,
                                          CamImageInfo* info, CamResult* result) {
    const GObjectPtr<ArvBuffer> popped(received);
    {
        std::lock_guard lock(lentMutex_);
        const auto lent = FindReceived(received);
        // Reclaimed while it was on its way, or reported on the receiving thread, which may
        // happen after Aravis has handed the buffer over: its memory is not ours to read.
        if (lent == lent_.end() || reporting_) {
            return Received::Stale;
        }
        ++framesStarted_;
        if (destination == nullptr) {
            // Dropped: the memory is lent again, behind the rest, where Aravis now holds it.
            Lent again = std::move(*lent);
            lent_.erase(lent);
            lent_.push_back(std::move(again));
            Push(lent_.back());
            *result = kGrabOk;
            return Received::Taken;
        }
        if (lent->memory == destination) {
            *result = ReportImage(received, chunkOrder_, nullptr, capacity, info);
            lent_.erase(lent);
            return Received::Taken;
        }
        // The image came into other lent memory, which stays lent where it was: Aravis gets its
        // lent memory back in lending order, without the destination.
        *result = ReportImage(received, chunkOrder_, destination, capacity, info);
        if (const auto own = FindLent(destination); own != lent_.end()) {
            lent_.erase(own);
        }
    }
    std::lock_guard receive(receiveMutex_);
    ReceiveIntoLent();
    return Received::Taken;
}

bool AravisStream::TakeUnderrun() {
    std::lock_guard receive(receiveMutex_);
    if (!receiving_ || Underruns() <= underrunsTaken_) {
        return false;
    }
    ++underrunsTaken_;
    ++framesStarted_;
    return true;
}

CamResult AravisStream::LendDestination(void* memory, size_t capacity) {
    if (memory == nullptr) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(lentMutex_);
    if (FindLent(memory) == lent_.end()) {
        LendLocked(memory, capacity);
    }
    return Result::kSuccess;
}

CamResult AravisStream::ReclaimDestinations() {
    std::lock_guard receive(receiveMutex_);
    bool anyLent = false;
    {
        std::lock_guard lock(lentMutex_);
        anyLent = !lent_.empty();
        lent_.clear();
    }
    if (anyLent) {
        ReceiveIntoLent();
    }
    return Result::kSuccess;
}

CamResult AravisStream::SetArrivalCallback(ImageArrivalCallback callback, void* context) {
    // Only the GigE Vision stream's reports are tried against a camera; a USB3 Vision stream
    // keeps its images for the grab.
    if (callback != nullptr && !ARV_IS_GV_STREAM(stream_.get())) {
        return Result::kNotImplemented;
    }
    std::lock_guard lock(arrivalMutex_);
    arrival_ = Arrival{callback, context};
    reporting_ = callback != nullptr;
    return Result::kSuccess;
}

std::deque<AravisStream::Lent>::iterator AravisStream::FindLent(const void* memory) {
    return std::find_if(lent_.begin(), lent_.end(),
                        [&](const Lent& lent) { return lent.memory == memory; });
}

std::deque<AravisStream::Lent>::iterator AravisStream::FindReceived(const ArvBuffer* buffer) {
    return std::find_if(lent_.begin(), lent_.end(),
                        [&](const Lent& lent) { return lent.wrapper.get() == buffer; });
}

bool AravisStream::LendLocked(void* memory, size_t capacity) {
    // Out of a grab Aravis holds no memory, and must not be given any to keep.
    if (!receiving_) {
        return false;
    }
    lent_.push_back(
        Lent{memory, capacity, GObjectPtr<ArvBuffer>(arv_buffer_new(capacity, memory))});
    Push(lent_.back());
    return true;
}

void AravisStream::Push(const Lent& lent) {
    if (!holdPushes_) {
        arv_stream_push_buffer(stream_.get(),
                               static_cast<ArvBuffer*>(g_object_ref(lent.wrapper.get())));
    }
}

void AravisStream::ReceiveIntoLent() {
    if (!receiving_) {
        return;
    }
    {
        std::lock_guard lock(lentMutex_);
        holdPushes_ = true;
    }
    arv_stream_stop_thread(stream_.get(), TRUE);
    arv_stream_start_thread(stream_.get());
    underrunsTaken_ = Underruns();
    std::lock_guard lock(lentMutex_);
    holdPushes_ = false;
    for (const Lent& lent : lent_) {
        Push(lent);
    }
}

guint64 AravisStream::Underruns() {
    guint64 completed = 0;
    guint64 failures = 0;
    guint64 underruns = 0;
    arv_stream_get_statistics(stream_.get(), &completed, &failures, &underruns);
    return underruns;
}

CamResult AravisStream::SetParameter(uint32_t parameter, const void* value, size_t* size) {
    return SetStreamParameter(parameter, value, size, grabTimeoutMs_);
}

CamResult AravisStream::GetParameter(uint32_t parameter, void* value, size_t* size) {
    if (value == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    // Counted here, so also known once the camera is lost.
    if (const char* counter = PacketCounterName(parameter)) {
        return ReadPacketCounter(counter, value, size);
    }
    // A lost camera cannot say anything about its stream.
    if (connection_.lost) {
        return Result::kIo;
    }
    const auto feature = [&](const char* name, auto type) {
        int64_t number = 0;
        const CamResult result = ReadFeature(name, &number);
        return result != Result::kSuccess
                   ? result
                   : WriteParameter(static_cast<decltype(type)>(number), value, size);
    };
    switch (parameter) {
        case kParamFramesStarted:
            return WriteParameter(int64_t{framesStarted_}, value, size);
        case kParamGrabTimeout:
            return WriteParameter(uint32_t{grabTimeoutMs_}, value, size);
        case kParamAcquisitionActive:
            return WriteParameter(uint32_t{acquiring_ ? 1u : 0u}, value, size);
        case kParamDefinesPayloadSize:
            return WriteParameter(uint64_t{0}, value, size);
        case kParamPayloadSize:
            return feature("PayloadSize", uint64_t{});
        case kParamPixelFormat:
            return feature("PixelFormat", uint64_t{});
        case kParamWidth:
            return feature("Width", uint32_t{});
        case kParamHeight:
            return feature("Height", uint32_t{});
        default:
            return Result::kInvalidParameter;
    }
}

CamResult AravisStream::ReadPacketCounter(const char* name, void* value, size_t* size) {
    // Only the GigE Vision stream counts packets; Aravis's other streams have no such counter.
    const guint infos = arv_stream_get_n_infos(stream_.get());
    for (guint info = 0; info < infos; ++info) {
        if (std::strcmp(arv_stream_get_info_name(stream_.get(), info), name) == 0) {
            return WriteParameter(uint64_t{arv_stream_get_info_uint64(stream_.get(), info)}, value,
                                  size);
        }
    }
    return Result::kInvalidParameter;
}

CamResult AravisStream::CloseStream() {
    owner_.ReleaseStream();
    return Result::kSuccess;
}

CamResult AravisStream::ReadFeature(const char* name, int64_t* value) {
    std::lock_guard lock(connection_.featureMutex);
    ErrorSlot error;
    *value = arv_device_get_integer_feature_value(connection_.device.get(), name, error);
    return error.IsSet() ? Result::kIo : Result::kSuccess;
}

CamResult AravisStream::ExecuteCommand(const char* name) {
    std::lock_guard lock(connection_.featureMutex);
    ErrorSlot error;
    arv_device_execute_command(connection_.device.get(), name, error);
    return error.IsSet() ? Result::kIo : Result::kSuccess;
}

}  // namespace Tevold::Aravis
