#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Tevold::Aravis {

// What discovery learnt about one real camera; device objects answer QueryInfo from it.
struct CameraRecord {
    std::string deviceId;       // "<vendor>-<model>-<serial number>"
    std::string interfaceName;  // the network interface, or "USB"
    std::string tlType;         // "GEV" or "U3V"
    std::string vendor;
    std::string model;
    std::string version;
    std::string serialNumber;
    std::string userName;
    std::string location;  // "gev://<address>" or "u3v://<USB physical ID>"
};

std::string MakeDeviceId(const std::string& vendor, const std::string& model,
                         const std::string& serialNumber);

// GenTL DEVICE_ACCESS_STATUS values.
constexpr uint32_t kAccessUnknown = 0;
constexpr uint32_t kAccessReadWrite = 1;
constexpr uint32_t kAccessBusy = 4;

// QueryInfo of a real camera. kItemLibraryId gives the device ID, kItemInterfaceName the interface
// name, kItemLocation the location, kItemBackendName "Aravis <version>". descriptionUrl empty
// means the description is not reachable through this object (a discovered, unopened camera).
CamResult QueryCameraInfo(const CameraRecord& camera, uint32_t accessStatus,
                          const std::string& descriptionUrl, int32_t item, void* buffer,
                          size_t* size);

}  // namespace Tevold::Aravis
