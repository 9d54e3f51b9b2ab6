// Lets Aravis's GenApi engine (ArvGc) evaluate a register description against any register
// space: an ArvDevice whose memory reads and writes go to the two functions it is given, for
// example GCReadPort/GCWritePort on a GenTL remote device port.
#pragma once

#include <arv.h>

#include "tevold/aravis/GLibOwnership.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Kavrin::Tools {

using ArvDevicePtr = Tevold::Aravis::GObjectPtr<ArvDevice>;
using ArvGcPtr = Tevold::Aravis::GObjectPtr<ArvGc>;

// Moves size bytes between data and the register space at address. Returns an empty text on
// success, else what went wrong; the text reaches the caller of the GenApi engine.
using RegisterAccess = std::function<std::string(uint64_t address, void* data, size_t size)>;

// The device must not outlive what the two functions reach.
ArvDevicePtr MakeGenApiPortDevice(RegisterAccess read, RegisterAccess write);

// The engine over a parsed description; it holds its own reference on the device.
inline ArvGcPtr ParseDescription(ArvDevice* device, const std::string& xml) {
    return ArvGcPtr(arv_gc_new(device, xml.data(), xml.size()));
}

}  // namespace Kavrin::Tools
