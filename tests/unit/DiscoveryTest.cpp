// The merge rule of the system module's interface list, driven through the simulated camera
// system: known interfaces keep their place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/GenICamException.h"
#include "system/TL.h"
#include "tevold/SimControl.h"

using namespace GenICam::Client;
namespace Sim = Tevold::Sim;

namespace {
Sim::InterfaceConfig Interface(const std::string& name, std::vector<std::string> cameraIds = {}) {
    Sim::InterfaceConfig config{name, "gev", "GEV", {}};
    for (const std::string& id : cameraIds)
        config.cameras.push_back({id, "S" + id, "U" + id, "V", "M", "1"});
    return config;
}

class Discovery : public ::testing::Test {
protected:
    ~Discovery() override { Sim::Reset(); }

    std::vector<std::string> InterfaceIds() {
        std::vector<std::string> ids;
        for (uint32_t i = 0; i < system_.GetNumInterfaces(); ++i)
            ids.push_back(system_.GetInterfaceID(i));
        return ids;
    }

    bool UpdateInterfaces(std::vector<Sim::InterfaceConfig> interfaces) {
        Sim::Configure({std::move(interfaces)});
        GenTL::bool8_t changed = false;
        system_.UpdateInterfaceList(&changed, 0);
        return changed;
    }

    CTL system_;
};
}  // namespace

TEST_F(Discovery, KnownInterfacesKeepTheirPlaceAheadOfNewOnes) {
    EXPECT_TRUE(UpdateInterfaces({Interface("X"), Interface("Z")}));
    EXPECT_EQ(InterfaceIds(), (std::vector<std::string>{"GEV::X", "GEV::Z"}));
    EXPECT_FALSE(UpdateInterfaces({Interface("Z"), Interface("X")}));
    EXPECT_EQ(InterfaceIds(), (std::vector<std::string>{"GEV::Z", "GEV::X"}));
    EXPECT_TRUE(UpdateInterfaces({Interface("Z"), Interface("Y"), Interface("X")}));
    EXPECT_EQ(InterfaceIds(), (std::vector<std::string>{"GEV::Z", "GEV::X", "GEV::Y"}));
    EXPECT_TRUE(UpdateInterfaces({Interface("X")}));
    EXPECT_EQ(InterfaceIds(), (std::vector<std::string>{"GEV::X"}));
    system_.UpdateInterfaceList(nullptr, 0);
    EXPECT_EQ(InterfaceIds().size(), 1u);
}
