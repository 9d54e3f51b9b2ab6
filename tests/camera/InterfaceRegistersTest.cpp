// An interface's register space: texts the producer reads with large overlapping reads, and the
// register description behind the URL.
#include "AravisPortDevice.h"
#include "SimTestSupport.h"

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::InterfaceRegister;

class InterfaceRegistersTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        system_ = OpenSystem();
        gev_ = ConnectInterface(*system_, kGevInterface);
        u3v_ = ConnectInterface(*system_, kU3vInterface);
    }

    InterfacePtr gev_;
    InterfacePtr u3v_;
};

TEST_F(InterfaceRegistersTest, TextsSurviveReadsThatRunIntoTheNextFields)
{
    EXPECT_EQ("gev", UntilNul(ReadBytes(*gev_, Reg::kIdPrefix, 512)));
    EXPECT_EQ("GEV", UntilNul(ReadBytes(*gev_, Reg::kTLType, 512)));
    EXPECT_EQ("u3v", UntilNul(ReadBytes(*u3v_, Reg::kIdPrefix, 512)));
    EXPECT_EQ("U3V", UntilNul(ReadBytes(*u3v_, Reg::kTLType, 512)));
    EXPECT_EQ(kU3vInterface, UntilNul(ReadBytes(*u3v_, Reg::kInterfaceId, 512)));
}

TEST_F(InterfaceRegistersTest, DescriptionIsReadableInOneReadAndParses)
{
    const std::string url = UntilNul(ReadBytes(*gev_, Reg::kDescriptionUrl, 1024));
    const auto location = ParseLocalUrl(url);
    ASSERT_GT(location.length, 0u);
    const std::string xml = ReadBytes(*gev_, location.address, location.length);
    EXPECT_EQ(0u, xml.find("<?xml"));
    EXPECT_NE(std::string::npos, xml.find("</RegisterDescription>"));

    auto port = MakeAravisPortDevice(*gev_);
    auto gc = ParseDescription(port.get(), xml);
    ASSERT_NE(nullptr, gc);
    ArvGcNode* id = arv_gc_get_node(gc.get(), "InterfaceID");
    ASSERT_TRUE(ARV_IS_GC_STRING(id));
    EXPECT_STREQ(kGevInterface.c_str(), arv_gc_string_get_value(ARV_GC_STRING(id), nullptr));
    ArvGcNode* tlType = arv_gc_get_node(gc.get(), "InterfaceType");
    ASSERT_TRUE(ARV_IS_GC_STRING(tlType));
    EXPECT_STREQ("GEV", arv_gc_string_get_value(ARV_GC_STRING(tlType), nullptr));
}

TEST_F(InterfaceRegistersTest, AccessesOutsideTheSpaceFailWithIo)
{
    const auto location = ParseLocalUrl(UntilNul(ReadBytes(*gev_, Reg::kDescriptionUrl, 256)));
    const uint64_t end = location.address + location.length;
    char bytes[2] = {};
    size_t size = 2;
    EXPECT_EQ(Result::kIo, gev_->ReadRegister(end - 1, bytes, &size));
    size = 1;
    EXPECT_EQ(Result::kSuccess, gev_->ReadRegister(end - 1, bytes, &size));
    EXPECT_EQ(Result::kIo, gev_->ReadRegister(end, bytes, &size));
    EXPECT_EQ(Result::kAccessDenied, gev_->WriteRegister(Reg::kIdPrefix, bytes, &size));
    EXPECT_EQ(Result::kIo, gev_->WriteRegister(end, bytes, &size));
}

}  // namespace
}  // namespace Tevold::Testing
