#include "tevold/aravis/AravisStream.h"

#include "tevold/CamResults.h"
#include "tevold/StreamParameters.h"
#include "tevold/aravis/AravisCamera.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace Tevold::Aravis {
namespace {

// Buffers Aravis receives into: enough to ride out a consumer that is a few images late.
constexpr int kPoolSize = 4;
// How often a waiting GrabImage looks whether it was stopped or the camera was lost.
constexpr auto kWaitSlice = std::chrono::milliseconds(20);

}  // namespace

AravisStream::AravisStream(AravisCamera& owner, CameraConnection& connection, ArvStream* stream)
    : owner_(owner), connection_(connection), stream_(stream)
{
}

AravisStream::~AravisStream()
{
    std::lock_guard lock(grabMutex_);
    EndStreaming();
    // Aravis stops the receiving itself when the stream goes, and insists that it is running.
    arv_stream_start_thread(stream_.get());
}

CamResult AravisStream::StartGrab(uint32_t mode, int64_t count)
{
    if (mode != 0) {
        return Result::kInvalidParameter;
    }
    std::lock_guard lock(grabMutex_);
    if (connection_.lost) {
        return Result::kIo;
    }
    EndStreaming();
    int64_t payloadSize = 0;
    if (const CamResult result = ReadFeature("PayloadSize", &payloadSize); result != 0) {
        return result;
    }
    arv_stream_start_thread(stream_.get());
    receiving_ = true;
    for (int index = 0; index < kPoolSize; ++index) {
        arv_stream_push_buffer(stream_.get(), arv_buffer_new_allocate(static_cast<size_t>(payloadSize)));
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

CamResult AravisStream::StopGrab(uint32_t /*mode*/)
{
    stopped_ = true;
    ++stopCount_;
    std::lock_guard lock(grabMutex_);
    EndStreaming();
    return Result::kSuccess;
}

void AravisStream::EndStreaming()
{
    if (acquiring_.exchange(false) && !connection_.lost) {
        ExecuteCommand("AcquisitionStop");
    }
    if (receiving_) {
        arv_stream_stop_thread(stream_.get(), TRUE);
        receiving_ = false;
    }
}

CamResult AravisStream::GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                                  CamImageInfo* info)
{
    const uint64_t stops = stopCount_;
    std::lock_guard lock(grabMutex_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (stopped_ || stopCount_ != stops) {
            return kGrabAborted;
        }
        if (connection_.lost) {
            return kGrabStreamFailed;
        }
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero()) {
            return kGrabTimeout;
        }
        const auto slice = std::min<std::chrono::steady_clock::duration>(left, kWaitSlice);
        if (!receiving_) {
            std::this_thread::sleep_for(slice);
            continue;
        }
        const auto sliceUs = std::chrono::duration_cast<std::chrono::microseconds>(slice).count();
        if (ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream_.get(), sliceUs + 1)) {
            return Deliver(buffer, destination, capacity, info);
        }
    }
}

CamResult AravisStream::Deliver(ArvBuffer* buffer, void* destination, size_t capacity,
                                CamImageInfo* info)
{
    ++framesStarted_;
    CamResult result = kGrabOk;
    size_t size = 0;
    const void* data = arv_buffer_get_data(buffer, &size);
    if (arv_buffer_get_status(buffer) != ARV_BUFFER_STATUS_SUCCESS) {
        result = kGrabImageLost;
    } else if (destination != nullptr && size > capacity) {
        result = kGrabBufferTooSmall;
    } else if (destination != nullptr) {
        std::memcpy(destination, data, size);
        if (info != nullptr) {
            info->frameId = arv_buffer_get_frame_id(buffer);
            info->timestampNs = arv_buffer_get_timestamp(buffer);
            info->pixelFormat = arv_buffer_get_image_pixel_format(buffer);
            info->width = static_cast<uint32_t>(arv_buffer_get_image_width(buffer));
            info->height = static_cast<uint32_t>(arv_buffer_get_image_height(buffer));
            info->sizeFilled = size;
        }
    }
    arv_stream_push_buffer(stream_.get(), buffer);
    if (result == kGrabOk && remaining_ > 0 && --remaining_ == 0) {
        EndStreaming();
    }
    return result;
}

CamResult AravisStream::SetParameter(uint32_t parameter, const void* value, size_t* size)
{
    return SetStreamParameter(parameter, value, size, grabTimeoutMs_);
}

CamResult AravisStream::GetParameter(uint32_t parameter, void* value, size_t* size)
{
    if (value == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
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

CamResult AravisStream::CloseStream()
{
    owner_.ReleaseStream();
    return Result::kSuccess;
}

CamResult AravisStream::ReadFeature(const char* name, int64_t* value)
{
    std::lock_guard lock(connection_.featureMutex);
    ErrorSlot error;
    *value = arv_device_get_integer_feature_value(connection_.device.get(), name, error);
    return error.IsSet() ? Result::kIo : Result::kSuccess;
}

CamResult AravisStream::ExecuteCommand(const char* name)
{
    std::lock_guard lock(connection_.featureMutex);
    ErrorSlot error;
    arv_device_execute_command(connection_.device.get(), name, error);
    return error.IsSet() ? Result::kIo : Result::kSuccess;
}

}  // namespace Tevold::Aravis
