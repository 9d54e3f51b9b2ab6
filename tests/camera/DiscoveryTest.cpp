// Finding interfaces and cameras, their identity texts and who may connect.
#include "SimTestSupport.h"

#include <gmock/gmock.h>

namespace Tevold::Testing {
namespace {

using ::testing::ElementsAre;

class DiscoveryTest : public SimTest {};

TEST_F(DiscoveryTest, DefaultWorldHasTwoInterfacesWithTwoCamerasEach)
{
    auto system = OpenSystem();
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface, kU3vInterface));
    auto gev = ConnectInterface(*system, kGevInterface);
    auto u3v = ConnectInterface(*system, kU3vInterface);
    EXPECT_THAT(DeviceNames(*gev), ElementsAre(kGevCamera, kSecondGevCamera));
    EXPECT_THAT(DeviceNames(*u3v), ElementsAre("KVR-U3V-2001", "KVR-U3V-2002"));
}

TEST_F(DiscoveryTest, NamesAreWrittenOnlyIntoBuffersThatHoldThem)
{
    auto system = OpenSystem();
    uint32_t count = 0;
    ASSERT_EQ(Result::kSuccess, system->CountInterfaces(&count));
    char name[16] = "untouched";
    size_t size = 4;
    EXPECT_EQ(Result::kBufferTooSmall, system->GetInterfaceName(0, name, &size));
    EXPECT_EQ(kGevInterface.size() + 1, size);
    EXPECT_STREQ("untouched", name);
    EXPECT_EQ(Result::kSuccess, system->GetInterfaceName(0, name, &size));
    EXPECT_EQ(kGevInterface, name);
    EXPECT_EQ(Result::kInvalidParameter, system->GetInterfaceName(count, name, &size));
}

TEST_F(DiscoveryTest, DiscoveredCameraDescribesItself)
{
    auto system = OpenSystem();
    CamInterface* found = nullptr;
    ASSERT_EQ(Result::kSuccess, system->FindInterface(kU3vInterface.c_str(), &found));
    InterfacePtr iface(found);
    CamDevice* discovered = nullptr;
    ASSERT_EQ(Result::kSuccess, iface->FindDevice("KVR-U3V-2002", &discovered));
    DevicePtr device(discovered);

    EXPECT_EQ("Kavrin", QueryText(*device, kItemVendor));
    EXPECT_EQ("SimCam U3V", QueryText(*device, kItemModel));
    EXPECT_EQ("Cam2002", QueryText(*device, kItemUserName));
    EXPECT_EQ("1.0.0", QueryText(*device, kItemVersion));
    EXPECT_EQ("KS2002", QueryText(*device, kItemSerialNumber));
    EXPECT_EQ("U3V", QueryText(*device, kItemTLType));
    EXPECT_EQ(kU3vInterface, QueryText(*device, kItemCustom1002));
    EXPECT_EQ("KVR-U3V-2002", QueryText(*device, kItemCustom1000));
    EXPECT_FALSE(QueryText(*device, kItemCustom1003).empty());
    EXPECT_FALSE(QueryText(*device, kItemCustom1004).empty());

    char url[8];
    size_t size = sizeof url;
    EXPECT_EQ(Result::kBufferTooSmall, device->QueryInfo(kItemDescriptionUrl, url, &size));
    EXPECT_EQ(Result::kInvalidParameter, device->QueryInfo(12, url, &size));
}

TEST_F(DiscoveryTest, OneConnectionPerCameraAcrossSystems)
{
    auto first = OpenSystem();
    auto second = OpenSystem();
    auto firstInterface = ConnectInterface(*first, kGevInterface);
    auto secondInterface = ConnectInterface(*second, kGevInterface);
    CamDevice* discovered = nullptr;
    ASSERT_EQ(Result::kSuccess, secondInterface->FindDevice(kGevCamera.c_str(), &discovered));
    DevicePtr observer(discovered);
    EXPECT_EQ(1u, QueryAccessStatus(*observer));

    auto device = ConnectDevice(*firstInterface, kGevCamera);
    EXPECT_EQ(4u, QueryAccessStatus(*observer));
    CamDevice* intruder = nullptr;
    EXPECT_EQ(Result::kAccessDenied, secondInterface->ConnectDevice(kGevCamera.c_str(), &intruder));

    device.reset();
    EXPECT_EQ(1u, QueryAccessStatus(*observer));
    EXPECT_NE(nullptr, ConnectDevice(*secondInterface, kGevCamera));
}

TEST_F(DiscoveryTest, UnknownNamesAreInvalidIds)
{
    auto system = OpenSystem();
    CamInterface* iface = nullptr;
    EXPECT_EQ(Result::kInvalidId, system->FindInterface("SimGEV9", &iface));
    EXPECT_EQ(Result::kInvalidId, system->ConnectInterface("SimGEV9", &iface));
    auto gev = ConnectInterface(*system, kGevInterface);
    CamDevice* device = nullptr;
    EXPECT_EQ(Result::kInvalidId, gev->ConnectDevice("KVR-GEV-9999", &device));
    EXPECT_EQ(Result::kInvalidId, gev->ConnectDevice("KVR-U3V-2001", &device));
    EXPECT_EQ(Result::kInvalidId, gev->FindDevice("KVR-U3V-2001", &device));
}

TEST_F(DiscoveryTest, CamerasComeAndGoAtRunTime)
{
    auto system = OpenSystem();
    auto iface = ConnectInterface(*system, kGevInterface);
    auto device = ConnectDevice(*iface, kGevCamera);

    Sim::RemoveCamera(kGevCamera);
    EXPECT_THAT(DeviceNames(*iface), ElementsAre(kSecondGevCamera));
    uint32_t value = 0;
    size_t size = sizeof value;
    EXPECT_EQ(Result::kIo, device->ReadRegister(Sim::CameraRegister::kWidth, &value, &size));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).present);

    Sim::AddCamera(kGevInterface, {kGevCamera, "KS-NEW", "Back", "Kavrin", "SimCam GEV", "2.0"});
    EXPECT_THAT(DeviceNames(*iface), ElementsAre(kSecondGevCamera, kGevCamera));
    auto replugged = ConnectDevice(*iface, kGevCamera);
    EXPECT_EQ("KS-NEW", QueryText(*replugged, kItemSerialNumber));
}

TEST_F(DiscoveryTest, InterfacesComeAndGoWithTheirCameras)
{
    auto system = OpenSystem();
    auto iface = ConnectInterface(*system, kU3vInterface);
    Sim::RemoveInterface(kU3vInterface);
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface));
    EXPECT_TRUE(DeviceNames(*iface).empty());
    char byte = 0;
    size_t size = 1;
    EXPECT_EQ(Result::kIo, iface->ReadRegister(Sim::InterfaceRegister::kIdPrefix, &byte, &size));

    Sim::AddInterface({"SimCL0", "cl", "CL", {{"KVR-CL-1", "S1", "", "Kavrin", "SimCam CL", "1"}}});
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface, "SimCL0"));
    auto added = ConnectInterface(*system, "SimCL0");
    EXPECT_THAT(DeviceNames(*added), ElementsAre("KVR-CL-1"));
}

TEST_F(DiscoveryTest, ConfiguredWorldUsesTheGivenTexts)
{
    auto config = Sim::MakeWorldConfig(3, 1);
    config.interfaces[2].cameras[0].vendor = "Other Vendor";
    Sim::Configure(config);
    auto system = OpenSystem();
    EXPECT_THAT(InterfaceNames(*system), ElementsAre("SimGEV0", "SimU3V0", "SimGEV1"));
    auto third = ConnectInterface(*system, "SimGEV1");
    EXPECT_THAT(DeviceNames(*third), ElementsAre("KVR-GEV-3001"));
    auto device = ConnectDevice(*third, "KVR-GEV-3001");
    EXPECT_EQ("Other Vendor", QueryText(*device, kItemVendor));
}

TEST_F(DiscoveryTest, ConfigurationsTheSimulatorCannotBuildAreRefused)
{
    auto duplicateCamera = Sim::MakeWorldConfig(2, 1);
    auto& cameras = duplicateCamera.interfaces;
    cameras[1].cameras[0].deviceId = cameras[0].cameras[0].deviceId;
    EXPECT_THROW(Sim::Configure(duplicateCamera), std::invalid_argument);
    auto longVendor = Sim::MakeWorldConfig(1, 1);
    longVendor.interfaces[0].cameras[0].vendor = std::string(40, 'v');
    EXPECT_THROW(Sim::Configure(longVendor), std::invalid_argument);
    EXPECT_THROW(Sim::AddInterface({kGevInterface, "gev", "GEV", {}}), std::invalid_argument);
    EXPECT_THROW(Sim::RemoveCamera("KVR-GEV-9999"), std::invalid_argument);

    auto system = OpenSystem();
    EXPECT_THAT(InterfaceNames(*system), ElementsAre(kGevInterface, kU3vInterface));
}

TEST_F(DiscoveryTest, CloseIsPrecededByThePrepareCloseQuery)
{
    CamDevice& device = ConnectGevCamera();
    uint8_t zero = 0;
    size_t size = sizeof zero;
    ASSERT_EQ(Result::kSuccess, device.QueryInfo(kItemPrepareClose, &zero, &size));
    device_.reset();
    EXPECT_THAT(Sim::CallLog(kGevCamera),
                ElementsAre(Sim::CameraCall::Connect, Sim::CameraCall::QueryPrepareClose,
                            Sim::CameraCall::CloseDevice));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).connected);
}

}  // namespace
}  // namespace Tevold::Testing
