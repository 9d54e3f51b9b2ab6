#include "tevold/aravis/CameraRecord.h"

#include "tevold/CamResults.h"
#include "tevold/TextOutput.h"

#include <arv.h>

#include <cstring>

namespace Tevold::Aravis {
namespace {

CamResult WriteUInt32(uint32_t value, void* buffer, size_t* size) {
    if (buffer == nullptr || *size < sizeof value) {
        const bool askedForSize = buffer == nullptr;
        *size = sizeof value;
        return askedForSize ? Result::kSuccess : Result::kBufferTooSmall;
    }
    std::memcpy(buffer, &value, sizeof value);
    *size = sizeof value;
    return Result::kSuccess;
}

std::string AravisVersion() {
    return "Aravis " + std::to_string(arv_get_major_version()) + "." +
           std::to_string(arv_get_minor_version()) + "." + std::to_string(arv_get_micro_version());
}

}  // namespace

std::string MakeDeviceId(const std::string& vendor, const std::string& model,
                         const std::string& serialNumber) {
    return vendor + "-" + model + "-" + serialNumber;
}

CamResult QueryCameraInfo(const CameraRecord& camera, uint32_t accessStatus,
                          const std::string& descriptionUrl, int32_t item, void* buffer,
                          size_t* size) {
    if (size == nullptr) {
        return Result::kInvalidParameter;
    }
    switch (item) {
        case kItemInterfaceName:
            return WriteText(camera.interfaceName, buffer, size);
        case kItemVendor:
            return WriteText(camera.vendor, buffer, size);
        case kItemModel:
            return WriteText(camera.model, buffer, size);
        case kItemUserName:
            return WriteText(camera.userName, buffer, size);
        case kItemVersion:
            return WriteText(camera.version, buffer, size);
        case kItemSerialNumber:
            return WriteText(camera.serialNumber, buffer, size);
        case kItemDescriptionUrl:
            return descriptionUrl.empty() ? Result::kNotAvailable
                                          : WriteText(descriptionUrl, buffer, size);
        case kItemAccessStatus:
            return WriteUInt32(accessStatus, buffer, size);
        case kItemPrepareClose:
            return buffer == nullptr || *size < 1 ? Result::kInvalidParameter : Result::kSuccess;
        case kItemTLType:
            return WriteText(camera.tlType, buffer, size);
        case kItemBackendName:
            return WriteText(AravisVersion(), buffer, size);
        case kItemLocation:
            return WriteText(camera.location, buffer, size);
        case kItemLibraryId:
            return WriteText(camera.deviceId, buffer, size);
        default:
            return Result::kInvalidParameter;
    }
}

}  // namespace Tevold::Aravis
