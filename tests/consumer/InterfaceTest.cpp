// The interface module: device discovery, device information, name requests and the
// interface's own register port.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerInterface = ConsumerTest;

std::vector<std::string> DeviceIds(IF_HANDLE iface) {
    uint32_t count = 0;
    EXPECT_EQ(Gentl().IFGetNumDevices(iface, &count), GC_ERR_SUCCESS) << LastErrorText();
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < count; ++i) {
        char id[256] = {};
        size_t size = sizeof id;
        EXPECT_EQ(Gentl().IFGetDeviceID(iface, i, id, &size), GC_ERR_SUCCESS) << LastErrorText();
        ids.emplace_back(id);
    }
    return ids;
}

Sim::CameraConfig CameraNamed(const std::string& id, const std::string& serial) {
    Sim::CameraConfig camera;
    camera.deviceId = id;
    camera.serialNumber = serial;
    camera.userName = "User" + serial;
    camera.vendor = "Kavrin";
    camera.model = "SimCam";
    camera.version = "2.0";
    return camera;
}

TEST_F(ConsumerInterface, DevicesAppearOnlyAfterAnUpdate) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    EXPECT_TRUE(DeviceIds(iface).empty());
    DEV_HANDLE dev = nullptr;
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_INVALID_PARAMETER, "Device not available"));

    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{kCam1001, kCam1002}));

    size_t size = 0;
    ASSERT_EQ(gentl.IFGetDeviceID(iface, 0, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, std::strlen(kCam1001) + 1);
    char id[64] = {};
    size = sizeof id;
    EXPECT_EQ(Failure(gentl.IFGetDeviceID(iface, 2, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, " Invalid Device Index 2"));
    uint32_t count = 0;
    EXPECT_EQ(gentl.IFGetNumDevices(iface, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.IFGetNumDevices(iface, &count), GC_ERR_SUCCESS);
}

TEST_F(ConsumerInterface, DeviceListIsSortedAndReportsChanges) {
    Sim::WorldConfig world;
    Sim::InterfaceConfig bus;
    bus.name = "SimGEV0";
    bus.idPrefix = "gev";
    bus.tlType = "GEV";
    for (const char* id : {"b", "CAM9", "A", "CAM10", "B"}) {
        bus.cameras.push_back(CameraNamed(id, std::string("S") + id));
    }
    world.interfaces.push_back(bus);
    Sim::Configure(world);

    const IF_HANDLE iface = OpenInterface(OpenSystem());
    bool8_t changed = false;
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    // Byte-wise order: capitals first, "CAM10" before "CAM9".
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{"A", "B", "CAM10", "CAM9", "b"}));
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_FALSE(changed);

    Sim::AddCamera("SimGEV0", CameraNamed("AA", "SAA"));
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{"A", "AA", "B", "CAM10", "CAM9", "b"}));

    Sim::RemoveCamera("CAM9");
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{"A", "AA", "B", "CAM10", "b"}));

    // A device opened elsewhere changes its access status, which counts as a change.
    Camera other = OpenCamera("CAM10");
    ASSERT_TRUE(other);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
}

TEST_F(ConsumerInterface, DeviceInformationOfAListedDevice) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_ID)), kCam1001);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_VENDOR)), "Kavrin");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_MODEL)), "SimCam GEV");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_TLTYPE)), "GEV");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_DISPLAYNAME)), "SimCam GEV (KS1001)");
    EXPECT_EQ(Value<int32_t>(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_ACCESS_STATUS), INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_READWRITE);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_USER_DEFINED_NAME)), "Cam1001");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_SERIAL_NUMBER)), "KS1001");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_VERSION)), "1.0.0");
    EXPECT_EQ(Value<uint64_t>(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_TIMESTAMP_FREQUENCY), INFO_DATATYPE_UINT64),
              1000000000u);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1002, 1000)), kCam1002);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1002, 1001)), "KS1002");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1002, 1002)), "SimGEV0");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1002, 1003)), "sim://SimGEV0/KVR-GEV-1002");
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1002, 1004)), "Tevold simulator");

    EXPECT_EQ(Failure(DeviceInfoOfIF(iface, kCam1001, 999).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Device info Id 999"));
    EXPECT_EQ(Failure(DeviceInfoOfIF(iface, "KVR-GEV-9999", DEVICE_INFO_ID).result),
              Failed(GC_ERR_ERROR, "Unable to find device KVR-GEV-9999"));
    INFO_DATATYPE type = 0;
    char text[64];
    EXPECT_EQ(gentl.IFGetDeviceInfo(iface, kCam1001, DEVICE_INFO_ID, &type, text, nullptr), GC_ERR_INVALID_PARAMETER);

    // Once opened through this interface the device is no longer accessible to others.
    ASSERT_NE(OpenDevice(iface, kCam1001), nullptr);
    EXPECT_EQ(Value<int32_t>(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_ACCESS_STATUS), INFO_DATATYPE_INT32),
              DEVICE_ACCESS_STATUS_NOACCESS);
    EXPECT_EQ(Text(DeviceInfoOfIF(iface, kCam1001, DEVICE_INFO_USER_DEFINED_NAME)), "Cam1001");
}

TEST_F(ConsumerInterface, OpenDeviceByIdSerialOrUserName) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS);
    const std::vector<std::pair<std::string, std::string>> requests = {
        {"kvr-gev-1001", kCam1001},
        {"sn->ks1002", kCam1002},
        {"SN->KS1002", kCam1002},
        {"USERNAME->Cam1001", kCam1001},
        {"username->cam1002", kCam1002},
        {"X::KVR-GEV-1001::rest", kCam1001},
    };
    for (const auto& [request, expected] : requests) {
        DEV_HANDLE dev = nullptr;
        ASSERT_EQ(gentl.IFOpenDevice(iface, request.c_str(), DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
            << request << ": " << LastErrorText();
        EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_ID)), expected) << request;
        DEV_HANDLE twice = nullptr;
        EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, expected.c_str(), DEVICE_ACCESS_CONTROL, &twice)),
                  Failed(GC_ERR_RESOURCE_IN_USE, "Device already open"))
            << request;
        EXPECT_EQ(twice, nullptr);
        ASSERT_EQ(gentl.DevClose(dev), GC_ERR_SUCCESS) << request;
    }

    DEV_HANDLE dev = nullptr;
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, "USERNAME->Nobody", DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_INVALID_PARAMETER, "Device not available"));
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, "USERNAME->", DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_INVALID_PARAMETER, "Device not available"));
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, "", DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Device Name"));
    EXPECT_EQ(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.IFOpenDevice(iface, nullptr, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(dev, nullptr);
    // Nothing was left open by the refused requests.
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1002).connected);
}

TEST_F(ConsumerInterface, CameraLibraryRefusingToConnect) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS);
    DEV_HANDLE dev = nullptr;

    Sim::InjectFault({Sim::Operation::ConnectDevice, -1001, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_ERROR, "Unable to open device KVR-GEV-1001"));
    Sim::InjectFault({Sim::Operation::ConnectDevice, -1005, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_ERROR, "already opened device.(KVR-GEV-1001)."));
    Sim::InjectFault({Sim::Operation::ConnectDevice, -1002, 1, kCam1001});
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, kCam1001, DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_ERROR, "XML schema error.(KVR-GEV-1001)"));
    EXPECT_EQ(dev, nullptr);

    // The failed attempts left nothing behind: the device opens now.
    EXPECT_NE(OpenDevice(iface, kCam1001), nullptr);
}

TEST_F(ConsumerInterface, HandleChecksAndClosing) {
    const TL_HANDLE tl = OpenSystem();
    const IF_HANDLE iface = OpenInterface(tl);
    const DEV_HANDLE dev = OpenDevice(iface, kCam1001);
    ASSERT_NE(dev, nullptr);
    uint32_t count = 0;
    bool8_t changed = false;
    EXPECT_EQ(Failure(gentl.IFUpdateDeviceList(tl, &changed, 100)),
              Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(Failure(gentl.IFGetNumDevices(dev, &count)), Failed(GC_ERR_INVALID_HANDLE, " Invalid Interface Handle"));
    EXPECT_EQ(Failure(gentl.IFClose(nullptr)), Failed(GC_ERR_INVALID_HANDLE, " Invalid Interface Handle"));
    EXPECT_EQ(gentl.IFGetNumDevices(reinterpret_cast<void*>(0x1234), &count), GC_ERR_INVALID_HANDLE);

    IF_HANDLE parent = nullptr;
    ASSERT_EQ(gentl.DevGetParentIF(dev, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, iface);

    // Closing the interface leaves its open device working; reopening gives an empty list.
    ASSERT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFGetNumDevices(iface, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_ID)), kCam1001);
    IF_HANDLE reopened = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, kGevInterface, &reopened), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.IFGetNumDevices(reopened, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(CloseDevice(dev), GC_ERR_SUCCESS);
    EXPECT_FALSE(Sim::GetCameraStatus(kCam1001).connected);
}

TEST_F(ConsumerInterface, InterfacePort) {
    const IF_HANDLE iface = OpenInterface(OpenSystem());
    EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_ID)), kGevInterface);
    EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_DISPLAYNAME)), "Interface(SimGEV0)");
    EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_TLTYPE)), "GEV");
    EXPECT_EQ(Failure(IFInfo(iface, 1000).result), Failed(GC_ERR_INVALID_PARAMETER, "Invalid InterfaceInfoID 1000"));

    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_ID)), kGevInterface);
    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_TLTYPE)), "GEV");
    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_MODULE)), "TLInterface");
    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_PORTNAME)), "InterfacePort");
    EXPECT_EQ(Text(PortInfo(iface, PORT_INFO_VERSION)), "1.0.0.0");
    EXPECT_TRUE(Flag(PortInfo(iface, PORT_INFO_ACCESS_WRITE)));
    EXPECT_FALSE(Flag(PortInfo(iface, PORT_INFO_BIG_ENDIAN)));
    EXPECT_EQ(Failure(PortInfo(iface, -1).result), Failed(GC_ERR_INVALID_PARAMETER, "Invalid port info command -1"));

    // The URL comes from the interface's registers; there is no size query for it.
    size_t size = 0;
    EXPECT_EQ(Failure(gentl.GCGetPortURL(iface, nullptr, &size)), Failed(GC_ERR_INVALID_PARAMETER, "Invalid buffer"));
    EXPECT_EQ(PortUrl(iface).rfind("Local:TevoldSimInterface.xml;1000;", 0), 0u) << PortUrl(iface);

    // Registers pass through to the camera library.
    char text[32] = {};
    size = sizeof text;
    ASSERT_EQ(gentl.GCReadPort(iface, Sim::InterfaceRegister::kInterfaceId, text, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(text, "SimGEV0");
    size = 4;
    ASSERT_EQ(gentl.GCReadPort(iface, Sim::InterfaceRegister::kIdPrefix, text, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text, 3), "gev");
    EXPECT_EQ(Failure(gentl.GCWritePort(iface, 0x10, text, &size)),
              Failed(GC_ERR_ACCESS_DENIED, "Register 0x10 is not writable."));

    // The camera library's result codes become GenTL codes with texts naming the address.
    Sim::InjectFault({Sim::Operation::InterfaceReadRegister, -1010, 1, "SimGEV0"});
    EXPECT_EQ(Failure(gentl.GCReadPort(iface, 0xab, text, &size)), Failed(GC_ERR_IO, "Read register 0xAB is failed."));
    Sim::InjectFault({Sim::Operation::InterfaceReadRegister, -1005, 1, "SimGEV0"});
    EXPECT_EQ(Failure(gentl.GCReadPort(iface, 0x1000, text, &size)),
              Failed(GC_ERR_ACCESS_DENIED, "Register 0x1000 is not readable."));
    Sim::InjectFault({Sim::Operation::InterfaceReadRegister, 1, 1, "SimGEV0"});
    EXPECT_EQ(gentl.GCReadPort(iface, 0x10, text, &size), GC_ERR_SUCCESS);

    EVENT_HANDLE event = nullptr;
    EXPECT_EQ(gentl.GCRegisterEvent(iface, EVENT_MODULE, &event), GC_ERR_NOT_IMPLEMENTED);
}

}  // namespace
}  // namespace consumer
