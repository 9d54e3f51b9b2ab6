// What every consumer-style test shares: the loaded producer, a fixture that starts each test
// from a fresh simulated world with an initialised library, and short helpers for the calls a
// consumer repeats (information queries, last error, opening a camera, bounded waits).
//
// Tests reach the producer only through its exported C functions, as an application does; the
// simulator's control API is used to arrange the hardware and to look at what the cameras saw.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <future>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tevold/SimControl.h"
#include "tevold/SimRegisterMap.h"
#include "tools/GenTLProducer.h"

namespace consumer {

using namespace GenTL;
namespace Sim = Tevold::Sim;

// The default simulated world: two interfaces with two cameras each.
inline constexpr const char* kGevInterface = "GEV::SimGEV0";
inline constexpr const char* kU3vInterface = "U3V::SimU3V0";
inline constexpr const char* kCam1001 = "KVR-GEV-1001";
inline constexpr const char* kCam1002 = "KVR-GEV-1002";
inline constexpr const char* kCam2001 = "KVR-U3V-2001";

// Waits that should end at once get this much time before the test gives up on them; it only
// keeps a broken producer from hanging the suite.
inline constexpr uint64_t kLongWaitMs = 5000;
inline constexpr std::chrono::seconds kHangLimit{10};

// One producer for the whole test program, as an application loads it once. Never unloaded:
// threads the library may still own at exit must not run into unmapped code.
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
    if (Gentl().GCGetLastError(&code, text, &size) != GC_ERR_SUCCESS) return "<GCGetLastError failed>";
    return text;
}

// The answer of one information query, asked the way most consumers ask: one 1024-byte buffer.
struct Info {
    std::string what;
    GC_ERROR result = GC_ERR_ERROR;
    INFO_DATATYPE type = -1;
    size_t size = 0;
    std::vector<unsigned char> bytes;
};

template <class Query>
Info Ask(std::string what, Query&& query) {
    Info info;
    info.what = std::move(what);
    info.bytes.assign(1024, 0);
    info.size = info.bytes.size();
    info.result = query(&info.type, info.bytes.data(), &info.size);
    return info;
}

// The text of a successful STRING answer.
inline std::string Text(const Info& info) {
    EXPECT_EQ(info.result, GC_ERR_SUCCESS) << info.what << ": " << LastErrorText();
    EXPECT_EQ(info.type, INFO_DATATYPE_STRING) << info.what;
    if (info.result != GC_ERR_SUCCESS) return "<failed>";
    const size_t length = strnlen(reinterpret_cast<const char*>(info.bytes.data()), info.bytes.size());
    EXPECT_EQ(info.size, length + 1) << info.what << ": the size counts the text and its NUL";
    return std::string(reinterpret_cast<const char*>(info.bytes.data()), length);
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

inline Info GCInfo(TL_INFO_CMD command) {
    return Ask("GCGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().GCGetInfo(command, t, b, s); });
}
inline Info TLInfo(TL_HANDLE tl, TL_INFO_CMD command) {
    return Ask("TLGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().TLGetInfo(tl, command, t, b, s); });
}
inline Info InterfaceInfoOfTL(TL_HANDLE tl, const std::string& id, INTERFACE_INFO_CMD command) {
    return Ask("TLGetInterfaceInfo(" + id + ", " + std::to_string(command) + ")", [&](auto* t, auto* b, auto* s) {
        return Gentl().TLGetInterfaceInfo(tl, id.c_str(), command, t, b, s);
    });
}
inline Info IFInfo(IF_HANDLE iface, INTERFACE_INFO_CMD command) {
    return Ask("IFGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().IFGetInfo(iface, command, t, b, s); });
}
inline Info DeviceInfoOfIF(IF_HANDLE iface, const std::string& id, DEVICE_INFO_CMD command) {
    return Ask("IFGetDeviceInfo(" + id + ", " + std::to_string(command) + ")", [&](auto* t, auto* b, auto* s) {
        return Gentl().IFGetDeviceInfo(iface, id.c_str(), command, t, b, s);
    });
}
inline Info DevInfo(DEV_HANDLE dev, DEVICE_INFO_CMD command) {
    return Ask("DevGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().DevGetInfo(dev, command, t, b, s); });
}
inline Info DSInfo(DS_HANDLE ds, STREAM_INFO_CMD command) {
    return Ask("DSGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().DSGetInfo(ds, command, t, b, s); });
}
inline Info BufInfo(DS_HANDLE ds, BUFFER_HANDLE buffer, BUFFER_INFO_CMD command) {
    return Ask("DSGetBufferInfo(" + std::to_string(command) + ")", [&](auto* t, auto* b, auto* s) {
        return Gentl().DSGetBufferInfo(ds, buffer, command, t, b, s);
    });
}
inline Info PortInfo(PORT_HANDLE port, PORT_INFO_CMD command) {
    return Ask("GCGetPortInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().GCGetPortInfo(port, command, t, b, s); });
}
inline Info UrlInfo(PORT_HANDLE port, uint32_t index, URL_INFO_CMD command) {
    return Ask("GCGetPortURLInfo(" + std::to_string(index) + ", " + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) {
                   return Gentl().GCGetPortURLInfo(port, index, command, t, b, s);
               });
}
inline Info EventInfo(EVENT_HANDLE event, EVENT_INFO_CMD command) {
    return Ask("EventGetInfo(" + std::to_string(command) + ")",
               [&](auto* t, auto* b, auto* s) { return Gentl().EventGetInfo(event, command, t, b, s); });
}

// A failed call's code and the text stored with it, e.g. EXPECT_EQ(Failure(call), Failed(-1009, "x")).
struct Outcome {
    GC_ERROR result;
    GC_ERROR storedCode;
    std::string text;
    bool operator==(const Outcome& other) const {
        return result == other.result && storedCode == other.storedCode && text == other.text;
    }
};
inline std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    return out << "{returned " << outcome.result << ", stored " << outcome.storedCode << " \""
               << outcome.text << "\"}";
}
inline Outcome Failure(GC_ERROR result) { return {result, LastErrorCode(), LastErrorText()}; }
inline Outcome Failed(GC_ERROR code, std::string text) { return {code, code, std::move(text)}; }
// The port, event-source and event exports return one code for a NULL handle and store another.
inline Outcome NullHandleRefused() {
    return {GC_ERR_INVALID_HANDLE, GC_ERR_INVALID_PARAMETER, "Function call on wrong handle or NULL pointer."};
}

inline std::string PortUrl(PORT_HANDLE port) {
    char url[1024] = {};
    size_t size = sizeof url;
    const GC_ERROR result = Gentl().GCGetPortURL(port, url, &size);
    EXPECT_EQ(result, GC_ERR_SUCCESS) << "GCGetPortURL: " << LastErrorText();
    return url;
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

// Waits for work running on another thread. A wait that should end but does not is a hang in
// the producer: the test fails and the program ends, since the stuck thread cannot be joined.
template <class T>
T AwaitOrDie(std::future<T>& future, const char* what) {
    if (future.wait_for(kHangLimit) != std::future_status::ready) {
        ADD_FAILURE() << what << " did not end within " << kHangLimit.count() << " s";
        std::fflush(stdout);
        std::_Exit(EXIT_FAILURE);
    }
    return future.get();
}

// Polls a condition a consumer would poll, e.g. a counter reached by another thread; gives up
// after the hang limit.
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

// Each test starts from the default simulated world with pacing off (images at once) and an
// initialised library, and ends with everything it opened closed and the library closed.
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
        devices_.clear();
        systems_.clear();
        gentl.GCCloseLib();
        Sim::ClearFaults();
    }

    TL_HANDLE OpenSystem() {
        TL_HANDLE tl = nullptr;
        EXPECT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS) << LastErrorText();
        if (tl != nullptr) systems_.push_back(tl);
        return tl;
    }

    IF_HANDLE OpenInterface(TL_HANDLE tl, const std::string& id = kGevInterface) {
        IF_HANDLE iface = nullptr;
        EXPECT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 100), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(gentl.TLOpenInterface(tl, id.c_str(), &iface), GC_ERR_SUCCESS)
            << id << ": " << LastErrorText();
        return iface;
    }

    DEV_HANDLE OpenDevice(IF_HANDLE iface, const std::string& id = kCam1001) {
        DEV_HANDLE dev = nullptr;
        EXPECT_EQ(gentl.IFUpdateDeviceList(iface, nullptr, 100), GC_ERR_SUCCESS) << LastErrorText();
        EXPECT_EQ(gentl.IFOpenDevice(iface, id.c_str(), DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
            << id << ": " << LastErrorText();
        if (dev != nullptr) devices_.push_back(dev);
        return dev;
    }

    Camera OpenCamera(const std::string& deviceId = kCam1001,
                      const std::string& interfaceId = kGevInterface) {
        Camera camera;
        camera.tl = OpenSystem();
        if (camera.tl == nullptr) return camera;
        camera.iface = OpenInterface(camera.tl, interfaceId);
        if (camera.iface == nullptr) return camera;
        camera.dev = OpenDevice(camera.iface, deviceId);
        if (camera.dev == nullptr) return camera;
        EXPECT_EQ(gentl.DevGetPort(camera.dev, &camera.port), GC_ERR_SUCCESS) << LastErrorText();
        return camera;
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

    std::vector<BUFFER_HANDLE> AllocAndQueue(DS_HANDLE ds, size_t count, size_t size) {
        std::vector<BUFFER_HANDLE> buffers;
        for (size_t i = 0; i < count; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            void* const user = reinterpret_cast<void*>(0x1000 + i);
            EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, size, user, &buffer), GC_ERR_SUCCESS)
                << LastErrorText();
            EXPECT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS) << LastErrorText();
            buffers.push_back(buffer);
        }
        return buffers;
    }

    EVENT_HANDLE RegisterEvent(void* source, EVENT_TYPE type) {
        EVENT_HANDLE event = nullptr;
        EXPECT_EQ(gentl.GCRegisterEvent(source, type, &event), GC_ERR_SUCCESS) << LastErrorText();
        return event;
    }

    // One new-buffer event, its fields copied out of the byte-packed event data.
    struct Delivery {
        GC_ERROR result = GC_ERR_ERROR;
        BUFFER_HANDLE buffer = nullptr;
        void* user = nullptr;
    };
    Delivery NextBuffer(EVENT_HANDLE event, uint64_t timeoutMs = kLongWaitMs) {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        Delivery delivery;
        delivery.result = gentl.EventGetData(event, &data, &size, timeoutMs);
        if (delivery.result == GC_ERR_SUCCESS) {
            EXPECT_EQ(size, sizeof data);
        }
        delivery.buffer = data.BufferHandle;
        delivery.user = data.pUserPointer;
        return delivery;
    }

    uint32_t StreamCount(DS_HANDLE ds, STREAM_INFO_CMD command) {
        return Value<uint32_t>(DSInfo(ds, command), INFO_DATATYPE_UINT32);
    }

private:
    std::vector<TL_HANDLE> systems_;
    std::vector<DEV_HANDLE> devices_;
};

}  // namespace consumer
