// What every consumer-style test shares: the loaded producer, a fixture that starts each test
// from a fresh simulated world with an initialised library, and short helpers for the calls a
// consumer repeats. Tests reach the producer only through its exported C functions, as an
// application does; the simulator's control API arranges the hardware and shows what it saw.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tevold/InterfaceRegisterSpace.h"
#include "tevold/SimControl.h"
#include "tevold/SimRegisterMap.h"
#include "tools/GenTLProducer.h"

namespace consumer {

using namespace GenTL;
using namespace Kavrin::Tools;
namespace Sim = Tevold::Sim;
namespace Reg = Sim::CameraRegister;

// The default simulated world: two interfaces with two cameras each.
inline constexpr const char* kGevInterface = "GEV::SimGEV0";
inline constexpr const char* kU3vInterface = "U3V::SimU3V0";
inline constexpr const char* kCam1001 = "KVR-GEV-1001";
inline constexpr const char* kCam1002 = "KVR-GEV-1002";
inline constexpr const char* kCam2001 = "KVR-U3V-2001";
inline void* const kGarbage = reinterpret_cast<void*>(0x1234);

// Waits that should end at once get this long; the limits only keep a broken producer from
// hanging the suite.
inline constexpr uint64_t kLongWaitMs = 5000;
inline constexpr std::chrono::seconds kHangLimit{10};

// One producer for the whole program, as an application loads it once. Never unloaded: threads
// the library may still own at exit must not run into unmapped code. Loading fails if any export
// does not resolve.
inline GenTLProducer& Gentl() {
    static GenTLProducer* const producer = new GenTLProducer(KAVRIN_CTI_PATH);
    return *producer;
}

inline GC_ERROR LastErrorCode() {
    GC_ERROR code = GC_ERR_SUCCESS;
    Gentl().GCGetLastError(&code, nullptr, nullptr);
    return code;
}

inline std::string LastErrorText() {
    char text[1024] = {};
    size_t size = sizeof text;
    GC_ERROR code = GC_ERR_SUCCESS;
    if (Gentl().GCGetLastError(&code, text, &size) != GC_ERR_SUCCESS)
        return "<GCGetLastError failed>";
    return text;
}

// The answer of one information query, asked the way most consumers ask: one 1024-byte buffer.
struct Info {
    std::string what;
    GC_ERROR result = GC_ERR_ERROR;
    INFO_DATATYPE type = -1;
    size_t size = 0;
    std::vector<unsigned char> bytes = std::vector<unsigned char>(1024);
};

// Any of the information exports: its own arguments, then the type, buffer and size they share.
template <class Function, class... Args>
Info Ask(const char* name, Function GenTLProducer::*function, Args... args) {
    std::ostringstream what;
    what << name;
    ((what << ' ' << args), ...);
    Info info;
    info.what = what.str();
    info.size = info.bytes.size();
    info.result = (Gentl().*function)(args..., &info.type, info.bytes.data(), &info.size);
    return info;
}

// The text of a successful STRING answer; the size counts the text and its NUL.
inline std::string Text(const Info& info) {
    EXPECT_EQ(info.result, GC_ERR_SUCCESS) << info.what << ": " << LastErrorText();
    EXPECT_EQ(info.type, INFO_DATATYPE_STRING) << info.what;
    if (info.result != GC_ERR_SUCCESS) return "<failed>";
    const auto* text = reinterpret_cast<const char*>(info.bytes.data());
    const size_t length = strnlen(text, info.bytes.size());
    EXPECT_EQ(info.size, length + 1) << info.what;
    return std::string(text, length);
}

// The value of a successful scalar answer, checked for its data type and exact size.
template <class T>
T Value(const Info& info, INFO_DATATYPE expectedType) {
    EXPECT_EQ(info.result, GC_ERR_SUCCESS) << info.what << ": " << LastErrorText();
    EXPECT_EQ(info.type, expectedType) << info.what;
    EXPECT_EQ(info.size, sizeof(T)) << info.what;
    T value{};
    std::memcpy(&value, info.bytes.data(), sizeof value);
    return value;
}

inline bool Flag(const Info& info) { return Value<uint8_t>(info, INFO_DATATYPE_BOOL8) != 0; }

inline Info GCInfo(TL_INFO_CMD c) { return Ask("GCGetInfo", &GenTLProducer::GCGetInfo, c); }
inline Info TLInfo(TL_HANDLE h, TL_INFO_CMD c) {
    return Ask("TLGetInfo", &GenTLProducer::TLGetInfo, h, c);
}
inline Info IFInfo(IF_HANDLE h, INTERFACE_INFO_CMD c) {
    return Ask("IFGetInfo", &GenTLProducer::IFGetInfo, h, c);
}
inline Info DevInfo(DEV_HANDLE h, DEVICE_INFO_CMD c) {
    return Ask("DevGetInfo", &GenTLProducer::DevGetInfo, h, c);
}
inline Info DSInfo(DS_HANDLE h, STREAM_INFO_CMD c) {
    return Ask("DSGetInfo", &GenTLProducer::DSGetInfo, h, c);
}
inline Info PortInfo(void* h, PORT_INFO_CMD c) {
    return Ask("GCGetPortInfo", &GenTLProducer::GCGetPortInfo, h, c);
}
inline Info EventInfo(void* h, EVENT_INFO_CMD c) {
    return Ask("EventGetInfo", &GenTLProducer::EventGetInfo, h, c);
}
inline Info InterfaceInfoOfTL(TL_HANDLE h, const char* id, INTERFACE_INFO_CMD c) {
    return Ask("TLGetInterfaceInfo", &GenTLProducer::TLGetInterfaceInfo, h, id, c);
}
inline Info DeviceInfoOfIF(IF_HANDLE h, const char* id, DEVICE_INFO_CMD c) {
    return Ask("IFGetDeviceInfo", &GenTLProducer::IFGetDeviceInfo, h, id, c);
}
inline Info BufInfo(DS_HANDLE h, BUFFER_HANDLE b, BUFFER_INFO_CMD c) {
    return Ask("DSGetBufferInfo", &GenTLProducer::DSGetBufferInfo, h, b, c);
}
inline Info UrlInfo(PORT_HANDLE h, uint32_t i, URL_INFO_CMD c) {
    return Ask("GCGetPortURLInfo", &GenTLProducer::GCGetPortURLInfo, h, i, c);
}

// A failed call's code and the text stored with it: EXPECT_EQ(Failure(call), Failed(code, text)).
struct Outcome {
    GC_ERROR result;
    GC_ERROR storedCode;
    std::string text;
    bool operator==(const Outcome& o) const {
        return result == o.result && storedCode == o.storedCode && text == o.text;
    }
};
inline std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    return out << "{returned " << o.result << ", stored " << o.storedCode << " \"" << o.text
               << "\"}";
}
inline Outcome Failure(GC_ERROR result) { return {result, LastErrorCode(), LastErrorText()}; }
inline Outcome Failed(GC_ERROR code, std::string text) { return {code, code, std::move(text)}; }
// The port, event-source and event exports return one code for a NULL handle and store another.
inline Outcome NullHandleRefused() {
    return {GC_ERR_INVALID_HANDLE, GC_ERR_INVALID_PARAMETER,
            "Function call on wrong handle or NULL pointer."};
}

// The IDs a system lists for its interfaces (TLGetNumInterfaces, TLGetInterfaceID) or an
// interface for its devices (IFGetNumDevices, IFGetDeviceID).
template <class Count, class GetId>
std::vector<std::string> ListedIds(void* parent, Count GenTLProducer::*count,
                                   GetId GenTLProducer::*getId) {
    uint32_t n = 0;
    EXPECT_EQ((Gentl().*count)(parent, &n), GC_ERR_SUCCESS) << LastErrorText();
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < n; ++i) {
        char id[256] = {};
        size_t size = sizeof id;
        EXPECT_EQ((Gentl().*getId)(parent, i, id, &size), GC_ERR_SUCCESS) << LastErrorText();
        ids.emplace_back(id);
    }
    return ids;
}
inline std::vector<std::string> InterfaceIds(TL_HANDLE tl) {
    return ListedIds(tl, &GenTLProducer::TLGetNumInterfaces, &GenTLProducer::TLGetInterfaceID);
}
inline std::vector<std::string> DeviceIds(IF_HANDLE iface) {
    return ListedIds(iface, &GenTLProducer::IFGetNumDevices, &GenTLProducer::IFGetDeviceID);
}

inline std::string PortUrl(PORT_HANDLE port) {
    char url[1024] = {};
    size_t size = sizeof url;
    EXPECT_EQ(Gentl().GCGetPortURL(port, url, &size), GC_ERR_SUCCESS)
        << "GCGetPortURL: " << LastErrorText();
    return url;
}

// The port's register description, from where its first URL's information says, as consumers
// download it.
inline std::string ReadDescription(PORT_HANDLE port) {
    const auto address =
        Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS), INFO_DATATYPE_UINT64);
    const auto length = Value<uint64_t>(UrlInfo(port, 0, URL_INFO_FILE_SIZE), INFO_DATATYPE_UINT64);
    std::string description(length, '\0');
    size_t size = description.size();
    EXPECT_EQ(Gentl().GCReadPort(port, address, description.data(), &size), GC_ERR_SUCCESS)
        << LastErrorText();
    return description;
}

template <class T>
T ReadRegister(PORT_HANDLE port, uint64_t address) {
    T value{};
    size_t size = sizeof value;
    EXPECT_EQ(Gentl().GCReadPort(port, address, &value, &size), GC_ERR_SUCCESS)
        << "GCReadPort at 0x" << std::hex << address << ": " << LastErrorText();
    return value;
}

template <class T>
void WriteRegister(PORT_HANDLE port, uint64_t address, T value) {
    size_t size = sizeof value;
    EXPECT_EQ(Gentl().GCWritePort(port, address, &value, &size), GC_ERR_SUCCESS)
        << "GCWritePort at 0x" << std::hex << address << ": " << LastErrorText();
}

// One new-buffer event, its fields copied out of the byte-packed event data.
struct Delivery {
    GC_ERROR result = GC_ERR_ERROR;
    BUFFER_HANDLE buffer = nullptr;
    void* user = nullptr;
};
inline Delivery NextBuffer(EVENT_HANDLE event, uint64_t timeoutMs = kLongWaitMs) {
    EVENT_NEW_BUFFER_DATA data{};
    size_t size = sizeof data;
    const GC_ERROR result = Gentl().EventGetData(event, &data, &size, timeoutMs);
    if (result == GC_ERR_SUCCESS) {
        EXPECT_EQ(size, sizeof data);
    }
    return {result, data.BufferHandle, data.pUserPointer};
}

// The next entry of a module's error event: its code and text.
using ErrorEntry = std::pair<GC_ERROR, std::string>;
inline ErrorEntry NextError(EVENT_HANDLE errors, uint64_t timeoutMs = kLongWaitMs) {
    char entry[128] = {};
    size_t size = sizeof entry;
    EXPECT_EQ(Gentl().EventGetData(errors, entry, &size, timeoutMs), GC_ERR_SUCCESS)
        << LastErrorText();
    GC_ERROR code = GC_ERR_SUCCESS;
    std::memcpy(&code, entry, sizeof code);
    return {code, entry + sizeof code};
}

// The camera was handed back as a closing device must: its stream first, then the device.
inline void ExpectClosedInOrder(const char* deviceId) {
    EXPECT_FALSE(Sim::GetCameraStatus(deviceId).connected);
    EXPECT_FALSE(Sim::GetCameraStatus(deviceId).acquiring);
    const auto log = Sim::CallLog(deviceId);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(std::vector<Sim::CameraCall>(log.end() - 3, log.end()),
              (std::vector<Sim::CameraCall>{Sim::CameraCall::CloseStream,
                                            Sim::CameraCall::QueryPrepareClose,
                                            Sim::CameraCall::CloseDevice}));
}

// Waits for work on another thread. A wait that should end but does not is a hang in the
// producer: the test fails and the program ends, since the stuck thread cannot be joined.
template <class T>
T AwaitOrDie(std::future<T>& future, const char* what) {
    if (future.wait_for(kHangLimit) != std::future_status::ready) {
        ADD_FAILURE() << what << " did not end within " << kHangLimit.count() << " s";
        std::fflush(stdout);
        std::_Exit(EXIT_FAILURE);
    }
    return future.get();
}

// Whether the thread is blocked in the kernel, as a thread waiting on a condition is: the state
// letter after the command name in /proc/self/task/TID/stat.
inline bool IsBlocked(pid_t thread) {
    std::ifstream stat("/proc/self/task/" + std::to_string(thread) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t nameEnd = line.rfind(')');
    return nameEnd != std::string::npos && nameEnd + 2 < line.size() && line[nameEnd + 2] == 'S';
}

// EventGetData on another thread, as a consumer's acquisition thread waits. Returns once the
// thread is blocked inside EventGetData, so that what a test does next happens
// to a wait in progress (at most a few seconds later on a loaded machine, it goes on anyway).
inline std::future<GC_ERROR> WaitOnThread(EVENT_HANDLE event, uint64_t timeoutMs = GENTL_INFINITE) {
    std::promise<pid_t> started;
    auto waiter = started.get_future();
    auto result =
        std::async(std::launch::async, [event, timeoutMs, started = std::move(started)]() mutable {
            unsigned char data[64] = {};
            size_t size = sizeof data;
            started.set_value(gettid());
            return Gentl().EventGetData(event, data, &size, timeoutMs);
        });
    const pid_t thread = waiter.get();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!IsBlocked(thread) &&
           result.wait_for(std::chrono::seconds(0)) == std::future_status::timeout &&
           std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    return result;
}

// EventGetData that times out, with how long it took: a wait that nothing should end lasts its
// whole time.
inline std::chrono::milliseconds TimedOutWait(EVENT_HANDLE event, uint64_t timeoutMs) {
    unsigned char data[64];
    size_t size = sizeof data;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Gentl().EventGetData(event, data, &size, timeoutMs), GC_ERR_TIMEOUT)
        << LastErrorText();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
}

// Polls what a consumer would poll, e.g. a counter another thread moves; gives up at the limit.
template <class Condition>
bool Eventually(Condition&& condition) {
    const auto deadline = std::chrono::steady_clock::now() + kHangLimit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct Camera {
    TL_HANDLE tl = nullptr;
    IF_HANDLE iface = nullptr;
    DEV_HANDLE dev = nullptr;
    PORT_HANDLE port = nullptr;
    explicit operator bool() const { return tl && iface && dev && port; }
};

// Each test starts from the default world with pacing off (images at once) and an initialised
// library, and ends with everything it opened closed and the library closed.
class ConsumerTest : public ::testing::Test {
protected:
    GenTLProducer& gentl = Gentl();

    void SetUp() override {
        Sim::Reset();
        Sim::SetPacing(false);
        ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    }

    void TearDown() override {
        for (auto it = devices_.rbegin(); it != devices_.rend(); ++it) gentl.DevClose(*it);
        for (auto it = systems_.rbegin(); it != systems_.rend(); ++it) gentl.TLClose(*it);
        gentl.GCCloseLib();
        Sim::ClearFaults();
    }

    TL_HANDLE OpenSystem() {
        TL_HANDLE tl = nullptr;
        EXPECT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS) << LastErrorText();
        if (tl != nullptr) systems_.push_back(tl);
        return tl;
    }

    IF_HANDLE OpenInterface(TL_HANDLE tl, const char* id = kGevInterface) {
        IF_HANDLE iface = nullptr;
        EXPECT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 100), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(gentl.TLOpenInterface(tl, id, &iface), GC_ERR_SUCCESS)
            << id << ": " << LastErrorText();
        return iface;
    }

    DEV_HANDLE OpenDevice(IF_HANDLE iface, const char* id = kCam1001) {
        DEV_HANDLE dev = nullptr;
        EXPECT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(gentl.IFOpenDevice(iface, id, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
            << id << ": " << LastErrorText();
        if (dev != nullptr) devices_.push_back(dev);
        return dev;
    }

    Camera OpenCamera(const char* deviceId = kCam1001, const char* interfaceId = kGevInterface) {
        Camera cam;
        if (!(cam.tl = OpenSystem()) || !(cam.iface = OpenInterface(cam.tl, interfaceId)) ||
            !(cam.dev = OpenDevice(cam.iface, deviceId)))
            return cam;
        EXPECT_EQ(gentl.DevGetPort(cam.dev, &cam.port), GC_ERR_SUCCESS) << LastErrorText();
        return cam;
    }

    DS_HANDLE OpenStream(DEV_HANDLE dev) {
        DS_HANDLE ds = nullptr;
        EXPECT_EQ(gentl.DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS) << LastErrorText();
        return ds;
    }

    // Closes what a test closes itself, so that the teardown leaves it alone.
    GC_ERROR CloseDevice(DEV_HANDLE dev) {
        devices_.erase(std::remove(devices_.begin(), devices_.end(), dev), devices_.end());
        return gentl.DevClose(dev);
    }
    GC_ERROR CloseSystem(TL_HANDLE tl) {
        systems_.erase(std::remove(systems_.begin(), systems_.end(), tl), systems_.end());
        return gentl.TLClose(tl);
    }

    // Payload of one image as the stream reports it (custom stream command 1001).
    size_t PayloadSize(DS_HANDLE ds) {
        return static_cast<size_t>(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64));
    }

    BUFFER_HANDLE Alloc(DS_HANDLE ds, size_t size, void* user = nullptr) {
        BUFFER_HANDLE buffer = nullptr;
        EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, size, user, &buffer), GC_ERR_SUCCESS)
            << LastErrorText();
        return buffer;
    }

    std::vector<BUFFER_HANDLE> AllocAndQueue(DS_HANDLE ds, size_t count, size_t size) {
        std::vector<BUFFER_HANDLE> buffers(count);
        for (size_t i = 0; i < count; ++i) {
            buffers[i] = Alloc(ds, size, reinterpret_cast<void*>(0x1000 + i));
            EXPECT_EQ(gentl.DSQueueBuffer(ds, buffers[i]), GC_ERR_SUCCESS) << LastErrorText();
        }
        return buffers;
    }

    EVENT_HANDLE RegisterEvent(void* source, EVENT_TYPE type) {
        EVENT_HANDLE event = nullptr;
        EXPECT_EQ(gentl.GCRegisterEvent(source, type, &event), GC_ERR_SUCCESS) << LastErrorText();
        return event;
    }

    uint32_t StreamCount(DS_HANDLE ds, STREAM_INFO_CMD command) {
        return Value<uint32_t>(DSInfo(ds, command), INFO_DATATYPE_UINT32);
    }

private:
    std::vector<TL_HANDLE> systems_;
    std::vector<DEV_HANDLE> devices_;
};

// A camera, KVR-GEV-1001 unless a test opens another, with its stream open and the stream's
// new-buffer event registered.
class ConsumerStreamTest : public ConsumerTest {
protected:
    void SetUp() override {
        ConsumerTest::SetUp();
        OpenCameraStream(kCam1001, kGevInterface);
    }

    void OpenCameraStream(const char* deviceId, const char* interfaceId) {
        cam = OpenCamera(deviceId, interfaceId);
        ASSERT_TRUE(cam);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
        newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    }

    GC_ERROR Start(uint64_t frames = GENTL_INFINITE) {
        return gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, frames);
    }
    GC_ERROR Stop() { return gentl.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT); }

    uint64_t Counter(STREAM_INFO_CMD command) {
        return Value<uint64_t>(DSInfo(ds, command), INFO_DATATYPE_UINT64);
    }
    int64_t Started() {
        return Value<int64_t>(DSInfo(ds, STREAM_INFO_NUM_STARTED), INFO_DATATYPE_INT64);
    }
    bool Grabbing() { return Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)); }
    uint64_t FrameIdOf(BUFFER_HANDLE buffer) {
        return Value<uint64_t>(BufInfo(ds, buffer, BUFFER_INFO_FRAMEID), INFO_DATATYPE_UINT64);
    }

    // Buffers already delivered may still come after a failure; then the wait reports it.
    GC_ERROR WaitPastDeliveredBuffers() {
        Delivery next{GC_ERR_SUCCESS};
        for (int i = 0; i < 10 && next.result == GC_ERR_SUCCESS; ++i)
            next = NextBuffer(newBuffer, GENTL_INFINITE);
        return next.result;
    }

    Camera cam;
    DS_HANDLE ds = nullptr;
    EVENT_HANDLE newBuffer = nullptr;
};

}  // namespace consumer
