#include "tevold/aravis/UsbCameraRecord.h"

#include "tevold/aravis/U3vInterface.h"

namespace Tevold::Aravis {
namespace {

constexpr const char* kLocationScheme = "u3v://";

std::string TextOrEmpty(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

CameraRecord UsbCameraRecord::FromDiscovery(const char* vendor, const char* model,
                                            const char* serialNumber, const char* aravisId) {
    CameraRecord camera;
    camera.interfaceName = U3vInterface::kName;
    camera.tlType = "U3V";
    camera.vendor = TextOrEmpty(vendor);
    camera.model = TextOrEmpty(model);
    camera.serialNumber = TextOrEmpty(serialNumber);
    // Aravis's own ID opens the camera; ours follows the GigE Vision pattern.
    camera.location = kLocationScheme + TextOrEmpty(aravisId);
    camera.deviceId = MakeDeviceId(camera.vendor, camera.model, camera.serialNumber);
    return camera;
}

std::string UsbCameraRecord::AravisId(const CameraRecord& camera) {
    const std::string scheme = kLocationScheme;
    return camera.location.compare(0, scheme.size(), scheme) == 0
               ? camera.location.substr(scheme.size())
               : camera.location;
}

}  // namespace Tevold::Aravis
