#pragma once

#include "camlib/CamLib.h"

#include <mutex>
#include <utility>
#include <vector>

namespace Tevold {

// One CamSystem over several backends: their interfaces are listed side by side, in backend
// order, and every interface is opened by the backend that knows its name. Owns the backends.
class CompositeSystem final : public CamSystem {
public:
    explicit CompositeSystem(std::vector<CamSystem*> backends);

    CamResult CountInterfaces(uint32_t* count) override;
    CamResult GetInterfaceName(uint32_t index, char* buffer, size_t* size) override;
    CamResult FindInterface(const char* name, CamInterface** iface) override;
    CamResult ConnectInterface(const char* name, CamInterface** iface) override;
    CamResult ReleaseSystem() override;

private:
    ~CompositeSystem() override = default;

    template <typename Open>
    CamResult OpenInterface(const char* name, CamInterface** iface, Open open);

    std::vector<CamSystem*> backends_;
    std::mutex mutex_;
    // Where each index of the last CountInterfaces lies: backend and its own index.
    std::vector<std::pair<CamSystem*, uint32_t>> listed_;
};

}  // namespace Tevold
