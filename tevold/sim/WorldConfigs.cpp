#include "tevold/SimControl.h"

namespace Tevold::Sim {

WorldConfig MakeWorldConfig(uint32_t interfaceCount, uint32_t camerasPerInterface) {
    WorldConfig world;
    for (uint32_t i = 0; i < interfaceCount; ++i) {
        const bool gev = i % 2 == 0;
        const std::string tlType = gev ? "GEV" : "U3V";
        InterfaceConfig iface{
            "Sim" + tlType + std::to_string(i / 2), gev ? "gev" : "u3v", tlType, {}};
        for (uint32_t j = 0; j < camerasPerInterface; ++j) {
            const std::string number = std::to_string((i + 1) * 1000 + j + 1);
            iface.cameras.push_back({"KVR-" + tlType + "-" + number, "KS" + number, "Cam" + number,
                                     "Kavrin", "SimCam " + tlType, "1.0.0"});
        }
        world.interfaces.push_back(std::move(iface));
    }
    return world;
}

WorldConfig DefaultWorldConfig() { return MakeWorldConfig(2, 2); }

}  // namespace Tevold::Sim
