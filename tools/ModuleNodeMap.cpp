#include "tools/ModuleNodeMap.h"

#include "tools/DeviceDescription.h"

namespace Kavrin::Tools {

ModuleNodeMap::ModuleNodeMap(const DeviceLocation& location, const std::string& module) {
    GenTLProducer& gentl = location.producer->GenTL();
    // The system's and the interface's node maps need no open device.
    GenTL::PORT_HANDLE port = nullptr;
    if (module == "system") {
        port = location.producer->System();
    } else if (module == "interface") {
        port = location.iface->handle;
    } else {
        device_.emplace(*location.producer, location.iface->handle, location.device->id);
        port = device_->RemotePort();
        if (module == "device") port = device_->Handle();
        if (module == "stream") port = stream_.emplace(*device_).Handle();
    }
    features_.emplace(gentl, port, DownloadDescription(gentl, port).xml);
}

}  // namespace Kavrin::Tools
