// Shared pieces of the camera library tests: owning handles for the library's objects and a
// fixture that gives every test the default simulated world.
#pragma once

#include "camlib/CamLib.h"
#include "tevold/CamResults.h"
#include "tevold/SimControl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Tevold::Testing {

struct SystemRelease {
    void operator()(CamSystem* system) const { system->ReleaseSystem(); }
};
struct InterfaceClose {
    void operator()(CamInterface* iface) const { iface->CloseInterface(); }
};
struct DeviceClose {
    void operator()(CamDevice* device) const { device->CloseDevice(); }
};
struct StreamClose {
    void operator()(CamStream* stream) const { stream->CloseStream(); }
};
using SystemPtr = std::unique_ptr<CamSystem, SystemRelease>;
using InterfacePtr = std::unique_ptr<CamInterface, InterfaceClose>;
using DevicePtr = std::unique_ptr<CamDevice, DeviceClose>;
using StreamPtr = std::unique_ptr<CamStream, StreamClose>;

// The default world's names.
inline const std::string kGevInterface = "SimGEV0";
inline const std::string kU3vInterface = "SimU3V0";
inline const std::string kGevCamera = "KVR-GEV-1001";
inline const std::string kSecondGevCamera = "KVR-GEV-1002";

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { Sim::Reset(); }
    void TearDown() override { Sim::Reset(); }

    static SystemPtr OpenSystem();
    static InterfacePtr ConnectInterface(CamSystem& system, const std::string& name);
    static DevicePtr ConnectDevice(CamInterface& iface, const std::string& deviceId);
    static StreamPtr OpenStream(CamDevice& device);

    // The default camera, connected through a system and interface the fixture keeps.
    CamDevice& ConnectGevCamera();

    SystemPtr system_;
    InterfacePtr interface_;
    DevicePtr device_;
};

std::vector<std::string> InterfaceNames(CamSystem& system);
std::vector<std::string> DeviceNames(CamInterface& iface);
std::string QueryText(CamDevice& device, int32_t item);
uint32_t QueryAccessStatus(CamDevice& device);

// Register helpers: the read ones fail the test when the read fails.
uint32_t ReadU32(CamDevice& device, uint64_t address);
CamResult WriteU32(CamDevice& device, uint64_t address, uint32_t value);
double ReadDouble(CamDevice& device, uint64_t address);
std::string ReadBytes(CamDevice& device, uint64_t address, size_t size);
std::string ReadBytes(CamInterface& iface, uint64_t address, size_t size);
// The text up to the first NUL.
std::string UntilNul(const std::string& bytes);

struct DescriptionLocation {
    uint64_t address = 0;
    size_t length = 0;
};
// Parses "Local:<file>.xml;<addr hex>;<len hex>[?...]"; fails the test when malformed.
DescriptionLocation ParseLocalUrl(const std::string& url);

}  // namespace Tevold::Testing
