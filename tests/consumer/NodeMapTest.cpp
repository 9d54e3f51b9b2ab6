// The node maps of the system, interface, device and data stream modules, read as a GenApi
// consumer reads them: the description found through the module port's URL list and evaluated by
// Aravis's GenApi engine over GCReadPort and GCWritePort. Every feature must show the value the
// GenTL information calls give at that moment.
#include <algorithm>
#include <cctype>
#include <memory>
#include <sstream>

#include "ConsumerFixture.h"
#include "tools/CameraFeatures.h"
#include "tools/DeviceDescription.h"
#include "tools/ProducerSession.h"

namespace consumer {
namespace {

using ConsumerNodeMap = ConsumerTest;

// The module's node map, from the description its port's URL names, which is the whole of it
// (the port tests check the rest of what the URL says and what connects it to the port).
std::unique_ptr<CameraFeatures> NodeMapOf(PORT_HANDLE port) {
    const DeviceDescription description = DownloadDescription(Gentl(), port);
    EXPECT_EQ(Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64),
              description.xml.size());
    auto features = std::make_unique<CameraFeatures>(Gentl(), port, description.xml);
    // Every feature under Root reads without an error (the tree shows one as "<text>").
    std::ostringstream tree;
    features->PrintTree(tree);
    EXPECT_EQ(tree.str().find('<'), std::string::npos) << tree.str();
    EXPECT_NE(tree.str().find("Information"), std::string::npos) << tree.str();
    return features;
}

std::string InterfaceText(TL_HANDLE tl, const std::string& id, INTERFACE_INFO_CMD command) {
    return Text(InterfaceInfoOfTL(tl, id.c_str(), command));
}

std::string DeviceText(IF_HANDLE iface, const std::string& id, DEVICE_INFO_CMD command) {
    return Text(DeviceInfoOfIF(iface, id.c_str(), command));
}

TEST_F(ConsumerNodeMap, SystemShowsTheLibraryAndWalksEveryInterface) {
    const TL_HANDLE tl = OpenSystem();
    const auto features = NodeMapOf(tl);
    const std::pair<const char*, std::string> texts[] = {
        {"TLID", Text(TLInfo(tl, TL_INFO_ID))},
        {"TLVendorName", "KAVRIN"},
        {"TLModelName", "KavrinTL"},
        {"TLVersion", Text(TLInfo(tl, TL_INFO_VERSION))},
        {"TLFileName", "KavrinTL40.cti"},
        {"TLDisplayName", Text(TLInfo(tl, TL_INFO_DISPLAYNAME))},
        {"TLPath", Text(TLInfo(tl, TL_INFO_PATHNAME))},
        {"TLType", "Mixed"},
        {"GenTLVersionMajor", "1"},
        {"GenTLVersionMinor", "5"},
        {"GenTLSFNCVersionMajor", "1"},
        {"GenTLSFNCVersionMinor", "2"},
        {"GenTLSFNCVersionSubMinor", "0"},
    };
    for (const auto& [name, expected] : texts) EXPECT_EQ(features->Value(name), expected) << name;

    // A new interface shows once the command has looked again, as after TLUpdateInterfaceList.
    Sim::AddInterface({"SimGEV9", "gev", "GEV", {}});
    features->Execute("InterfaceUpdateList");
    const std::vector<std::string> ids = InterfaceIds(tl);
    ASSERT_EQ(ids.size(), 3u);
    for (size_t index = 0; index < ids.size(); ++index) {
        features->SetInteger("InterfaceSelector", static_cast<int64_t>(index));
        EXPECT_EQ(features->Value("InterfaceID"), ids[index]);
        EXPECT_EQ(features->Value("InterfaceDisplayName"),
                  InterfaceText(tl, ids[index], INTERFACE_INFO_DISPLAYNAME));
    }
    EXPECT_THROW(features->SetInteger("InterfaceSelector", 3), std::runtime_error);
}

TEST_F(ConsumerNodeMap, InterfacesDescribeThemselvesAndWalkEveryDevice) {
    const TL_HANDLE tl = OpenSystem();
    for (const std::string& interfaceId : InterfaceIds(tl)) {
        SCOPED_TRACE(interfaceId);
        const IF_HANDLE iface = OpenInterface(tl, interfaceId.c_str());
        const auto features = NodeMapOf(iface);
        EXPECT_EQ(features->Value("InterfaceID"), interfaceId);
        EXPECT_EQ(features->Value("InterfaceDisplayName"),
                  Text(IFInfo(iface, INTERFACE_INFO_DISPLAYNAME)));
        EXPECT_EQ(features->Value("InterfaceType"), Text(IFInfo(iface, INTERFACE_INFO_TLTYPE)));
        // The camera library's own interface registers stay where they were.
        char prefix[32] = {};
        size_t size = sizeof prefix;
        ASSERT_EQ(gentl.GCReadPort(iface, Tevold::InterfaceRegister::kIdPrefix, prefix, &size),
                  GC_ERR_SUCCESS);
        std::string upper(prefix);
        std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
        EXPECT_EQ(interfaceId.rfind(upper + "::", 0), 0u) << prefix;
        const bool gev = Text(IFInfo(iface, INTERFACE_INFO_TLTYPE)) == "GEV";
        EXPECT_EQ(features->Integer("InterfaceTLVersionMajor"), gev ? 2 : 1);
        EXPECT_EQ(features->Integer("InterfaceTLVersionMinor"), 0);

        features->Execute("DeviceUpdateList");
        const std::vector<std::string> ids = DeviceIds(iface);
        ASSERT_EQ(ids.size(), 2u);
        const auto walk = [&] {
            for (size_t index = 0; index < ids.size(); ++index) {
                const std::string& id = ids[index];
                features->SetInteger("DeviceSelector", static_cast<int64_t>(index));
                EXPECT_EQ(features->Value("DeviceID"), id);
                EXPECT_EQ(features->Value("DeviceVendorName"),
                          DeviceText(iface, id, DEVICE_INFO_VENDOR));
                EXPECT_EQ(features->Value("DeviceModelName"),
                          DeviceText(iface, id, DEVICE_INFO_MODEL));
                EXPECT_EQ(features->Value("DeviceSerialNumber"),
                          DeviceText(iface, id, DEVICE_INFO_SERIAL_NUMBER));
                EXPECT_EQ(features->Value("DeviceUserID"),
                          DeviceText(iface, id, DEVICE_INFO_USER_DEFINED_NAME));
                EXPECT_EQ(features->Value("DeviceAccessStatus"),
                          AccessStatusName(Value<int32_t>(
                              DeviceInfoOfIF(iface, id.c_str(), DEVICE_INFO_ACCESS_STATUS),
                              INFO_DATATYPE_INT32)));
            }
        };
        walk();
        // An open device reads as such at the next look.
        OpenDevice(iface, ids[0].c_str());
        features->SetInteger("DeviceSelector", 0);
        EXPECT_EQ(features->Value("DeviceAccessStatus"), "NoAccess");
        walk();
    }
}

TEST_F(ConsumerNodeMap, DeviceShowsItsInformationAndItsStreams) {
    const Camera cam = OpenCamera(kCam2001, kU3vInterface);
    ASSERT_TRUE(cam);
    const auto features = NodeMapOf(cam.dev);
    const std::pair<const char*, DEVICE_INFO_CMD> texts[] = {
        {"DeviceID", DEVICE_INFO_ID},
        {"DeviceVendorName", DEVICE_INFO_VENDOR},
        {"DeviceModelName", DEVICE_INFO_MODEL},
        {"DeviceSerialNumber", DEVICE_INFO_SERIAL_NUMBER},
        {"DeviceUserID", DEVICE_INFO_USER_DEFINED_NAME},
        {"DeviceDisplayName", DEVICE_INFO_DISPLAYNAME},
        {"DeviceType", DEVICE_INFO_TLTYPE},
    };
    for (const auto& [name, command] : texts)
        EXPECT_EQ(features->Value(name), Text(DevInfo(cam.dev, command))) << name;
    EXPECT_EQ(features->Value("DeviceType"), "U3V");
    EXPECT_EQ(features->Value("DeviceAccessStatus"), "ReadWrite");
    EXPECT_EQ(features->Integer("DeviceTimestampFrequency"), 1000000000);
    uint32_t streams = 0;
    ASSERT_EQ(gentl.DevGetNumDataStreams(cam.dev, &streams), GC_ERR_SUCCESS);
    ASSERT_EQ(streams, 1u);
    features->SetInteger("StreamSelector", 0);
    EXPECT_EQ(features->Value("StreamID"), "DS0");
    EXPECT_THROW(features->SetInteger("StreamSelector", 1), std::runtime_error);
}

class ConsumerStreamNodeMap : public ConsumerStreamTest {
protected:
    void SetUp() override {
        ConsumerStreamTest::SetUp();
        features = NodeMapOf(ds);
    }

    // Every counter of the node map against its DSGetInfo value, read right after it.
    // Each feature is read before its information value. While the stream acquires, the camera
    // goes on between the two reads, so a count may have grown and a buffer may have moved from
    // the input to the output queue; once it stops, the two agree exactly.
    void ExpectCountersMatch() {
        const bool grabbing = Grabbing();
        const auto expectCount = [&](const char* name, const auto& info) {
            const int64_t feature = features->Integer(name);
            if (grabbing) {
                EXPECT_LE(feature, static_cast<int64_t>(info())) << name;
            } else {
                EXPECT_EQ(feature, static_cast<int64_t>(info())) << name;
            }
        };
        expectCount("StreamDeliveredFrameCount",
                    [&] { return Counter(STREAM_INFO_NUM_DELIVERED); });
        expectCount("StreamLostFrameCount", [&] { return Counter(STREAM_INFO_NUM_UNDERRUN); });
        expectCount("StreamStartedFrameCount", [&] { return Started(); });
        EXPECT_EQ(features->Integer("StreamAnnouncedBufferCount"),
                  StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED));
        const int64_t queued = features->Integer("StreamInputBufferCount");
        const int64_t awaiting = features->Integer("StreamOutputBufferCount");
        if (grabbing) {
            EXPECT_LE(queued + awaiting, StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED));
        } else {
            EXPECT_EQ(queued, StreamCount(ds, STREAM_INFO_NUM_QUEUED));
            EXPECT_EQ(awaiting, StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY));
        }
        EXPECT_EQ(features->Value("StreamIsGrabbing"), grabbing ? "true" : "false");
    }

    // Waits for a count-limited acquisition to end by itself.
    void AwaitEnd() {
        ASSERT_TRUE(Eventually([&] { return !Grabbing(); }));
    }

    std::unique_ptr<CameraFeatures> features;
};

TEST_F(ConsumerStreamNodeMap, CountersAreTheStreamInformationAtEveryRead) {
    EXPECT_EQ(features->Value("StreamID"), "DS0");
    EXPECT_EQ(features->Value("StreamType"), "Mixed");
    EXPECT_EQ(features->Integer("StreamAnnounceBufferMinimum"), 1);
    EXPECT_EQ(features->Integer("PayloadSize"), static_cast<int64_t>(PayloadSize(ds)));
    EXPECT_EQ(features->Value("StreamBufferHandlingMode"), "OldestFirst");
    ExpectCountersMatch();
    const auto buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    ExpectCountersMatch();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS) << LastErrorText();
    for (int frame = 0; frame < 6; ++frame) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        ExpectCountersMatch();
        ASSERT_EQ(gentl.DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
    // The mode is the stream's own while it acquires: locked for GenApi, refused at the port.
    EXPECT_THROW(features->Apply("StreamBufferHandlingMode=NewestOnly"), std::runtime_error);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS) << LastErrorText();
    ExpectCountersMatch();
    EXPECT_EQ(features->Value("StreamBufferHandlingMode"), "OldestFirst");
    features->Apply("StreamBufferHandlingMode=NewestOnly");
    EXPECT_EQ(features->Value("StreamBufferHandlingMode"), "NewestOnly");
}

// Written straight to its register, the mode is refused while the stream acquires, with a text
// that says why, and a value that names no mode is refused at any time.
TEST_F(ConsumerStreamNodeMap, ModeRegisterRefusesWritesWhileAcquiring) {
    const std::string xml = DownloadDescription(gentl, ds).xml;
    // The mode's register is the one its enumeration names.
    const size_t node = xml.find("<IntReg Name=\"StreamBufferHandlingModeReg\"");
    ASSERT_NE(node, std::string::npos);
    unsigned long long address = 0;
    ASSERT_EQ(std::sscanf(xml.c_str() + xml.find("<Address>", node), "<Address>%llx", &address), 1);
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS) << LastErrorText();
    uint64_t mode = 3;
    size_t size = sizeof mode;
    EXPECT_EQ(Failure(gentl.GCWritePort(ds, address, &mode, &size)),
              Failed(GC_ERR_ACCESS_DENIED,
                     "StreamBufferHandlingMode cannot change while the stream acquires"));
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    mode = 7;
    EXPECT_EQ(gentl.GCWritePort(ds, address, &mode, &size), GC_ERR_INVALID_PARAMETER);
    mode = 2;
    EXPECT_EQ(gentl.GCWritePort(ds, address, &mode, &size), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(features->Value("StreamBufferHandlingMode"), "OldestFirstOverwrite");
}

// A consumer that holds back gets only the newest image; the older ones went back to be filled
// again, each counted as lost.
TEST_F(ConsumerStreamNodeMap, NewestOnlyDeliversTheNewestAndRequeuesTheOlder) {
    features->Apply("StreamBufferHandlingMode=NewestOnly");
    const auto buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    ASSERT_EQ(Start(3), GC_ERR_SUCCESS) << LastErrorText();
    AwaitEnd();
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 2u);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 3u);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_UNDERRUN), 2u);
    ExpectCountersMatch();
    const Delivery newest = NextBuffer(newBuffer);
    ASSERT_EQ(newest.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(newest.buffer, buffers[2]);
    EXPECT_EQ(newest.user, reinterpret_cast<void*>(0x1002));
    EXPECT_TRUE(Flag(BufInfo(ds, newest.buffer, BUFFER_INFO_NEW_DATA)));
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
    // The requeued buffers carry no image until they are filled again.
    for (const BUFFER_HANDLE older : {buffers[0], buffers[1]})
        EXPECT_FALSE(Flag(BufInfo(ds, older, BUFFER_INFO_NEW_DATA)));
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    // Started again, the requeued buffers fill first, in the order they went back.
    ASSERT_EQ(Start(1), GC_ERR_SUCCESS) << LastErrorText();
    const Delivery next = NextBuffer(newBuffer);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(next.buffer, buffers[0]);
}

// With every buffer filled and none queued, the oldest undelivered buffer is filled again: the
// acquisition goes on, and the consumer gets the newest images, oldest first.
TEST_F(ConsumerStreamNodeMap, OverwriteKeepsDeliveringWithNothingQueued) {
    features->Apply("StreamBufferHandlingMode=OldestFirstOverwrite");
    const auto buffers = AllocAndQueue(ds, 3, PayloadSize(ds));
    ASSERT_EQ(Start(5), GC_ERR_SUCCESS) << LastErrorText();
    AwaitEnd();
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 5u);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_UNDERRUN), 2u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 3u);
    ExpectCountersMatch();
    std::vector<uint64_t> frameIds;
    for (const BUFFER_HANDLE expected : {buffers[2], buffers[0], buffers[1]}) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(delivery.buffer, expected);
        frameIds.push_back(FrameIdOf(delivery.buffer));
    }
    EXPECT_TRUE(std::is_sorted(frameIds.begin(), frameIds.end()));
    EXPECT_EQ(frameIds.back() - frameIds.front(), 2u);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
}

// The default keeps the images it has and loses the new ones.
TEST_F(ConsumerStreamNodeMap, OldestFirstKeepsTheOldestWithNothingQueued) {
    const auto buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_TRUE(Eventually([&] { return features->Integer("StreamLostFrameCount") >= 2; }));
    EXPECT_EQ(features->Integer("StreamDeliveredFrameCount"), 2);
    for (const BUFFER_HANDLE expected : buffers) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(delivery.buffer, expected);
    }
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
}

}  // namespace
}  // namespace consumer
