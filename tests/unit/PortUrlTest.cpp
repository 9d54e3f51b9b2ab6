// Register-description URLs taken apart, case by case: what the port URL list reports and what
// kavrin-grab downloads from.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/PortUrl.h"

using namespace GenICam::Client;

namespace {

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

}  // namespace
