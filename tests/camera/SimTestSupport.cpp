#include "SimTestSupport.h"

#include <cstring>
#include <regex>

namespace Tevold::Testing {

SystemPtr SimTest::OpenSystem()
{
    CamSystem* system = nullptr;
    EXPECT_EQ(Result::kSuccess, GetSystem(&system));
    return SystemPtr(system);
}

InterfacePtr SimTest::ConnectInterface(CamSystem& system, const std::string& name)
{
    CamInterface* iface = nullptr;
    EXPECT_EQ(Result::kSuccess, system.ConnectInterface(name.c_str(), &iface));
    return InterfacePtr(iface);
}

DevicePtr SimTest::ConnectDevice(CamInterface& iface, const std::string& deviceId)
{
    CamDevice* device = nullptr;
    EXPECT_EQ(Result::kSuccess, iface.ConnectDevice(deviceId.c_str(), &device));
    return DevicePtr(device);
}

StreamPtr SimTest::OpenStream(CamDevice& device)
{
    CamStream* stream = nullptr;
    EXPECT_EQ(Result::kSuccess, device.OpenStream("DS0", &stream));
    return StreamPtr(stream);
}

CamDevice& SimTest::ConnectGevCamera()
{
    system_ = OpenSystem();
    interface_ = ConnectInterface(*system_, kGevInterface);
    device_ = ConnectDevice(*interface_, kGevCamera);
    return *device_;
}

std::vector<std::string> InterfaceNames(CamSystem& system)
{
    uint32_t count = 0;
    EXPECT_EQ(Result::kSuccess, system.CountInterfaces(&count));
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        char name[64] = {};
        size_t size = sizeof name;
        EXPECT_EQ(Result::kSuccess, system.GetInterfaceName(i, name, &size));
        names.emplace_back(name);
    }
    return names;
}

std::vector<std::string> DeviceNames(CamInterface& iface)
{
    uint32_t count = 0;
    EXPECT_EQ(Result::kSuccess, iface.CountDevices(&count, 100));
    std::vector<std::string> names;
    for (uint32_t i = 0; i < count; ++i) {
        char name[64] = {};
        size_t size = sizeof name;
        EXPECT_EQ(Result::kSuccess, iface.GetDeviceName(i, name, &size));
        names.emplace_back(name);
    }
    return names;
}

std::string QueryText(CamDevice& device, int32_t item)
{
    char text[256] = {};
    size_t size = sizeof text;
    EXPECT_EQ(Result::kSuccess, device.QueryInfo(item, text, &size)) << "item " << item;
    EXPECT_EQ(std::strlen(text) + 1, size) << "item " << item;
    return text;
}

uint32_t QueryAccessStatus(CamDevice& device)
{
    uint32_t status = 0;
    size_t size = sizeof status;
    EXPECT_EQ(Result::kSuccess, device.QueryInfo(kItemAccessStatus, &status, &size));
    return status;
}

uint32_t ReadU32(CamDevice& device, uint64_t address)
{
    uint8_t bytes[4] = {};
    size_t size = sizeof bytes;
    EXPECT_EQ(Result::kSuccess, device.ReadRegister(address, bytes, &size)) << address;
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t{bytes[3]} << 24;
}

CamResult WriteU32(CamDevice& device, uint64_t address, uint32_t value)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    size_t size = sizeof bytes;
    return device.WriteRegister(address, bytes, &size);
}

double ReadDouble(CamDevice& device, uint64_t address)
{
    const std::string bytes = ReadBytes(device, address, 8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) {
        bits = bits << 8 | static_cast<uint8_t>(bytes[i]);
    }
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string ReadBytes(CamDevice& device, uint64_t address, size_t size)
{
    std::string bytes(size, '\0');
    EXPECT_EQ(Result::kSuccess, device.ReadRegister(address, bytes.data(), &size)) << address;
    return bytes;
}

std::string ReadBytes(CamInterface& iface, uint64_t address, size_t size)
{
    std::string bytes(size, '\0');
    EXPECT_EQ(Result::kSuccess, iface.ReadRegister(address, bytes.data(), &size)) << address;
    return bytes;
}

std::string UntilNul(const std::string& bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

DescriptionLocation ParseLocalUrl(const std::string& url)
{
    static const std::regex localUrl(R"(Local:[A-Za-z0-9_]+\.xml;([0-9a-f]+);([0-9a-f]+)(\?.*)?)");
    std::smatch match;
    if (!std::regex_match(url, match, localUrl)) {
        ADD_FAILURE() << "not a Local URL: " << url;
        return {};
    }
    return {std::stoull(match[1], nullptr, 16), std::stoull(match[2], nullptr, 16)};
}

}  // namespace Tevold::Testing
