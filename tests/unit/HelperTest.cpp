// The shared helpers: the information size protocol, module URLs built and register-description
// URLs taken apart, versions, messages and wait deadlines.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/ManualResetEvent.h"
#include "common/PortUrl.h"
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

// The size protocol every information answer follows: a NULL buffer asks for the size, a short
// or empty one is refused and left alone, and scalars are written with their exact size.
TEST(CopyInfo, SizeProtocol) {
    GenTL::INFO_DATATYPE type = 0;
    size_t size = 0;
    CopyInfoString(nullptr, &size, &type, "Mixed");
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_STRING);
    char large[64];
    size = sizeof large;
    CopyInfoString(large, &size, nullptr, "Mixed");
    EXPECT_STREQ(large, "Mixed");
    EXPECT_EQ(size, 6u);

    for (const size_t tooSmall : {size_t{5}, size_t{0}}) {
        char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
        size = tooSmall;
        EXPECT_EQ(DescriptionOf([&] { CopyInfoString(buffer, &size, nullptr, "Mixed"); }),
                  "Invalid Buffer Size");
        EXPECT_EQ(size, tooSmall);
        EXPECT_EQ(buffer[0], 'x');
    }

    // A missing size fails after the type is written.
    EXPECT_EQ(DescriptionOf([&] { CopyInfoInt32(large, nullptr, &type, 7); }), "Invalid Size");
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_INT32);

    unsigned char bytes[16];
    std::memset(bytes, 0xAA, sizeof bytes);
    size = sizeof bytes;
    CopyInfoBool8(bytes, &size, &type, true);
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(type, GenTL::INFO_DATATYPE_BOOL8);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 0xAA);
    size = sizeof bytes;
    CopyInfoNumber(bytes, &size, &type, GenTL::INFO_DATATYPE_UINT64, uint64_t{0x0102030405060708});
    EXPECT_EQ(size, 8u);
    uint64_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
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
    EXPECT_EQ(DescriptionOf([&] { CopyModuleUrl(buffer, nullptr, url, 0); }),
              "Invalid Buffer Size");
}

TEST(Version, FourDecimalPartsMostSignificantFirst) {
    EXPECT_EQ(FormatVersion(0), "0.0.0.0");
    EXPECT_EQ(FormatVersion(0x0001000200030004), "1.2.3.4");
    EXPECT_EQ(FormatVersion(0xFFFF000000000001), "65535.0.0.1");
}

TEST(Messages, AreCutAt255Characters) {
    const std::string longName(400, 'n');
    const std::string message = FormatMessage("Invalid interface name %s", longName.c_str());
    EXPECT_EQ(message.size(), 255u);
    EXPECT_EQ(message.rfind("Invalid interface name nnn", 0), 0u);

    const RuntimeException exception(std::string(300, 'e'), "Test", 1);
    EXPECT_EQ(exception.GetDescription().size(), 255u);
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

TEST(PortUrl, SchemesFieldsAndWhetherTheyNameADescription) {
    struct Case {
        const char* text;
        GenTL::URL_SCHEME_ID scheme;
        const char* fileName;
        std::optional<uint64_t> address, length;
        std::optional<int32_t> schemaMajor, schemaMinor;
        bool namesDescription;
    };
    const auto L = GenTL::URL_SCHEME_LOCAL;
    const auto F = GenTL::URL_SCHEME_FILE;
    const auto H = GenTL::URL_SCHEME_HTTP;
    const auto C = GenTL::URL_SCHEME_CUSTOM_ID;
    const Case cases[] = {
        {"Local:///SimCam.xml;1a000;2f3c?SchemaVersion=1.1.0", L, "SimCam.xml", 0x1a000, 0x2f3c, 1,
         1, true},
        {"local:TLRegs.xml;940;0", L, "TLRegs.xml", 0x940, 0, {}, {}, false},
        {"LOCAL:cam.zip;10000;ABC", L, "cam.zip", 0x10000, 0xabc, {}, {}, true},
        {"Local:cam.xml;0;10?schemaversion=2.3.9", L, "cam.xml", 0, 0x10, 2, 3, true},
        {"Local:cam.xml;0;10?SchemaVersion=x.1", L, "cam.xml", 0, 0x10, {}, {}, true},
        {"Local:desc.xml", L, "desc.xml", {}, {}, {}, {}, false},
        {"Local:desc.xml;zz;10", L, "desc.xml", {}, 0x10, {}, {}, false},
        {"Local:desc.xml;10;1g", L, "desc.xml", 0x10, {}, {}, {}, false},
        {"Local:desc.xml;;10", L, "desc.xml", {}, 0x10, {}, {}, false},
        {"File:///opt/cam/desc.zip?SchemaVersion=1.0.0",
         F,
         "/opt/cam/desc.zip",
         {},
         {},
         1,
         0,
         true},
        {"file:relative/desc.xml", F, "relative/desc.xml", {}, {}, {}, {}, true},
        {"file:", F, "", {}, {}, {}, {}, false},
        {"http://host/desc.xml", H, "//host/desc.xml", {}, {}, {}, {}, false},
        {"ftp://host/desc.xml", C, "", {}, {}, {}, {}, false},
        {"no scheme at all", C, "", {}, {}, {}, {}, false},
        {"", C, "", {}, {}, {}, {}, false},
    };
    for (const Case& c : cases) {
        const PortUrl url = PortUrl::Parse(c.text);
        EXPECT_EQ(url.text, c.text);
        EXPECT_EQ(url.scheme, c.scheme) << c.text;
        EXPECT_EQ(url.fileName, c.fileName) << c.text;
        EXPECT_EQ(url.registerAddress, c.address) << c.text;
        EXPECT_EQ(url.fileSize, c.length) << c.text;
        EXPECT_EQ(url.schemaMajor, c.schemaMajor) << c.text;
        EXPECT_EQ(url.schemaMinor, c.schemaMinor) << c.text;
        EXPECT_EQ(url.NamesDescription(), c.namesDescription) << c.text;
    }
}
