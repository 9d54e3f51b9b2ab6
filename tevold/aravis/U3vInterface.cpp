#include "tevold/aravis/U3vInterface.h"

#include "tevold/CamResults.h"
#include "tevold/InfoOnlyDevice.h"
#include "tevold/TextOutput.h"
#include "tevold/aravis/AravisCamera.h"
#include "tevold/aravis/GLibOwnership.h"
#include "tevold/aravis/UsbCameraRecord.h"

namespace Tevold::Aravis {
namespace {

// Aravis keeps one USB3 Vision interface object for the process, and it is not safe to use from
// two threads at once.
std::mutex& AravisUsbMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<CameraRecord> DiscoverUsbCameras() {
    std::lock_guard lock(AravisUsbMutex());
    ArvInterface* usb = arv_uv_interface_get_instance();
    arv_interface_update_device_list(usb);
    std::vector<CameraRecord> cameras;
    for (unsigned int index = 0; index < arv_interface_get_n_devices(usb); ++index) {
        cameras.push_back(UsbCameraRecord::FromDiscovery(
            arv_interface_get_device_vendor(usb, index), arv_interface_get_device_model(usb, index),
            arv_interface_get_device_serial_nbr(usb, index),
            arv_interface_get_device_id(usb, index)));
    }
    return cameras;
}

ArvDevice* OpenUsbCamera(const std::string& aravisId) {
    std::lock_guard lock(AravisUsbMutex());
    ErrorSlot error;
    return arv_interface_open_device(arv_uv_interface_get_instance(), aravisId.c_str(), error);
}

}  // namespace

U3vInterface::U3vInterface() : RealCameraInterface(kName, "u3v", "U3V") {}

CamResult U3vInterface::CountDevices(uint32_t* count, uint32_t /*timeoutMs*/) {
    if (count == nullptr) {
        return Result::kInvalidParameter;
    }
    std::vector<CameraRecord> found = DiscoverUsbCameras();
    std::lock_guard lock(mutex_);
    cameras_ = std::move(found);
    *count = static_cast<uint32_t>(cameras_.size());
    return Result::kSuccess;
}

CamResult U3vInterface::GetDeviceName(uint32_t index, char* buffer, size_t* size) {
    std::lock_guard lock(mutex_);
    if (index >= cameras_.size()) {
        return Result::kInvalidParameter;
    }
    return WriteText(cameras_[index].deviceId, buffer, size);
}

std::optional<CameraRecord> U3vInterface::Listed(const std::string& deviceId) {
    std::lock_guard lock(mutex_);
    for (const CameraRecord& camera : cameras_) {
        if (camera.deviceId == deviceId) {
            return camera;
        }
    }
    return std::nullopt;
}

CamResult U3vInterface::FindDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    auto camera = Listed(name);
    if (!camera) {
        return Result::kInvalidId;
    }
    // Whether another process holds a USB camera shows only when opening it.
    *device =
        new InfoOnlyDevice([record = std::move(*camera)](int32_t item, void* buffer, size_t* size) {
            return QueryCameraInfo(record, kAccessUnknown, {}, item, buffer, size);
        });
    return Result::kSuccess;
}

CamResult U3vInterface::ConnectDevice(const char* name, CamDevice** device) {
    if (name == nullptr || device == nullptr) {
        return Result::kInvalidParameter;
    }
    auto camera = Listed(name);
    if (!camera) {
        uint32_t count = 0;
        CountDevices(&count, 0);
        camera = Listed(name);
    }
    if (!camera) {
        return Result::kError;
    }
    ArvDevice* opened = OpenUsbCamera(UsbCameraRecord::AravisId(*camera));
    if (opened == nullptr) {
        // A USB camera another process has claimed cannot be opened.
        return Result::kAccessDenied;
    }
    *device = new AravisCamera(opened, std::move(*camera));
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
