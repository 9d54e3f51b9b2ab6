#include "tevold/sim/SimStream.h"

#include "tevold/CamResults.h"
#include "tevold/StreamParameters.h"
#include "tevold/sim/SimConnectedDevice.h"

#include <cstring>

namespace Tevold::Sim {

SimStream::SimStream(SimConnectedDevice& owner, std::shared_ptr<CameraHardware> camera,
                     CameraHardware::Session session, FaultInjector& faults)
    : owner_(owner), camera_(std::move(camera)), session_(session), faults_(faults) {}

CamResult SimStream::StartGrab(uint32_t mode, int64_t count) {
    camera_->Calls().Record(CameraCall::StartGrab);
    if (const auto fault = faults_.Take(Operation::StartGrab, DeviceId())) {
        return *fault;
    }
    if (mode != 0) {
        return Result::kInvalidParameter;
    }
    return camera_->StartAcquisition(session_, count);
}

CamResult SimStream::StopGrab(uint32_t /*mode*/) {
    camera_->Calls().Record(CameraCall::StopGrab);
    if (const auto fault = faults_.Take(Operation::StopGrab, DeviceId())) {
        return *fault;
    }
    camera_->StopAcquisitionAndAbortGrabs(session_);
    return Result::kSuccess;
}

CamResult SimStream::GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                               CamImageInfo* info) {
    if (const auto fault = faults_.Take(Operation::GrabImage, DeviceId())) {
        return *fault;
    }
    return camera_->GrabImage(session_, destination, capacity, timeoutMs, info);
}

CamResult SimStream::LendDestination(void* /*memory*/, size_t /*capacity*/) {
    return Result::kSuccess;
}

CamResult SimStream::ReclaimDestinations() { return Result::kSuccess; }

CamResult SimStream::SetArrivalCallback(ImageArrivalCallback /*callback*/, void* /*context*/) {
    return Result::kNotImplemented;
}

CamResult SimStream::SetParameter(uint32_t parameter, const void* value, size_t* size) {
    return SetStreamParameter(parameter, value, size, grabTimeoutMs_);
}

CamResult SimStream::GetParameter(uint32_t parameter, void* value, size_t* size) {
    if (value == nullptr || size == nullptr) {
        return Result::kInvalidParameter;
    }
    // A camera unplugged or rebooted since cannot say anything about this stream.
    if (!camera_->Serves(session_)) {
        return Result::kIo;
    }
    const StreamState state = camera_->Stream();
    switch (parameter) {
        case kParamFramesStarted:
            return WriteParameter(int64_t{state.framesStarted}, value, size);
        case kParamGrabTimeout:
            return WriteParameter(uint32_t{grabTimeoutMs_}, value, size);
        case kParamAcquisitionActive:
            return WriteParameter(uint32_t{state.acquiring ? 1u : 0u}, value, size);
        case kParamDefinesPayloadSize:
            return WriteParameter(uint64_t{0}, value, size);
        case kParamPayloadSize:
            return WriteParameter(uint64_t{state.payloadSize}, value, size);
        case kParamPixelFormat:
            return WriteParameter(uint64_t{state.format.pixelFormat}, value, size);
        case kParamWidth:
            return WriteParameter(uint32_t{state.format.width}, value, size);
        case kParamHeight:
            return WriteParameter(uint32_t{state.format.height}, value, size);
        default:
            return Result::kInvalidParameter;
    }
}

CamResult SimStream::CloseStream() {
    camera_->Calls().Record(CameraCall::CloseStream);
    camera_->StopAcquisitionAndAbortGrabs(session_);
    owner_.ReleaseStream();
    return Result::kSuccess;
}

}  // namespace Tevold::Sim
