// The interface module: device discovery, and opening a device by what a consumer knows of it
// or with a camera library refusing to connect.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerInterface = ConsumerTest;

Sim::CameraConfig CameraNamed(const std::string& id) {
    return {id, "S" + id, "User" + id, "Kavrin", "SimCam", "2.0"};
}

TEST_F(ConsumerInterface, DeviceListFollowsTheHardwareOnUpdate) {
    Sim::InterfaceConfig bus{"SimGEV0", "gev", "GEV", {}};
    for (const char* id : {"b", "CAM9", "A", "CAM10", "B"}) bus.cameras.push_back(CameraNamed(id));
    Sim::Configure({{bus}});

    // Nothing is listed before the first update.
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    EXPECT_TRUE(DeviceIds(iface).empty());
    DEV_HANDLE dev = nullptr;

    bool8_t changed = false;
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    // Byte-wise order: capitals first, "CAM10" before "CAM9".
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{"A", "B", "CAM10", "CAM9", "b"}));
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_FALSE(changed);
    char id[64] = {};
    size_t size = sizeof id;
    EXPECT_EQ(Failure(gentl.IFGetDeviceID(iface, 5, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, " Invalid Device Index 5"));
    EXPECT_EQ(gentl.IFGetNumDevices(iface, nullptr), GC_ERR_INVALID_PARAMETER);

    Sim::AddCamera("SimGEV0", CameraNamed("AA"));
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    Sim::RemoveCamera("CAM9");
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{"A", "AA", "B", "CAM10", "b"}));

    // A device another system opened is busy, which counts as a change, and cannot be taken.
    ASSERT_TRUE(OpenCamera("CAM10"));
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(Value<int32_t>(DeviceInfoOfIF(iface, "CAM10", DEVICE_INFO_ACCESS_STATUS),
                             INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_BUSY);
    EXPECT_NE(gentl.IFOpenDevice(iface, "CAM10", DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS);
    EXPECT_EQ(dev, nullptr);
    EXPECT_NE(OpenDevice(iface, "B"), nullptr);
}

// Every way of naming a device opens it, also through an interface that has not listed its
// devices; an open device is not opened twice.
TEST_F(ConsumerInterface, OpenDeviceByEveryNameOnAFreshInterface) {
    const std::pair<const char*, const char*> requests[] = {{kCam1002, kCam1002},
                                                            {"kvr-gev-1001", kCam1001},
                                                            {"SN->KS1002", kCam1002},
                                                            {"username->cam1002", kCam1002},
                                                            {"GEV::KVR-GEV-1002", kCam1002}};
    for (const auto& [request, expected] : requests) {
        SCOPED_TRACE(request);
        const TL_HANDLE tl = OpenSystem();
        IF_HANDLE iface = nullptr;
        ASSERT_EQ(gentl.TLOpenInterface(tl, kGevInterface, &iface), GC_ERR_SUCCESS);
        DEV_HANDLE dev = nullptr;
        ASSERT_EQ(gentl.IFOpenDevice(iface, request, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
            << LastErrorText();
        EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_ID)), expected);
        DEV_HANDLE twice = nullptr;
        EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, expected, DEVICE_ACCESS_CONTROL, &twice)),
                  Failed(GC_ERR_RESOURCE_IN_USE, "Device already open"));
        EXPECT_EQ(twice, nullptr);
        EXPECT_EQ(gentl.DevClose(dev), GC_ERR_SUCCESS);
        EXPECT_EQ(CloseSystem(tl), GC_ERR_SUCCESS);
    }

    // So does an interface that appeared after the system last listed its interfaces.
    const TL_HANDLE tl = OpenSystem();
    Sim::AddInterface({"SimGEV7",
                       "gev",
                       "GEV",
                       {{"KVR-GEV-7001", "KS7001", "Cam7001", "Kavrin", "SimCam GEV", "1.0.0"}}});
    IF_HANDLE added = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "GEV::SimGEV7", &added), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_NE(OpenDevice(added, "SN->KS7001"), nullptr);
}

// Requests that name no device, or a camera library refusing to connect, leave nothing open.
TEST_F(ConsumerInterface, RefusedOpensLeaveNothingOpen) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    DEV_HANDLE dev = nullptr;
    const std::pair<const char*, const char*> refused[] = {
        {"KVR-GEV-9999", "Device not available"},
        {"USERNAME->Nobody", "Device not available"},
        {"USERNAME->", "Device not available"},
        {"", "Invalid Device Name"}};
    for (const auto& [request, text] : refused) {
        EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, request, DEVICE_ACCESS_CONTROL, &dev)),
                  Failed(GC_ERR_INVALID_PARAMETER, text))
            << request;
    }
    EXPECT_EQ(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, nullptr),
              GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.IFOpenDevice(iface, nullptr, DEVICE_ACCESS_CONTROL, &dev),
              GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(dev, nullptr);
    // The discovery that the opens ran fills the list as an update would.
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{kCam1001, kCam1002}));

    // The camera library refusing to connect, for each of its reasons.
    const std::pair<Tevold::CamResult, const char*> faults[] = {
        {-1001, "Unable to open device KVR-GEV-1001"},
        {-1005, "already opened device.(KVR-GEV-1001)."},
        {-1002, "XML schema error.(KVR-GEV-1001)"}};
    for (const auto& [fault, text] : faults) {
        Sim::InjectFault({Sim::Operation::ConnectDevice, fault, 1, kCam1001});
        EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev)),
                  Failed(GC_ERR_ERROR, text));
        EXPECT_EQ(dev, nullptr);
    }
    // Nothing was left open by the refused requests; the device opens now.
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1002).connected);
    EXPECT_NE(OpenDevice(iface, kCam1001), nullptr);
}

}  // namespace
}  // namespace consumer
