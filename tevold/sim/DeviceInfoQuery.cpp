#include "tevold/sim/DeviceInfoQuery.h"

#include "tevold/CamResults.h"
#include "tevold/TextOutput.h"
#include "tevold/sim/CameraDescription.h"

#include <cstring>

namespace Tevold::Sim {
namespace {

// GenTL DEVICE_ACCESS_STATUS values.
constexpr uint32_t kAccessReadWrite = 1;
constexpr uint32_t kAccessBusy = 4;

CamResult WriteAccessStatus(const CameraHardware& camera, void* buffer, size_t* size) {
    const uint32_t status = camera.Status().connected ? kAccessBusy : kAccessReadWrite;
    if (buffer == nullptr || *size < sizeof status) {
        const bool askedForSize = buffer == nullptr;
        *size = sizeof status;
        return askedForSize ? Result::kSuccess : Result::kBufferTooSmall;
    }
    std::memcpy(buffer, &status, sizeof status);
    *size = sizeof status;
    return Result::kSuccess;
}

CamResult AcceptPrepareClose(CameraHardware& camera, const void* buffer, const size_t* size) {
    if (buffer == nullptr || *size < 1) {
        return Result::kInvalidParameter;
    }
    camera.Calls().Record(CameraCall::QueryPrepareClose);
    return Result::kSuccess;
}

}  // namespace

CamResult QueryDeviceInfo(CameraHardware& camera, FaultInjector& faults, int32_t item, void* buffer,
                          size_t* size) {
    if (size == nullptr) {
        return Result::kInvalidParameter;
    }
    const CameraConfig& config = camera.Config();
    switch (item) {
        case kItemInterfaceName:
            return WriteText(camera.InterfaceName(), buffer, size);
        case kItemVendor:
            return WriteText(config.vendor, buffer, size);
        case kItemModel:
            return WriteText(config.model, buffer, size);
        case kItemUserName:
            return WriteText(camera.UserName(), buffer, size);
        case kItemVersion:
            return WriteText(config.version, buffer, size);
        case kItemSerialNumber:
            return WriteText(config.serialNumber, buffer, size);
        case kItemDescriptionUrl:
            if (const auto fault = faults.Take(Operation::QueryDescriptionUrl, config.deviceId)) {
                return *fault;
            }
            return WriteText(CameraDescriptionUrl(TransportOf(camera.TLType())), buffer, size);
        case kItemAccessStatus:
            return WriteAccessStatus(camera, buffer, size);
        case kItemPrepareClose:
            return AcceptPrepareClose(camera, buffer, size);
        case kItemTLType:
            return WriteText(camera.TLType(), buffer, size);
        case kItemBackendName:
            return WriteText("Tevold simulator", buffer, size);
        case kItemLocation:
            return WriteText("sim://" + camera.InterfaceName() + "/" + config.deviceId, buffer,
                             size);
        case kItemLibraryId:
            return WriteText(config.deviceId, buffer, size);
        default:
            return Result::kInvalidParameter;
    }
}

}  // namespace Tevold::Sim
