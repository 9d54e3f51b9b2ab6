#include "SimTestSupport.h"

#include <cstring>

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
    const std::string location = url.substr(0, url.find('?'));
    const size_t firstSemicolon = location.find(';');
    const size_t secondSemicolon = location.find(';', firstSemicolon + 1);
    const auto isHex = [](const std::string& text) {
        return !text.empty() && text.find_first_not_of("0123456789abcdef") == std::string::npos;
    };
    const std::string file = location.substr(0, firstSemicolon);
    const std::string address =
        location.substr(firstSemicolon + 1, secondSemicolon - firstSemicolon - 1);
    const std::string length =
        secondSemicolon == std::string::npos ? "" : location.substr(secondSemicolon + 1);
    const bool wellFormed = file.rfind("Local:", 0) == 0 && file.size() > 10 &&
                            file.compare(file.size() - 4, 4, ".xml") == 0 && isHex(address) &&
                            isHex(length);
    if (!wellFormed) {
        ADD_FAILURE() << "not a Local URL: " << url;
        return {};
    }
    return {std::stoull(address, nullptr, 16), std::stoull(length, nullptr, 16)};
}

}  // namespace Tevold::Testing
