#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/ManualResetEvent.h"
#include "common/WaitDeadline.h"

using namespace GenICam::Client;

namespace {
std::string DescriptionOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const GenericException& exception) {
        return exception.GetDescription();
    }
    return "no exception";
}
}  // namespace

TEST(CopyInfo, StringFollowsTheSizeProtocol) {
    GenTL::INFO_DATATYPE type = 0;
    size_t size = 0;
    CopyInfoString(nullptr, &size, &type, "Mixed");
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_STRING);

    char exact[6];
    size = sizeof exact;
    CopyInfoString(exact, &size, &type, "Mixed");
    EXPECT_STREQ(exact, "Mixed");
    EXPECT_EQ(size, 6u);

    char large[64];
    size = sizeof large;
    CopyInfoString(large, &size, nullptr, "Mixed");
    EXPECT_EQ(size, 6u);
}

TEST(CopyInfo, ShortOrZeroSizedBufferIsRefusedAndUntouched) {
    char shortBuffer[5] = {'x', 'x', 'x', 'x', 'x'};
    size_t size = sizeof shortBuffer;
    EXPECT_EQ(DescriptionOf([&] { CopyInfoString(shortBuffer, &size, nullptr, "Mixed"); }),
              "Invalid Buffer Size");
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(shortBuffer[0], 'x');

    char zeroSized = 'x';
    size = 0;
    EXPECT_EQ(DescriptionOf([&] { CopyInfoString(&zeroSized, &size, nullptr, "Mixed"); }),
              "Invalid Buffer Size");
    EXPECT_EQ(zeroSized, 'x');
}

TEST(CopyInfo, MissingSizeFailsAfterTheTypeIsWritten) {
    GenTL::INFO_DATATYPE type = 0;
    char buffer[16];
    EXPECT_EQ(DescriptionOf([&] { CopyInfoInt32(buffer, nullptr, &type, 7); }), "Invalid Size");
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_INT32);
}

TEST(CopyInfo, ScalarsAreWrittenWithTheirExactSize) {
    unsigned char buffer[16];
    std::memset(buffer, 0xAA, sizeof buffer);
    size_t size = sizeof buffer;
    GenTL::INFO_DATATYPE type = 0;
    CopyInfoBool8(buffer, &size, &type, true);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_BOOL8);
    EXPECT_EQ(buffer[0], 1);
    EXPECT_EQ(buffer[1], 0xAA);

    size = sizeof buffer;
    CopyInfoNumber(buffer, &size, &type, GenTL::INFO_DATATYPE_UINT64, uint64_t{0x0102030405060708});
    EXPECT_EQ(size, 8u);
    uint64_t value = 0;
    std::memcpy(&value, buffer, sizeof value);
    EXPECT_EQ(value, 0x0102030405060708u);
}

TEST(ModuleUrl, CopyReportsTheNeededSizeToAShortBuffer) {
    const std::string url = ModuleUrl("TLRegs.xml", 0x940, 0);
    EXPECT_EQ(url, "Local:TLRegs.xml;940;0");

    size_t size = 0;
    CopyModuleUrl(nullptr, &size, url, 1);
    EXPECT_EQ(size, 24u);

    char buffer[24];
    size = 23;
    EXPECT_EQ(DescriptionOf([&] { CopyModuleUrl(buffer, &size, url, 1); }), "Invalid Buffer Size");
    EXPECT_EQ(size, 24u);

    size = sizeof buffer;
    CopyModuleUrl(buffer, &size, url, 1);
    EXPECT_STREQ(buffer, "Local:TLRegs.xml;940;0");
    EXPECT_EQ(buffer[23], '\0');
    EXPECT_EQ(DescriptionOf([&] { CopyModuleUrl(buffer, nullptr, url, 0); }), "Invalid Buffer Size");
}

TEST(Texts, SharedTextsAndUpperCase) {
    EXPECT_EQ(VendorName(), "KAVRIN");
    EXPECT_EQ(ModelName(), "KavrinTL");
    EXPECT_EQ(TLTypeName(), "Mixed");
    EXPECT_EQ(ToUpper("ge::00:1a-bc"), "GE::00:1A-BC");
}

TEST(Version, FourDecimalPartsMostSignificantFirst) {
    EXPECT_EQ(FormatVersion(0), "0.0.0.0");
    EXPECT_EQ(FormatVersion(0x0001000200030004), "1.2.3.4");
    EXPECT_EQ(FormatVersion(0xFFFF000000000001), "65535.0.0.1");
    EXPECT_EQ(FormatVersion(GetModuleVersion()), "1.0.0.0");
}

TEST(Messages, AreCutAt255Characters) {
    const std::string longName(400, 'n');
    const std::string message = FormatMessage("Invalid interface name %s", longName.c_str());
    EXPECT_EQ(message.size(), 255u);
    EXPECT_EQ(message.rfind("Invalid interface name nnn", 0), 0u);

    const RuntimeException exception(std::string(300, 'e'), "Test", 1);
    EXPECT_EQ(exception.GetDescription().size(), 255u);
}

TEST(ModulePath, FileNameIsThePartAfterTheLastSlash) {
    const std::string path = ModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    const auto fileName = ModuleFileName();
    ASSERT_TRUE(fileName.has_value());
    EXPECT_EQ(path.substr(path.size() - fileName->size()), *fileName);
    EXPECT_EQ(fileName->find('/'), std::string::npos);
}

TEST(WaitDeadline, OnlyTimeoutsBeyondACenturyWaitWithoutLimit) {
    EXPECT_TRUE(WaitDeadline(UINT64_MAX).IsUnlimited());
    EXPECT_TRUE(WaitDeadline(uint64_t{1} << 62).IsUnlimited());
    EXPECT_FALSE(WaitDeadline(uint64_t{1} << 32).IsUnlimited());
    EXPECT_FALSE(WaitDeadline(0xFFFFFFFF).IsUnlimited());

    // A deadline already passed only looks.
    ManualResetEvent signal;
    EXPECT_FALSE(signal.Wait(0));
    signal.Set();
    EXPECT_TRUE(signal.Wait(0));
    EXPECT_TRUE(signal.Wait(UINT64_MAX));
}
