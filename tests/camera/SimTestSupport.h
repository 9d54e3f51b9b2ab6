// Shared pieces of the camera library tests: owning handles for the library's objects, fixtures
// that start every test from the default simulated world, and register helpers.
#pragma once

#include "camlib/CamLib.h"
#include "tevold/CamResults.h"
#include "tevold/InterfaceRegisterSpace.h"
#include "tevold/SimControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace Tevold::Testing {

// The library owns its objects' memory; they are given back through their close operation.
template <auto Close>
struct Closer {
    template <typename Object>
    void operator()(Object* object) const {
        (object->*Close)();
    }
};
using SystemPtr = std::unique_ptr<CamSystem, Closer<&CamSystem::ReleaseSystem>>;
using InterfacePtr = std::unique_ptr<CamInterface, Closer<&CamInterface::CloseInterface>>;
using DevicePtr = std::unique_ptr<CamDevice, Closer<&CamDevice::CloseDevice>>;
using StreamPtr = std::unique_ptr<CamStream, Closer<&CamStream::CloseStream>>;

// The default world's names.
inline const std::string kGevInterface = "SimGEV0";
inline const std::string kU3vInterface = "SimU3V0";
inline const std::string kGevCamera = "KVR-GEV-1001";
inline const std::string kSecondGevCamera = "KVR-GEV-1002";

// Waits that should end get this long; the limit only keeps a broken library from hanging the
// suite.
inline constexpr std::chrono::seconds kHangLimit{10};

inline SystemPtr OpenSystem() {
    CamSystem* system = nullptr;
    EXPECT_EQ(Result::kSuccess, GetSystem(&system));
    return SystemPtr(system);
}

inline InterfacePtr ConnectInterface(CamSystem& system, const std::string& name) {
    CamInterface* iface = nullptr;
    EXPECT_EQ(Result::kSuccess, system.ConnectInterface(name.c_str(), &iface)) << name;
    return InterfacePtr(iface);
}

inline DevicePtr ConnectDevice(CamInterface& iface, const std::string& deviceId) {
    CamDevice* device = nullptr;
    EXPECT_EQ(Result::kSuccess, iface.ConnectDevice(deviceId.c_str(), &device)) << deviceId;
    return DevicePtr(device);
}

// Every name of a counted list, in index order.
template <class Count, class GetName>
std::vector<std::string> ListNames(Count&& count, GetName&& getName) {
    uint32_t total = 0;
    EXPECT_EQ(Result::kSuccess, count(&total));
    std::vector<std::string> names;
    for (uint32_t i = 0; i < total; ++i) {
        char name[64] = {};
        size_t size = sizeof name;
        EXPECT_EQ(Result::kSuccess, getName(i, name, &size));
        names.emplace_back(name);
    }
    return names;
}

inline std::vector<std::string> InterfaceNames(CamSystem& system) {
    return ListNames([&](uint32_t* count) { return system.CountInterfaces(count); },
                     [&](uint32_t i, char* name, size_t* size) {
                         return system.GetInterfaceName(i, name, size);
                     });
}

// The interface's cameras after a discovery of its own.
inline std::vector<std::string> DeviceNames(CamInterface& iface) {
    return ListNames(
        [&](uint32_t* count) { return iface.CountDevices(count, 100); },
        [&](uint32_t i, char* name, size_t* size) { return iface.GetDeviceName(i, name, size); });
}

inline bool Listed(CamInterface& iface, const std::string& deviceId) {
    const std::vector<std::string> names = DeviceNames(iface);
    return std::find(names.begin(), names.end(), deviceId) != names.end();
}

// The simulated hardware is process-wide, so every test starts from the default world.
class SimTest : public ::testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
};

// A camera, the default one unless a test says otherwise, connected through a system and
// interface the fixture keeps.
class CameraTest : public SimTest {
protected:
    void SetUp() override { ConnectCamera(kGevInterface, kGevCamera); }

    void ConnectCamera(const std::string& interfaceName, const std::string& deviceId) {
        SimTest::SetUp();
        deviceId_ = deviceId;
        system_ = OpenSystem();
        interface_ = ConnectInterface(*system_, interfaceName);
        device_ = ConnectDevice(*interface_, deviceId);
        ASSERT_NE(nullptr, device_);
    }

    std::string deviceId_;
    SystemPtr system_;
    InterfacePtr interface_;
    DevicePtr device_;
};

inline std::string QueryText(CamDevice& device, int32_t item) {
    char text[256] = {};
    size_t size = sizeof text;
    EXPECT_EQ(Result::kSuccess, device.QueryInfo(item, text, &size)) << "item " << item;
    EXPECT_EQ(std::strlen(text) + 1, size) << "item " << item;
    return text;
}

// Reads from a CamDevice or CamInterface; a failed read fails the test.
template <typename Port>
std::string ReadBytes(Port& port, uint64_t address, size_t size) {
    std::string bytes(size, '\0');
    EXPECT_EQ(Result::kSuccess, port.ReadRegister(address, bytes.data(), &size)) << address;
    return bytes;
}

// The little-endian value at address, decoded byte by byte so the host's byte order plays no part.
template <typename Value>
Value ReadValue(CamDevice& device, uint64_t address) {
    const std::string bytes = ReadBytes(device, address, sizeof(Value));
    uint64_t bits = 0;
    for (size_t i = sizeof(Value); i-- > 0;) {
        bits = bits << 8 | static_cast<uint8_t>(bytes[i]);
    }
    if constexpr (std::is_floating_point_v<Value>) {
        Value value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    } else {
        return static_cast<Value>(bits);
    }
}

inline CamResult WriteU32(CamDevice& device, uint64_t address, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    size_t size = sizeof bytes;
    return device.WriteRegister(address, bytes, &size);
}

// The text up to the first NUL.
inline std::string UntilNul(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

// The address and length a "Local:<file>.xml;<address hex>;<length hex>[?...]" URL points to;
// any other form fails the test, as a consumer could not download the description from it.
inline std::pair<uint64_t, size_t> ParseLocalUrl(const std::string& url) {
    const std::string location = url.substr(0, url.find('?'));
    const size_t xml = location.find(".xml;");
    const size_t split = xml == std::string::npos ? xml : location.find(';', xml + 5);
    const auto isHex = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789abcdef") == std::string::npos;
    };
    if (location.rfind("Local:", 0) != 0 || xml <= 6 || split == std::string::npos ||
        !isHex(location.substr(xml + 5, split - xml - 5)) || !isHex(location.substr(split + 1))) {
        ADD_FAILURE() << "not a Local URL: " << url;
        return {};
    }
    return {std::stoull(location.substr(xml + 5), nullptr, 16),
            std::stoull(location.substr(split + 1), nullptr, 16)};
}

}  // namespace Tevold::Testing
