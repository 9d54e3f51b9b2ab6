// Whole roads that consumers in use take, each end to end through the C functions: listing on
// one system handle and opening by ID on another, a cautious consumer that probes and revokes
// by index, and the waits of a consumer loop that must end only with data, a timeout or an abort.
#include <atomic>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerRoads = ConsumerTest;

// What a listing consumer keeps of one camera.
struct ListedCamera {
    std::string interfaceId;
    std::string deviceId;
    std::string serial;
    std::string userName;
};

// The register description of a port, found the way GenApi consumers find it: the port's URL
// list, then one read of the whole file.
std::string DownloadDescription(PORT_HANDLE port) {
    uint32_t urls = 0;
    EXPECT_EQ(Gentl().GCGetNumPortURLs(port, &urls), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(urls, 1u);
    if (urls != 1) return {};
    const std::string url = Text(UrlInfo(port, 0, URL_INFO_URL));
    EXPECT_EQ(url.rfind("Local:", 0), 0u) << url;
    const auto address = Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64);
    const auto length = Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64);
    std::string xml(length, '\0');
    size_t size = xml.size();
    EXPECT_EQ(Gentl().GCReadPort(port, address, xml.data(), &size), GC_ERR_SUCCESS) << LastErrorText();
    return xml;
}

// A consumer's stream thread: waits with GENTL_INFINITE, checks each buffer and gives it back
// until it has seen `wanted` frames, then keeps waiting until EventKill ends the wait.
struct GrabReport {
    size_t frames = 0;
    size_t broken = 0;
    bool framesInOrder = true;
    GC_ERROR end = GC_ERR_SUCCESS;
};

GrabReport GrabUntilKilled(DS_HANDLE ds, EVENT_HANDLE event, size_t wanted, uint32_t width, uint32_t height,
                           std::atomic<size_t>& seen) {
    GrabReport report;
    uint64_t lastFrameId = 0;
    for (;;) {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        const GC_ERROR result = Gentl().EventGetData(event, &data, &size, GENTL_INFINITE);
        if (result != GC_ERR_SUCCESS) {
            report.end = result;
            return report;
        }
        const bool complete = !Flag(BufInfo(ds, data.BufferHandle, BUFFER_INFO_IS_INCOMPLETE)) &&
                              Value<size_t>(BufInfo(ds, data.BufferHandle, BUFFER_INFO_WIDTH), INFO_DATATYPE_SIZET) == width &&
                              Value<size_t>(BufInfo(ds, data.BufferHandle, BUFFER_INFO_HEIGHT), INFO_DATATYPE_SIZET) == height;
        if (!complete) ++report.broken;
        const auto frameId = Value<uint64_t>(BufInfo(ds, data.BufferHandle, BUFFER_INFO_FRAMEID), INFO_DATATYPE_UINT64);
        if (frameId <= lastFrameId) report.framesInOrder = false;
        lastFrameId = frameId;
        if (++report.frames < wanted) Gentl().DSQueueBuffer(ds, data.BufferHandle);
        seen = report.frames;
    }
}

// Announces `count` buffers, in the consumer's memory or the producer's, and queues them.
std::vector<BUFFER_HANDLE> AnnounceAndQueue(DS_HANDLE ds, size_t count, size_t payload,
                                            std::vector<std::vector<unsigned char>>* consumerMemory) {
    std::vector<BUFFER_HANDLE> buffers(count);
    for (size_t i = 0; i < count; ++i) {
        void* const user = reinterpret_cast<void*>(0xC000 + i);
        if (consumerMemory != nullptr) {
            consumerMemory->emplace_back(payload);
            EXPECT_EQ(Gentl().DSAnnounceBuffer(ds, consumerMemory->back().data(), payload, user, &buffers[i]),
                      GC_ERR_SUCCESS);
        } else {
            EXPECT_EQ(Gentl().DSAllocAndAnnounceBuffer(ds, payload, user, &buffers[i]), GC_ERR_SUCCESS);
        }
        EXPECT_EQ(Gentl().DSQueueBuffer(ds, buffers[i]), GC_ERR_SUCCESS) << LastErrorText();
    }
    return buffers;
}

// One acquisition with a waiter thread, stopped the way threaded consumers stop:
// DSStopAcquisition, EventKill, join; then unregister, flush and revoke.
void GrabWithWaiterThread(DS_HANDLE ds, PORT_HANDLE port, size_t frames, bool consumerMemory) {
    const size_t payload = static_cast<size_t>(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64));
    const auto width = ReadRegister<uint32_t>(port, Reg::kWidth);
    const auto height = ReadRegister<uint32_t>(port, Reg::kHeight);
    std::vector<std::vector<unsigned char>> memory;
    memory.reserve(8);
    const std::vector<BUFFER_HANDLE> buffers = AnnounceAndQueue(ds, 8, payload, consumerMemory ? &memory : nullptr);
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(ds, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    std::atomic<size_t> seen{0};
    auto waiter = std::async(std::launch::async,
                             [=, &seen] { return GrabUntilKilled(ds, event, frames, width, height, seen); });
    ASSERT_EQ(Gentl().DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStart, Sim::kCommandValue);
    EXPECT_TRUE(Eventually([&] { return seen >= frames; }));

    WriteRegister<uint32_t>(port, Reg::kAcquisitionStop, Sim::kCommandValue);
    ASSERT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_EQ(Gentl().EventKill(event), GC_ERR_SUCCESS);
    const GrabReport report = AwaitOrDie(waiter, "the waiter thread after EventKill");
    EXPECT_EQ(report.end, GC_ERR_ABORT);
    EXPECT_GE(report.frames, frames);
    EXPECT_EQ(report.broken, 0u);
    EXPECT_TRUE(report.framesInOrder);

    EXPECT_EQ(Gentl().GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    for (const BUFFER_HANDLE buffer : buffers) {
        void* base = nullptr;
        EXPECT_EQ(Gentl().DSRevokeBuffer(ds, buffer, &base, nullptr), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_NE(base, nullptr);
    }
}

// List everything through one system handle and close it; later open a camera by the IDs listed,
// through a new handle on which nothing was listed, and stream into both kinds of buffers.
TEST_F(ConsumerRoads, ListOnOneHandleThenOpenByIdOnAFreshOne) {
    std::vector<ListedCamera> listed;
    {
        TL_HANDLE lister = nullptr;
        ASSERT_EQ(gentl.TLOpen(&lister), GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.TLUpdateInterfaceList(lister, nullptr, 1000), GC_ERR_SUCCESS);
        for (const std::string& interfaceId : InterfaceIds(lister)) {
            IF_HANDLE iface = nullptr;
            ASSERT_EQ(gentl.TLOpenInterface(lister, interfaceId.c_str(), &iface), GC_ERR_SUCCESS);
            ASSERT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 1000), GC_ERR_SUCCESS);
            for (const std::string& deviceId : DeviceIds(iface)) {
                listed.push_back({interfaceId, deviceId,
                                  Text(DeviceInfoOfIF(iface, deviceId.c_str(), DEVICE_INFO_SERIAL_NUMBER)),
                                  Text(DeviceInfoOfIF(iface, deviceId.c_str(), DEVICE_INFO_USER_DEFINED_NAME))});
            }
            ASSERT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
        }
        ASSERT_EQ(gentl.TLClose(lister), GC_ERR_SUCCESS);
    }
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].serial, "KS1001");
    EXPECT_EQ(listed[0].userName, "Cam1001");

    const ListedCamera& chosen = listed[1];
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, chosen.interfaceId.c_str(), &iface), GC_ERR_SUCCESS) << LastErrorText();
    DEV_HANDLE dev = nullptr;
    ASSERT_EQ(gentl.IFOpenDevice(iface, chosen.deviceId.c_str(), DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
        << chosen.deviceId << ": " << LastErrorText();
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);
    EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_SERIAL_NUMBER)), chosen.serial);

    // Older consumers show the serial number only under the name DeviceID.
    const std::string xml = DownloadDescription(port);
    for (const char* feature : {"\"DeviceSerialNumber\"", "\"DeviceID\"", "\"PayloadSize\"", "\"TLParamsLocked\""})
        EXPECT_NE(xml.find(feature), std::string::npos) << feature;

    DS_HANDLE ds = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS);
    GrabWithWaiterThread(ds, port, 50, true);
    GrabWithWaiterThread(ds, port, 20, false);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DevClose(dev), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(tl), GC_ERR_SUCCESS);
}

// Every way of naming a device works on an interface that has not listed its devices, and so
// does an interface that appeared after the system last listed its interfaces.
TEST_F(ConsumerRoads, EveryNameOpensOnAFreshHandle) {
    for (const char* request : {kCam1002, "kvr-gev-1002", "SN->KS1002", "sn->ks1002", "USERNAME->Cam1002",
                                "GEV::KVR-GEV-1002"}) {
        SCOPED_TRACE(request);
        const TL_HANDLE tl = OpenSystem();
        IF_HANDLE iface = nullptr;
        ASSERT_EQ(gentl.TLOpenInterface(tl, kGevInterface, &iface), GC_ERR_SUCCESS);
        DEV_HANDLE dev = nullptr;
        ASSERT_EQ(gentl.IFOpenDevice(iface, request, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(Text(DevInfo(dev, DEVICE_INFO_ID)), kCam1002);
        EXPECT_EQ(CloseDevice(dev), GC_ERR_SUCCESS);
        EXPECT_EQ(CloseSystem(tl), GC_ERR_SUCCESS);
    }

    const TL_HANDLE tl = OpenSystem();
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, kGevInterface, &iface), GC_ERR_SUCCESS);
    DEV_HANDLE dev = nullptr;
    EXPECT_EQ(Failure(gentl.IFOpenDevice(iface, "KVR-GEV-9999", DEVICE_ACCESS_CONTROL, &dev)),
              Failed(GC_ERR_INVALID_PARAMETER, "Device not available"));
    // The discovery that the open ran fills the list as an update would.
    EXPECT_EQ(DeviceIds(iface), (std::vector<std::string>{kCam1001, kCam1002}));

    Sim::AddInterface({"SimGEV7", "gev", "GEV", {{"KVR-GEV-7001", "KS7001", "Cam7001", "Kavrin", "SimCam GEV", "1.0.0"}}});
    IF_HANDLE added = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "GEV::SimGEV7", &added), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_NE(OpenDevice(added, "SN->KS7001"), nullptr);
    EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, "GEV::SimGEV8", &added)),
              Failed(GC_ERR_INVALID_ID, "Invalid interface name GEV::SimGEV8"));
}

// A consumer that updates the interface list before every open, probes the access modes, locks
// the transport parameters, waits 3 s per frame, revokes by index 0 until that fails and closes
// the device before its stream.
TEST_F(ConsumerRoads, CautiousConsumerProbesLocksRevokesByIndexAndClosesOutOfOrder) {
    const TL_HANDLE tl = OpenSystem();
    std::vector<DEV_HANDLE> devices;
    for (const auto& [interfaceId, deviceId] : {std::pair{kGevInterface, kCam1001}, std::pair{kU3vInterface, kCam2001},
                                                std::pair{kGevInterface, kCam1002}}) {
        SCOPED_TRACE(deviceId);
        ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 1000), GC_ERR_SUCCESS);
        IF_HANDLE iface = nullptr;
        ASSERT_EQ(gentl.TLOpenInterface(tl, interfaceId, &iface), GC_ERR_SUCCESS) << LastErrorText();
        DEV_HANDLE dev = nullptr;
        GC_ERROR opened = GC_ERR_NOT_IMPLEMENTED;
        for (const DEVICE_ACCESS_FLAGS access : {DEVICE_ACCESS_READONLY, DEVICE_ACCESS_CONTROL, DEVICE_ACCESS_EXCLUSIVE}) {
            opened = gentl.IFOpenDevice(iface, deviceId, access, &dev);
            if (opened != GC_ERR_NOT_IMPLEMENTED) break;
        }
        ASSERT_EQ(opened, GC_ERR_SUCCESS) << LastErrorText();
        devices.push_back(dev);
    }

    const DEV_HANDLE dev = devices.front();
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(gentl.DevGetPort(dev, &port), GC_ERR_SUCCESS);
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS);
    const size_t payload = ReadRegister<uint32_t>(port, Reg::kPayloadSize);
    AnnounceAndQueue(ds, 4, payload, nullptr);
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 1);
    ASSERT_EQ(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStart, Sim::kCommandValue);
    for (int frame = 0; frame < 10; ++frame) {
        const Delivery delivery = NextBuffer(event, 3000);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(BufInfo(ds, delivery.buffer, BUFFER_INFO_SIZE_FILLED).result, GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
    WriteRegister<uint32_t>(port, Reg::kAcquisitionStop, Sim::kCommandValue);
    ASSERT_EQ(gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    size_t revoked = 0;
    for (BUFFER_HANDLE buffer = nullptr; gentl.DSGetBufferID(ds, 0, &buffer) == GC_ERR_SUCCESS; ++revoked) {
        ASSERT_EQ(gentl.DSRevokeBuffer(ds, buffer, nullptr, nullptr), GC_ERR_SUCCESS) << LastErrorText();
        ASSERT_LE(revoked, 4u);
    }
    EXPECT_EQ(revoked, 4u);
    WriteRegister<uint32_t>(port, Reg::kTLParamsLocked, 0);

    // The device goes first; its stream went with it, and the stale handle only gives a code.
    for (const DEV_HANDLE open : devices) EXPECT_EQ(gentl.DevClose(open), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSClose(ds), GC_ERR_INVALID_HANDLE);
}

// Starts EventGetData on another thread with the given timeout.
std::future<GC_ERROR> WaitOnThread(EVENT_HANDLE event, uint64_t timeoutMs) {
    return std::async(std::launch::async, [event, timeoutMs] {
        unsigned char data[64];
        size_t size = sizeof data;
        return Gentl().EventGetData(event, data, &size, timeoutMs);
    });
}

// EventGetData that times out, with how long it took.
std::chrono::milliseconds TimedOutWait(EVENT_HANDLE event, uint64_t timeoutMs) {
    unsigned char data[64];
    size_t size = sizeof data;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Gentl().EventGetData(event, data, &size, timeoutMs), GC_ERR_TIMEOUT) << LastErrorText();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

using ConsumerWaits = ConsumerStreamTest;

// A kill that nobody received is forgotten by registering again: the next wait lasts its time.
TEST_F(ConsumerWaits, AKillForgottenByReregistrationLeavesNoWakeUp) {
    const EVENT_HANDLE remote = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    for (const auto& [source, type, event] : {std::tuple{static_cast<void*>(ds), EVENT_NEW_BUFFER, newBuffer},
                                              std::tuple{static_cast<void*>(cam.port), EVENT_REMOTE_DEVICE, remote}}) {
        SCOPED_TRACE(type);
        for (const bool unregisterFirst : {true, false}) {
            ASSERT_EQ(gentl.EventKill(event), GC_ERR_SUCCESS);
            if (unregisterFirst) {
                ASSERT_EQ(gentl.GCUnregisterEvent(source, type), GC_ERR_SUCCESS);
            }
            ASSERT_EQ(RegisterEvent(source, type), event);
            EXPECT_GE(TimedOutWait(event, 300), std::chrono::milliseconds(300)) << unregisterFirst;
        }
    }
}

// A buffer taken back from the output queue, a flush, or a waited take leave nothing to wake for.
TEST_F(ConsumerWaits, RequeuesFlushesAndTakesLeaveNoWakeUp) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(1), GC_ERR_SUCCESS);
    ASSERT_TRUE(Eventually([&] { return StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY) == 1; }));
    ASSERT_TRUE(Eventually([&] { return !Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)); }));
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffers[0]), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_GE(TimedOutWait(newBuffer, 200), std::chrono::milliseconds(200));

    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventFlush(newBuffer), GC_ERR_SUCCESS);
    EXPECT_GE(TimedOutWait(newBuffer, 200), std::chrono::milliseconds(200));

    // A camera event taken by a wait that had to wait for it.
    const EVENT_HANDLE remote = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    auto waiter = WaitOnThread(remote, kLongWaitMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // lets the waiter start waiting
    Sim::RaiseDeviceEvent(kCam1001, 0x9001);
    ASSERT_EQ(AwaitOrDie(waiter, "a wait for a camera event"), GC_ERR_SUCCESS);
    EXPECT_GE(TimedOutWait(remote, 200), std::chrono::milliseconds(200));
    Sim::RaiseDeviceEvent(kCam1001, 0x9002);
    ASSERT_TRUE(Eventually([&] { return Value<uint64_t>(EventInfo(remote, EVENT_NUM_IN_QUEUE), INFO_DATATYPE_UINT64) == 1; }));
    ASSERT_EQ(gentl.EventFlush(remote), GC_ERR_SUCCESS);
    EXPECT_GE(TimedOutWait(remote, 200), std::chrono::milliseconds(200));
}

// A NULL buffer asks only for the size; the buffer waits for the call that takes it.
TEST_F(ConsumerWaits, ASizeQueryLeavesTheBufferForTheNextCall) {
    const std::vector<BUFFER_HANDLE> buffers = AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(1), GC_ERR_SUCCESS);
    size_t size = 0;
    ASSERT_EQ(gentl.EventGetData(newBuffer, nullptr, &size, kLongWaitMs), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(size, sizeof(EVENT_NEW_BUFFER_DATA));
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    const Delivery delivery = NextBuffer(newBuffer, kLongWaitMs);
    ASSERT_EQ(delivery.result, GC_ERR_SUCCESS);
    EXPECT_EQ(delivery.buffer, buffers[0]);
    EXPECT_EQ(delivery.user, reinterpret_cast<void*>(0x1000));
}

// A timeout of 2^32 ms is not cut to 0: the wait goes on until a kill ends it.
TEST_F(ConsumerWaits, TimeoutsKeepAll64Bits) {
    auto waiter = WaitOnThread(newBuffer, uint64_t{1} << 32);
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    ASSERT_EQ(gentl.EventKill(newBuffer), GC_ERR_SUCCESS);
    EXPECT_EQ(AwaitOrDie(waiter, "a 2^32 ms wait after EventKill"), GC_ERR_ABORT);
}

// The started-frame count begins anew with every start, also after a counted run ended by itself.
TEST_F(ConsumerWaits, FramesStartedRestartWithEveryStart) {
    AllocAndQueue(ds, 8, PayloadSize(ds));
    const auto framesStarted = [&] { return Value<int64_t>(DSInfo(ds, STREAM_INFO_NUM_STARTED), INFO_DATATYPE_INT64); };
    for (const uint64_t count : {5, 3}) {
        ASSERT_EQ(Start(count), GC_ERR_SUCCESS);
        for (uint64_t i = 0; i < count; ++i) {
            const Delivery delivery = NextBuffer(newBuffer);
            ASSERT_EQ(delivery.result, GC_ERR_SUCCESS);
            ASSERT_EQ(gentl.DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
        }
        ASSERT_TRUE(Eventually([&] { return !Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)); }));
        EXPECT_EQ(framesStarted(), static_cast<int64_t>(count));
    }
}

}  // namespace
}  // namespace consumer
