#pragma once

#include "camlib/CamLib.h"
#include "tevold/sim/CameraHardware.h"
#include "tevold/sim/FaultInjector.h"

#include <cstddef>
#include <cstdint>

namespace Tevold::Sim {

// QueryInfo of any device object, discovered or connected. Besides the items CamLib.h names:
// kItemLibraryId gives the device ID, kItemLocation "sim://<interface>/<device ID>",
// kItemBackendName "Tevold simulator".
CamResult QueryDeviceInfo(CameraHardware& camera, FaultInjector& faults, int32_t item, void* buffer,
                          size_t* size);

}  // namespace Tevold::Sim
