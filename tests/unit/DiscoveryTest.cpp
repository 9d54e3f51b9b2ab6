// Discovery: the records of interfaces and devices (their IDs, the names requests give and the
// copy an open device keeps), and the merge rule of the system module's interface list, driven
// through the simulated camera system: known interfaces keep their place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/GenICamException.h"
#include "device/DeviceInfo.h"
#include "interface/InterfaceInfo.h"
#include "system/TL.h"
#include "tevold/SimControl.h"

using namespace GenICam::Client;
namespace Sim = Tevold::Sim;

namespace {
Sim::InterfaceConfig Interface(const std::string& name) { return {name, "gev", "GEV", {}}; }

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

namespace {
CInterfaceInfo GigEInterface() {
    return CInterfaceInfo("GE", "00:11:22:33:44:55", "Interface(x)", "GEV");
}

CDeviceInfo Camera(std::string id) {
    CDeviceInfo info;
    info.id = std::move(id);
    info.model = "SimCam";
    info.serialNumber = "ks1001";
    info.userDefinedName = "Left";
    info.libraryId = "c1000";
    info.backendName = "c1004";
    return info;
}
}  // namespace

TEST(InterfaceInfo, MatchesTheIdOrTheMacEntryInAnyCase) {
    const CInterfaceInfo info = GigEInterface();
    EXPECT_EQ(info.GetID(), "GE::00:11:22:33:44:55");
    EXPECT_TRUE(info.Matches("GE::00:11:22:33:44:55"));
    EXPECT_TRUE(info.Matches("ge::00:11:22:33:44:55"));
    EXPECT_TRUE(info.Matches("00:11:22:33:44:55"));
    EXPECT_TRUE(info.Matches("GE::00:11:22:33:44:55::whatever"));
    EXPECT_TRUE(info.Matches("::00:11:22:33:44:55"));
    EXPECT_FALSE(info.Matches("U3::00:11:22:33:44:55"));
    EXPECT_FALSE(info.Matches("00:11:22:33:44:56"));
    EXPECT_THROW(info.Matches(""), RuntimeException);
    EXPECT_THROW(info.Matches("GE::"), RuntimeException);
}

TEST(InterfaceInfo, ParsesNetworkInterfaceIds) {
    CInterfaceInfo info;
    info.Parse("GE::xxxxxAA:BB::Ethernet 1::rest");
    EXPECT_EQ(info.GetPrefix(), "GE");
    EXPECT_EQ(info.GetMAC(), "AA:BB");
    EXPECT_EQ(info.GetDescription(), "Ethernet 1");

    CInterfaceInfo missing;
    EXPECT_THROW(missing.Parse("GEV::xxxxxAA::D"), RuntimeException);
    EXPECT_THROW(missing.Parse("GE::xxxxx::D"), RuntimeException);
    EXPECT_THROW(missing.Parse("GE::xxxxxAA::"), RuntimeException);
}

TEST(DeviceInfo, NamesByIdSerialOrUserNameWithoutRegardToCase) {
    const CDeviceInfo info = Camera("CAM1");
    EXPECT_TRUE(info.Matches("cam1"));
    EXPECT_TRUE(info.Matches("X::CAM1::rest"));
    EXPECT_TRUE(info.Matches("SN->KS1001"));
    EXPECT_TRUE(info.Matches("sn->ks1001"));
    EXPECT_TRUE(info.Matches("USERNAME->left"));
    EXPECT_FALSE(info.Matches("USERNAME->right"));
    EXPECT_FALSE(info.Matches("CAM10"));
    EXPECT_THROW(info.Matches(""), InvalidParameterException);
    EXPECT_THROW(info.Matches("IF::"), InvalidParameterException);
}

TEST(DeviceInfo, DisplayNameIdAndTheCopyAnOpenDeviceKeeps) {
    CDeviceInfo info = Camera(std::string("CAM\0X", 5));
    EXPECT_EQ(info.GetID(), "CAM");
    EXPECT_EQ(info.GetDisplayName(), "SimCam (ks1001)");
    const CDeviceInfo copy = info.CopyForOpenDevice();
    EXPECT_EQ(copy.GetDisplayName(), info.GetDisplayName());
    EXPECT_EQ(copy.userDefinedName, "Left");
    EXPECT_TRUE(copy.libraryId.empty());
    EXPECT_TRUE(copy.backendName.empty());
}
