// The merge rules of the system module's interface list and the interface's device list,
// driven through the simulated camera system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/GenICamException.h"
#include "interface/Interface.h"
#include "system/TL.h"
#include "tevold/SimControl.h"

using namespace GenICam::Client;
namespace Sim = Tevold::Sim;

namespace {
Sim::InterfaceConfig Interface(const std::string& name, std::vector<std::string> cameraIds = {}) {
    Sim::InterfaceConfig config{name, "gev", "GEV", {}};
    for (const std::string& id : cameraIds) config.cameras.push_back({id, "S" + id, "U" + id, "V", "M", "1"});
    return config;
}

class Discovery : public ::testing::Test {
protected:
    ~Discovery() override { Sim::Reset(); }

    std::vector<std::string> InterfaceIds() {
        std::vector<std::string> ids;
        for (uint32_t i = 0; i < system_.GetNumInterfaces(); ++i) ids.push_back(system_.GetInterfaceID(i));
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

TEST_F(Discovery, DevicesAreSortedBytewiseAndChangesReported) {
    UpdateInterfaces({Interface("IF", {"CAM9", "b", "CAM10", "A", "B"})});
    auto* opened = HandleRegistry::Instance().Lease(system_.OpenInterface("IF"), HandleRegistry::Kind::Module);
    auto& iface = dynamic_cast<CInterface&>(*static_cast<ICommonBase*>(opened));
    GenTL::bool8_t changed = false;
    iface.UpdateDeviceList(&changed, 0);
    EXPECT_TRUE(changed);
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < iface.GetNumDevices(); ++i) ids.push_back(iface.GetDeviceID(i));
    EXPECT_EQ(ids, (std::vector<std::string>{"A", "B", "CAM10", "CAM9", "b"}));

    iface.UpdateDeviceList(&changed, 0);
    EXPECT_FALSE(changed);
    Sim::RemoveCamera("B");
    iface.UpdateDeviceList(&changed, 0);
    EXPECT_TRUE(changed);
    EXPECT_EQ(iface.GetNumDevices(), 4u);
    EXPECT_THROW(iface.GetDeviceID(4), InvalidParameterException);
}
