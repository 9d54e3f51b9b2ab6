#include "tools/DeviceCatalog.h"

#include <cstdio>
#include <stdexcept>

namespace Kavrin::Tools {

namespace {

bool Matches(const DeviceEntry& device, const std::string& deviceName) {
    static const std::string kSerial = "SN->";
    static const std::string kUserName = "USERNAME->";
    if (deviceName.rfind(kSerial, 0) == 0)
        return device.serialNumber == deviceName.substr(kSerial.size());
    if (deviceName.rfind(kUserName, 0) == 0)
        return device.userName == deviceName.substr(kUserName.size());
    return device.id == deviceName;
}

}  // namespace

DeviceCatalog::DeviceCatalog(const std::vector<std::string>& producerPaths) {
    if (producerPaths.empty()) throw std::runtime_error("no GenTL producer (.cti) found");
    for (const auto& path : producerPaths) {
        try {
            producers_.push_back(std::make_unique<ProducerSession>(path));
        } catch (const std::exception& error) {
            if (producerPaths.size() == 1) throw;
            std::fprintf(stderr, "kavrin-grab: skipping %s: %s\n", path.c_str(), error.what());
        }
    }
}

DeviceLocation DeviceCatalog::Select(const std::string& deviceName) {
    std::string known;
    for (auto& producer : producers_) {
        for (const auto& iface : producer->Interfaces()) {
            for (const auto& device : iface.devices) {
                if (deviceName.empty() || Matches(device, deviceName))
                    return {producer.get(), &iface, &device};
                known += (known.empty() ? "" : ", ") + device.id;
            }
        }
    }
    if (known.empty()) throw std::runtime_error("no device found");
    throw std::runtime_error("no device matches \"" + deviceName + "\"; the devices are: " + known);
}

}  // namespace Kavrin::Tools
