// The node map's register layout, reads and writes, and the description it generates.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/GenICamException.h"
#include "common/NodeMap.h"
#include "common/NodeMapXmlWriter.h"

using namespace GenICam::Client;

namespace {

constexpr uint64_t kDescription = 0x200;
constexpr uint64_t kBase = 0x10000;

class NodeMapRegisters : public ::testing::Test {
protected:
    NodeMapRegisters() : map_(Layout(kBase), Features()) {}

    static NodeMap::Layout Layout(uint64_t registerBase) {
        return {"Test.xml", "TestPort", "TLTest", "guid-1", "guid-2", kDescription, registerBase};
    }

    std::vector<NodeMapFeature> Features() {
        using Feature = NodeMapFeature;
        return {
            Feature::Text("Info", "Name", "a <name> & more", [this] { return name_; }).Sized(8),
            Feature::Choice("Info", "Mode", "", {{"A", 1}, {"B", 2}}, [this] { return mode_; })
                .Writable([this](int64_t mode) { mode_ = mode; }),
            Feature::Selector(
                "List", "Selector", "", {"Name"}, [this] { return selected_; },
                [this](int64_t index) { selected_ = index; }, [this] { return count_; }),
            Feature::Action("List", "Update", "", [this] { ++updates_; }),
        };
    }

    uint64_t ReadNumber(uint64_t address) {
        uint64_t value = 0;
        size_t size = sizeof value;
        map_.Read(address, &value, &size);
        return value;
    }

    void WriteNumber(uint64_t address, uint64_t value, size_t size = 8) {
        map_.Write(address, &value, &size);
    }

    std::string name_ = "abc";
    int64_t mode_ = 1;
    int64_t selected_ = 0;
    int64_t count_ = 3;
    int updates_ = 0;
    NodeMap map_;
};

// Name 8 bytes at the base, then Mode, Selector and its maximum, Update, 8 bytes each.
constexpr uint64_t kName = kBase;
constexpr uint64_t kMode = kBase + 8;
constexpr uint64_t kSelector = kBase + 16;
constexpr uint64_t kSelectorMax = kBase + 24;
constexpr uint64_t kUpdate = kBase + 32;

TEST_F(NodeMapRegisters, ValuesAreReadLiveAndTextsCutToTheirRegister) {
    char text[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
    size_t size = sizeof text;
    map_.Read(kName, text, &size);
    EXPECT_STREQ(text, "abc");
    name_ = "a text longer than its register";
    map_.Read(kName, text, &size);
    EXPECT_EQ(std::string(text, 8), std::string("a text \0", 8));
    // A part of one register reads as that part.
    char part[2] = {};
    size = sizeof part;
    map_.Read(kName + 2, part, &size);
    EXPECT_EQ(std::string(part, 2), "te");
    EXPECT_EQ(ReadNumber(kMode), 1u);
    mode_ = 2;
    EXPECT_EQ(ReadNumber(kMode), 2u);
    EXPECT_EQ(ReadNumber(kSelectorMax), 2u);
    count_ = 0;
    EXPECT_EQ(ReadNumber(kSelectorMax), 0u);
    EXPECT_EQ(ReadNumber(kUpdate), 0u);
}

TEST_F(NodeMapRegisters, ReadsOutsideTheDescriptionAndRegistersAreRefused) {
    const std::string& xml = map_.Xml();
    std::string read(xml.size(), '\0');
    size_t size = read.size();
    map_.Read(kDescription, read.data(), &size);
    EXPECT_EQ(read, xml);
    size = 16;
    std::vector<char> across(size);
    EXPECT_THROW(map_.Read(kDescription + xml.size() - 8, across.data(), &size),
                 InvalidAddressException);
    // Two registers at once, and an address between nothing.
    EXPECT_THROW(map_.Read(kName, across.data(), &size), InvalidAddressException);
    size = 8;
    EXPECT_THROW(map_.Read(kBase + 0x1000, across.data(), &size), InvalidAddressException);
    EXPECT_THROW(map_.Read(kName, nullptr, &size), InvalidParameterException);
    EXPECT_THROW(map_.Read(kName, across.data(), nullptr), InvalidParameterException);
    EXPECT_TRUE(map_.Contains(kDescription));
    EXPECT_TRUE(map_.Contains(kUpdate + 7));
    EXPECT_FALSE(map_.Contains(kUpdate + 8));
    EXPECT_FALSE(map_.Contains(kDescription - 1));
}

TEST_F(NodeMapRegisters, WritesChangeOnlyWritableFeaturesWithinTheirValues) {
    WriteNumber(kMode, 2, 4);
    EXPECT_EQ(mode_, 2);
    EXPECT_THROW(WriteNumber(kMode, 3), InvalidParameterException);
    EXPECT_EQ(mode_, 2);
    WriteNumber(kSelector, 2);
    EXPECT_EQ(selected_, 2);
    EXPECT_THROW(WriteNumber(kSelector, 3), InvalidParameterException);
    EXPECT_EQ(selected_, 2);
    WriteNumber(kUpdate, 0);
    EXPECT_EQ(updates_, 0);
    WriteNumber(kUpdate, 1);
    EXPECT_EQ(updates_, 1);
    try {
        WriteNumber(kSelectorMax, 1);
        ADD_FAILURE() << "the selector's maximum was written";
    } catch (const AccessDeniedException& refused) {
        EXPECT_STREQ(refused.what(), "Register 0x10018 is not writable.");
    }
    EXPECT_THROW(WriteNumber(kName, 1), AccessDeniedException);
    EXPECT_THROW(WriteNumber(kMode + 1, 1, 1), AccessDeniedException);
    EXPECT_THROW(WriteNumber(kDescription, 1), AccessDeniedException);
    EXPECT_THROW(WriteNumber(kBase + 0x1000, 1), InvalidAddressException);
}

TEST_F(NodeMapRegisters, TheDescriptionNamesItsPortRegistersAndLinks) {
    const std::string& xml = map_.Xml();
    EXPECT_EQ(
        map_.Url(), "Local:Test.xml;200;" + [&] {
            char length[16];
            std::snprintf(length, sizeof length, "%zx", xml.size());
            return std::string(length);
        }());
    for (const char* piece :
         {"<Port Name=\"TestPort\"", "<pPort>TestPort</pPort>", "<Category Name=\"Root\"",
          "<pFeature>Info</pFeature>", "<pFeature>List</pFeature>", "<Address>0x10000</Address>",
          "<pSelected>Name</pSelected>", "<pMax>SelectorMaxReg</pMax>",
          "<EnumEntry Name=\"B\" NameSpace=\"Standard\">",
          "<ToolTip>a &lt;name&gt; &amp; more</ToolTip>", "<Cachable>NoCache</Cachable>"})
        EXPECT_NE(xml.find(piece), std::string::npos) << piece;
    EXPECT_EQ(XmlEscaped("\"<&>\""), "&quot;&lt;&amp;&gt;&quot;");
}

TEST(NodeMapLayout, RegistersMayNotReachIntoTheDescription) {
    std::vector<NodeMapFeature> features;
    features.push_back(NodeMapFeature::Number("Info", "Count", "", [] { return 1; }));
    EXPECT_THROW(NodeMap({"T.xml", "P", "M", "g", "g", 0x1000, 0x1000}, std::move(features)),
                 RuntimeException);
}

TEST(NodeMapInfo, NumbersAreReadInTheTypeTheQueryReports) {
    const auto answer = [](GenTL::INFO_DATATYPE type, uint64_t raw) {
        return InfoNumber([=](GenTL::INFO_DATATYPE* reported, void* buffer, size_t* size) {
            *reported = type;
            std::memcpy(buffer, &raw, *size < 8 ? *size : 8);
        });
    };
    EXPECT_EQ(answer(GenTL::INFO_DATATYPE_INT32, 0xFFFFFFFF), -1);
    EXPECT_EQ(answer(GenTL::INFO_DATATYPE_UINT32, 0x1FFFFFFFF), 0xFFFFFFFF);
    EXPECT_EQ(answer(GenTL::INFO_DATATYPE_BOOL8, 0x100), 0);
    EXPECT_EQ(answer(GenTL::INFO_DATATYPE_UINT64, 1000000000), 1000000000);
    EXPECT_EQ(TLTypeEntry("U3V"), 7);
    EXPECT_EQ(TLTypeEntry("Unheard of"), TLTypeEntry("Custom"));
}

}  // namespace
