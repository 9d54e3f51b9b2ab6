#pragma once

#include "tevold/aravis/CameraRecord.h"

#include <string>

namespace Tevold::Aravis {

// What Aravis's USB3 Vision discovery says of one camera (any text may be missing), as the
// camera library lists it; and back from the record to the ID Aravis opens the camera by.
struct UsbCameraRecord {
    static CameraRecord FromDiscovery(const char* vendor, const char* model,
                                      const char* serialNumber, const char* aravisId);
    static std::string AravisId(const CameraRecord& camera);
};

}  // namespace Tevold::Aravis
