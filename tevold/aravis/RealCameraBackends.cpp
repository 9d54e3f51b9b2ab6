#include "tevold/aravis/RealCameraBackends.h"

#include "tevold/CamResults.h"
#include "tevold/aravis/RealCameraPlugin.h"

#include <cstdio>
#include <exception>
#include <string>

namespace Tevold::Aravis {

void AddRealCameraBackends(const TransportChoice& choice, std::vector<CamSystem*>& backends) {
    std::vector<const char*> names;
    for (const std::string& name : choice.gevNetworkInterfaces) {
        names.push_back(name.c_str());
    }
    const auto add = [&](RealTransport transport) {
        CamSystem* backend = nullptr;
        if (RealCameraPlugin::Entry()(transport, names.data(), names.size(), &backend) ==
            Result::kSuccess) {
            backends.push_back(backend);
        }
    };
    try {
        if (choice.gev) {
            add(RealTransport::kGigEVision);
        }
        if (choice.u3v) {
            add(RealTransport::kUsb3Vision);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "libTevold40: no real cameras: %s\n", error.what());
    }
}

}  // namespace Tevold::Aravis
