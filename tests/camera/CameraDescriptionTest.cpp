// The camera's register description, read through the URL and evaluated by aravis against the
// camera's registers: what a GenICam consumer sees must be what the registers hold.
#include "AravisPortDevice.h"
#include "SimTestSupport.h"

#include <cstring>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;

class CameraDescriptionTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        CamDevice& device = ConnectGevCamera();
        const auto location = ParseLocalUrl(QueryText(device, kItemDescriptionUrl));
        xml_ = ReadBytes(device, location.address, location.length);
        port_ = MakeAravisPortDevice(device);
        gc_ = ParseDescription(port_.get(), xml_);
        ASSERT_NE(nullptr, gc_);
    }

    ArvGcNode* Node(const char* name)
    {
        ArvGcNode* node = arv_gc_get_node(gc_.get(), name);
        EXPECT_NE(nullptr, node) << name;
        return node;
    }

    int64_t Integer(const char* name)
    {
        GError* error = nullptr;
        const int64_t value = arv_gc_integer_get_value(ARV_GC_INTEGER(Node(name)), &error);
        ExpectNoError(error, name);
        return value;
    }

    void SetInteger(const char* name, int64_t value)
    {
        GError* error = nullptr;
        arv_gc_integer_set_value(ARV_GC_INTEGER(Node(name)), value, &error);
        ExpectNoError(error, name);
    }

    std::string String(const char* name)
    {
        GError* error = nullptr;
        const char* value = arv_gc_string_get_value(ARV_GC_STRING(Node(name)), &error);
        ExpectNoError(error, name);
        return value != nullptr ? value : "";
    }

    static void ExpectNoError(GError* error, const char* name)
    {
        EXPECT_EQ(nullptr, error) << name << ": " << (error != nullptr ? error->message : "");
        g_clear_error(&error);
    }

    std::string xml_;
    ArvDevicePtr port_;
    ArvGcPtr gc_;
};

TEST_F(CameraDescriptionTest, IsAGenApiSchema11DocumentWithADevicePort)
{
    EXPECT_EQ(0u, xml_.find("<?xml"));
    const std::string url = QueryText(*device_, kItemDescriptionUrl);
    EXPECT_NE(std::string::npos, url.find("?SchemaVersion=1.1.0"));
    for (const char* attribute :
         {"SchemaMajorVersion=\"1\"", "SchemaMinorVersion=\"1\"", "SchemaSubMinorVersion=\"0\"",
          "xmlns=\"http://www.genicam.org/GenApi/Version_1_1\""}) {
        EXPECT_NE(std::string::npos, xml_.find(attribute)) << attribute;
    }
    EXPECT_TRUE(ARV_IS_GC_PORT(Node("Device")));
    EXPECT_TRUE(ARV_IS_GC_CATEGORY(Node("Root")));
}

TEST_F(CameraDescriptionTest, RequiredFeaturesHaveTheirNodeTypes)
{
    for (const char* name : {"DeviceVendorName", "DeviceModelName", "DeviceSerialNumber",
                             "DeviceUserID"}) {
        EXPECT_TRUE(ARV_IS_GC_STRING_REG_NODE(Node(name))) << name;
    }
    for (const char* name : {"Width", "Height", "PayloadSize", "TLParamsLocked"}) {
        EXPECT_TRUE(ARV_IS_GC_INTEGER_NODE(Node(name))) << name;
    }
    for (const char* name : {"PixelFormat", "AcquisitionMode", "TestPattern"}) {
        EXPECT_TRUE(ARV_IS_GC_ENUMERATION(Node(name))) << name;
    }
    EXPECT_TRUE(ARV_IS_GC_COMMAND(Node("AcquisitionStart")));
    EXPECT_TRUE(ARV_IS_GC_COMMAND(Node("AcquisitionStop")));
    EXPECT_TRUE(ARV_IS_GC_FLOAT_NODE(Node("AcquisitionFrameRate")));
}

TEST_F(CameraDescriptionTest, FeatureValuesAreTheRegisterValues)
{
    EXPECT_EQ("Kavrin", String("DeviceVendorName"));
    EXPECT_EQ("SimCam GEV", String("DeviceModelName"));
    EXPECT_EQ("KS1001", String("DeviceSerialNumber"));
    EXPECT_EQ("Cam1001", String("DeviceUserID"));
    EXPECT_EQ(ReadU32(*device_, Reg::kWidth), Integer("Width"));
    EXPECT_EQ(ReadU32(*device_, Reg::kHeight), Integer("Height"));
    EXPECT_EQ(ReadU32(*device_, Reg::kPayloadSize), Integer("PayloadSize"));
    EXPECT_STREQ("Mono8", arv_gc_enumeration_get_string_value(
                              ARV_GC_ENUMERATION(Node("PixelFormat")), nullptr));
    EXPECT_STREQ("Continuous", arv_gc_enumeration_get_string_value(
                                   ARV_GC_ENUMERATION(Node("AcquisitionMode")), nullptr));
    EXPECT_DOUBLE_EQ(Sim::kDefaultFrameRate,
                     arv_gc_float_get_value(ARV_GC_FLOAT(Node("AcquisitionFrameRate")), nullptr));
}

TEST_F(CameraDescriptionTest, FeatureWritesLandInTheRegisters)
{
    SetInteger("Width", 800);
    SetInteger("Height", 600);
    EXPECT_EQ(800u, ReadU32(*device_, Reg::kWidth));
    EXPECT_EQ(600u, ReadU32(*device_, Reg::kHeight));
    ASSERT_TRUE(arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(Node("PixelFormat")),
                                                    "RGB8", nullptr));
    EXPECT_EQ(Sim::PixelFormat::kRGB8, ReadU32(*device_, Reg::kPixelFormat));
    EXPECT_EQ(800 * 600 * 3, Integer("PayloadSize"));

    arv_gc_float_set_value(ARV_GC_FLOAT(Node("AcquisitionFrameRate")), 12.5, nullptr);
    EXPECT_EQ(12.5, ReadDouble(*device_, Reg::kAcquisitionFrameRate));
    arv_gc_string_set_value(ARV_GC_STRING(Node("DeviceUserID")), "renamed", nullptr);
    EXPECT_EQ("renamed", QueryText(*device_, kItemUserName));
}

TEST_F(CameraDescriptionTest, CommandsDriveTheAcquisition)
{
    GError* error = nullptr;
    arv_gc_command_execute(ARV_GC_COMMAND(Node("AcquisitionStart")), &error);
    ExpectNoError(error, "AcquisitionStart");
    EXPECT_TRUE(Sim::GetCameraStatus(kGevCamera).acquiring);
    arv_gc_command_execute(ARV_GC_COMMAND(Node("AcquisitionStop")), &error);
    ExpectNoError(error, "AcquisitionStop");
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
}

TEST_F(CameraDescriptionTest, TLParamsLockedLocksTheImageFormat)
{
    auto* width = ARV_GC_FEATURE_NODE(Node("Width"));
    EXPECT_FALSE(arv_gc_feature_node_is_locked(width, nullptr));
    SetInteger("TLParamsLocked", 1);
    EXPECT_TRUE(arv_gc_feature_node_is_locked(width, nullptr));
    EXPECT_TRUE(arv_gc_feature_node_is_locked(ARV_GC_FEATURE_NODE(Node("PixelFormat")), nullptr));
}

}  // namespace
}  // namespace Tevold::Testing
