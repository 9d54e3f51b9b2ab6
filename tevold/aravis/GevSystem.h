#pragma once

#include "camlib/CamLib.h"
#include "tevold/aravis/DeferredRelease.h"
#include "tevold/aravis/NetworkInterfaces.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tevold::Aravis {

// GigE Vision: one interface per allowed IPv4 network interface that is up, named after it. The
// list is the one the last CountInterfaces saw.
class GevSystem final : public CamSystem {
public:
    // No names allows every network interface.
    explicit GevSystem(std::vector<std::string> allowedNames);

    CamResult CountInterfaces(uint32_t* count) override;
    CamResult GetInterfaceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindInterface(const char* name, CamInterface** iface) override;
    CamResult ConnectInterface(const char* name, CamInterface** iface) override;
    CamResult ReleaseSystem() override;

private:
    ~GevSystem() override = default;
    CamResult OpenInterface(const char* name, CamInterface** iface);

    const std::vector<std::string> allowedNames_;
    std::mutex mutex_;
    std::vector<NetworkInterface> listed_;
    // Shared with the interfaces and cameras opened through this system.
    const std::shared_ptr<DeferredRelease> release_ = std::make_shared<DeferredRelease>();
};

}  // namespace Tevold::Aravis
