// Finding interfaces and cameras, hardware that comes and goes at run time, and the worlds the
// simulator agrees to build.
#include "SimTestSupport.h"

#include <gmock/gmock.h>

namespace Tevold::Testing {
namespace {

using ::testing::ElementsAre;
using DiscoveryTest = SimTest;

TEST_F(DiscoveryTest, HardwareIsFoundOnlyWhereItIs) {
    // The lists themselves are checked through the producer.
    auto system = OpenSystem();
    auto gev = ConnectInterface(*system, kGevInterface);

    CamInterface* noInterface = nullptr;
    EXPECT_EQ(Result::kInvalidId, system->FindInterface("SimGEV9", &noInterface));
    // A camera is reachable only through the interface it is plugged into.
    CamDevice* noDevice = nullptr;
    EXPECT_EQ(Result::kInvalidId, gev->ConnectDevice("KVR-U3V-2001", &noDevice));
    EXPECT_EQ(Result::kInvalidId, gev->FindDevice("KVR-U3V-2001", &noDevice));

    // Every text the library hands out goes through the same writer: it writes only into
    // buffers that hold the text and its NUL, and says how much it needs.
    char name[16] = "untouched";
    size_t size = 4;
    EXPECT_EQ(Result::kBufferTooSmall, system->GetInterfaceName(0, name, &size));
    EXPECT_EQ(kGevInterface.size() + 1, size);
    EXPECT_STREQ("untouched", name);
    EXPECT_EQ(Result::kInvalidParameter, system->GetInterfaceName(2, name, &size));
}

TEST_F(DiscoveryTest, HardwareComesAndGoesAtRunTime) {
    auto system = OpenSystem();
    auto gev = ConnectInterface(*system, kGevInterface);
    auto u3v = ConnectInterface(*system, kU3vInterface);
    auto device = ConnectDevice(*gev, kGevCamera);

    // Objects still open on vanished hardware fail instead of reaching it.
    Sim::RemoveCamera(kGevCamera);
    Sim::RemoveInterface(kU3vInterface);
    EXPECT_TRUE(DeviceNames(*u3v).empty());
    uint32_t value = 0;
    size_t size = sizeof value;
    EXPECT_EQ(Result::kIo, device->ReadRegister(Sim::CameraRegister::kWidth, &value, &size));
    EXPECT_EQ(Result::kIo, u3v->ReadRegister(InterfaceRegister::kIdPrefix, &value, &size));

    // A camera that comes back is built anew, free to connect beside the stale object.
    Sim::AddCamera(kGevInterface, {kGevCamera, "KS-NEW", "Back", "Kavrin", "SimCam GEV", "2.0"});
    EXPECT_THAT(DeviceNames(*gev), ElementsAre(kSecondGevCamera, kGevCamera));
    EXPECT_EQ("KS-NEW", QueryText(*ConnectDevice(*gev, kGevCamera), kItemSerialNumber));
}

TEST_F(DiscoveryTest, WorldIsConfiguredOnlyWhenItCanBeBuilt) {
    auto config = Sim::MakeWorldConfig(1, 2);
    config.interfaces[0].cameras[1].deviceId = config.interfaces[0].cameras[0].deviceId;
    EXPECT_THROW(Sim::Configure(config), std::invalid_argument);
    // A camera register holds a text only with its NUL.
    config = Sim::MakeWorldConfig(1, 1);
    const std::string longest(Sim::CameraRegister::kTextLength - 1, 'v');
    config.interfaces[0].cameras[0].vendor = longest + "v";
    EXPECT_THROW(Sim::Configure(config), std::invalid_argument);
    EXPECT_THROW(Sim::AddInterface({kGevInterface, "gev", "GEV", {}}), std::invalid_argument);
    EXPECT_THROW(Sim::RemoveCamera("KVR-GEV-9999"), std::invalid_argument);
    auto system = OpenSystem();
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface, kU3vInterface));

    config.interfaces[0].cameras[0].vendor = longest;
    Sim::Configure(config);
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface));
    auto iface = ConnectInterface(*system, kGevInterface);
    auto device = ConnectDevice(*iface, kGevCamera);
    EXPECT_EQ(longest, QueryText(*device, kItemVendor));
    EXPECT_EQ(longest, UntilNul(ReadBytes(*device, Sim::CameraRegister::kVendorName,
                                          Sim::CameraRegister::kTextLength)));
}

}  // namespace
}  // namespace Tevold::Testing
