#include <gtest/gtest.h>

#include "common/GenICamException.h"
#include "common/PortUrl.h"

using namespace GenICam::Client;

TEST(PortUrl, LocalUrlWithAddressLengthAndSchema) {
    const PortUrl url = PortUrl::Parse("Local:///SimCam.xml;1a000;2f3c?SchemaVersion=1.1.0");
    EXPECT_EQ(url.scheme, GenTL::URL_SCHEME_LOCAL);
    EXPECT_EQ(url.fileName, "SimCam.xml");
    EXPECT_EQ(url.registerAddress, 0x1a000u);
    EXPECT_EQ(url.fileSize, 0x2f3cu);
    EXPECT_EQ(url.schemaMajor, 1);
    EXPECT_EQ(url.schemaMinor, 1);
    EXPECT_TRUE(url.NamesDescription());
}

TEST(PortUrl, ModuleUrlsOfLengthZeroNameNoDescription) {
    const PortUrl url = PortUrl::Parse("local:TLRegs.xml;940;0");
    EXPECT_EQ(url.scheme, GenTL::URL_SCHEME_LOCAL);
    EXPECT_EQ(url.registerAddress, 0x940u);
    EXPECT_FALSE(url.NamesDescription());
    EXPECT_FALSE(url.schemaMajor.has_value());
}

TEST(PortUrl, FileHttpAndMalformedUrls) {
    const PortUrl file = PortUrl::Parse("File:///opt/cam/desc.zip?SchemaVersion=1.0.0");
    EXPECT_EQ(file.scheme, GenTL::URL_SCHEME_FILE);
    EXPECT_EQ(file.fileName, "/opt/cam/desc.zip");
    EXPECT_EQ(file.schemaMajor, 1);
    EXPECT_TRUE(file.NamesDescription());

    EXPECT_EQ(PortUrl::Parse("http://host/desc.xml").scheme, GenTL::URL_SCHEME_HTTP);
    EXPECT_FALSE(PortUrl::Parse("http://host/desc.xml").NamesDescription());
    EXPECT_FALSE(PortUrl::Parse("Local:desc.xml").NamesDescription());
    EXPECT_FALSE(PortUrl::Parse("Local:desc.xml;zz;10").NamesDescription());
    EXPECT_FALSE(PortUrl::Parse("").NamesDescription());
}
