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

// The port must not outlive the object it reaches.
ArvDevicePtr MakeAravisPortDevice(CamDevice& device);
ArvDevicePtr MakeAravisPortDevice(CamInterface& iface);

inline ArvGcPtr ParseDescription(ArvDevice* port, const std::string& xml)
{
    return ArvGcPtr(arv_gc_new(port, xml.data(), xml.size()));
}

}  // namespace Tevold::Testing
