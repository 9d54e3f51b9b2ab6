// Lets aravis, an independent GenICam implementation, reach our registers: an ArvDevice whose
// memory reads and writes go to a CamDevice or CamInterface, so a parsed register description
// can be evaluated against the simulated hardware.
#pragma once

#include "camlib/CamLib.h"

#include <arv.h>

#include <memory>
#include <string>

namespace Tevold::Testing {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using ArvDevicePtr = std::unique_ptr<ArvDevice, GObjectUnref>;
using ArvGcPtr = std::unique_ptr<ArvGc, GObjectUnref>;

ArvDevicePtr MakeAravisPortDevice(CamDevice& device);
ArvDevicePtr MakeAravisPortDevice(CamInterface& iface);

// Parses a register description whose port reaches the given device (which may be null).
ArvGcPtr ParseDescription(ArvDevice* device, const std::string& xml);

}  // namespace Tevold::Testing
