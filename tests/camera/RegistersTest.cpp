// Register spaces: the interface's texts and description, the camera's values with their byte
// order, access modes and image-format lock, and both register descriptions evaluated by aravis
// against the registers they describe: what a GenICam consumer sees must be what they hold.
#include "SimCameraFixture.h"

#include <tuple>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;
namespace IfReg = Tevold::InterfaceRegister;

using InterfaceRegistersTest = SimTest;
using CameraRegistersTest = CameraTest;

TEST_F(InterfaceRegistersTest, TextsSurviveLongReadsAndMatchTheDescription) {
    auto system = OpenSystem();
    auto gev = ConnectInterface(*system, kGevInterface);
    // The producer reads every text with one 512-byte read, whatever its field's length.
    EXPECT_EQ("gev", UntilNul(ReadBytes(*gev, IfReg::kIdPrefix, 512)));
    EXPECT_EQ("GEV", UntilNul(ReadBytes(*gev, IfReg::kTLType, 512)));
    EXPECT_EQ(kGevInterface, UntilNul(ReadBytes(*gev, IfReg::kInterfaceId, 512)));

    // The description comes in one read and names the registers that hold the texts.
    const auto [address, length] =
        ParseLocalUrl(UntilNul(ReadBytes(*gev, IfReg::kDescriptionUrl, 512)));
    ASSERT_GT(length, 0u);
    auto port = MakeAravisPortDevice(*gev);
    auto gc = ParseDescription(port.get(), ReadBytes(*gev, address, length));
    ASSERT_NE(nullptr, gc);
    for (const auto& [name, value] :
         {std::pair{"InterfaceID", kGevInterface.c_str()}, std::pair{"InterfaceType", "GEV"}}) {
        ArvGcNode* node = arv_gc_get_node(gc.get(), name);
        ASSERT_TRUE(ARV_IS_GC_STRING(node)) << name;
        EXPECT_STREQ(value, arv_gc_string_get_value(ARV_GC_STRING(node), nullptr));
    }

    // The space ends with the description, and nothing in it is writable.
    const uint64_t end = address + length;
    char bytes[2] = {};
    size_t size = 2;
    EXPECT_EQ(Result::kIo, gev->ReadRegister(end - 1, bytes, &size));
    size = 1;
    EXPECT_EQ(Result::kSuccess, gev->ReadRegister(end - 1, bytes, &size));
    EXPECT_EQ(Result::kAccessDenied, gev->WriteRegister(IfReg::kIdPrefix, bytes, &size));
    EXPECT_EQ(Result::kIo, gev->WriteRegister(end, bytes, &size));
}

TEST_F(CameraRegistersTest, ValuesAreLittleEndianAndTextsReadableFromAnyOffset) {
    EXPECT_EQ(std::string("\x80\x02\x00\x00", 4), ReadBytes(*device_, Reg::kWidth, 4));
    EXPECT_EQ(std::string("\x01\x00\x08\x01", 4), ReadBytes(*device_, Reg::kPixelFormat, 4));
    EXPECT_EQ(Sim::kDefaultFrameRate, ReadValue<double>(*device_, Reg::kAcquisitionFrameRate));
    EXPECT_EQ("avr", ReadBytes(*device_, Reg::kVendorName + 1, 3));
}

TEST_F(CameraRegistersTest, RefusedAccessesChangeNothing) {
    const std::tuple<uint64_t, size_t, CamResult> reads[] = {
        {Reg::kAcquisitionStart, 4, Result::kAccessDenied},
        {Reg::kUserId + Reg::kTextLength, 4, Result::kIo},
        {0x5000, 4, Result::kIo},
        {Reg::kWidth, 2, Result::kInvalidParameter},
        {Reg::kWidth, 8, Result::kInvalidParameter},
        {Reg::kWidth + 2, 4, Result::kInvalidParameter},
        {Reg::kAcquisitionFrameRate, 4, Result::kInvalidParameter},
        {Reg::kVendorName, Reg::kTextLength + 1, Result::kInvalidParameter}};
    for (auto [address, size, expected] : reads) {
        uint8_t bytes[64] = {};
        EXPECT_EQ(expected, device_->ReadRegister(address, bytes, &size)) << address;
    }
    const std::tuple<uint64_t, uint32_t, CamResult> writes[] = {
        {Reg::kPayloadSize, 1, Result::kAccessDenied},
        {Reg::kWidth, Sim::kMinWidth - 4, Result::kInvalidParameter},
        {Reg::kWidth, Sim::kMaxWidth + 4, Result::kInvalidParameter},
        {Reg::kWidth, Sim::kMinWidth + 1, Result::kInvalidParameter},
        {Reg::kHeight, Sim::kMinHeight + 1, Result::kInvalidParameter},
        {Reg::kPixelFormat, 0x01080002, Result::kInvalidParameter},
        {Reg::kTestPattern, 3, Result::kInvalidParameter},
        {Reg::kTLParamsLocked, 2, Result::kInvalidParameter},
        {Reg::kAcquisitionMode, 3, Result::kInvalidParameter},
        {Reg::kAcquisitionStart, 0, Result::kInvalidParameter}};
    for (const auto& [address, value, expected] : writes) {
        EXPECT_EQ(expected, WriteU32(*device_, address, value)) << address << " = " << value;
    }
    const uint8_t half[2] = {};
    size_t size = sizeof half;
    EXPECT_EQ(Result::kInvalidParameter, device_->WriteRegister(Reg::kHeight, half, &size));
    EXPECT_THROW(Sim::SetFrameRate(kGevCamera, Sim::kMaxFrameRate * 2), std::invalid_argument);

    EXPECT_EQ(Sim::kDefaultWidth, ReadValue<uint32_t>(*device_, Reg::kWidth));
    EXPECT_EQ(Sim::PixelFormat::kMono8, ReadValue<uint32_t>(*device_, Reg::kPixelFormat));
    EXPECT_EQ(Sim::kDefaultFrameRate, ReadValue<double>(*device_, Reg::kAcquisitionFrameRate));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
}

TEST_F(CameraRegistersTest, ImageFormatIsFrozenWhileLockedOrAcquiring) {
    const auto expectFrozen = [&](bool frozen) {
        const CamResult expected = frozen ? Result::kAccessDenied : Result::kSuccess;
        EXPECT_EQ(expected, WriteU32(*device_, Reg::kWidth, 800));
        EXPECT_EQ(expected, WriteU32(*device_, Reg::kHeight, 600));
        EXPECT_EQ(expected, WriteU32(*device_, Reg::kPixelFormat, Sim::PixelFormat::kRGB8));
    };
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTLParamsLocked, 1));
    expectFrozen(true);
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTLParamsLocked, 0));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStart, Sim::kCommandValue));
    EXPECT_TRUE(Sim::GetCameraStatus(kGevCamera).acquiring);
    expectFrozen(true);
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStop, Sim::kCommandValue));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
    expectFrozen(false);

    // The next connection must not inherit a lock or an acquisition nobody can end.
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kTLParamsLocked, 1));
    ASSERT_EQ(Result::kSuccess, WriteU32(*device_, Reg::kAcquisitionStart, Sim::kCommandValue));
    device_.reset();
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
    auto next = ConnectDevice(*interface_, kGevCamera);
    EXPECT_EQ(0u, ReadValue<uint32_t>(*next, Reg::kTLParamsLocked));
}

using CameraDescriptionTest = SimCameraTest;

TEST_F(CameraDescriptionTest, FeaturesReadTheRegisters) {
    // The schema version the URL announces is the one the document is written in.
    const std::string url = QueryText(*device_, kItemDescriptionUrl);
    EXPECT_NE(std::string::npos, url.find("?SchemaVersion=1.1.0"));
    for (const char* attribute :
         {"SchemaMajorVersion=\"1\"", "SchemaMinorVersion=\"1\"", "SchemaSubMinorVersion=\"0\"",
          "xmlns=\"http://www.genicam.org/GenApi/Version_1_1\""}) {
        EXPECT_NE(std::string::npos, xml_.find(attribute)) << attribute;
    }
    EXPECT_TRUE(ARV_IS_GC_CATEGORY(Node("Root")));

    for (const auto& [name, text] : {std::pair{"DeviceVendorName", "Kavrin"},
                                     {"DeviceModelName", "SimCam GEV"},
                                     {"DeviceVersion", "1.0.0"},
                                     {"DeviceSerialNumber", "KS1001"},
                                     {"DeviceID", "KS1001"},
                                     {"DeviceUserID", "Cam1001"}}) {
        EXPECT_EQ(text, String(name)) << name;
    }
    for (const auto& [name, address] : {std::pair{"Width", Reg::kWidth},
                                        {"Height", Reg::kHeight},
                                        {"PayloadSize", Reg::kPayloadSize}}) {
        EXPECT_EQ(ReadValue<uint32_t>(*device_, address), Integer(name)) << name;
    }
    for (const auto& [name, entry] : {std::pair{"PixelFormat", "Mono8"},
                                      {"TestPattern", "GreyDiagonalRampMoving"},
                                      {"AcquisitionMode", "Continuous"}}) {
        EXPECT_EQ(entry, Entry(name)) << name;
    }
    EXPECT_DOUBLE_EQ(Sim::kDefaultFrameRate, Float("AcquisitionFrameRate"));
}

TEST_F(CameraDescriptionTest, FeatureWritesAndCommandsReachTheCamera) {
    SetInteger("Width", 800);
    EXPECT_EQ(800u, ReadValue<uint32_t>(*device_, Reg::kWidth));
    const std::tuple<const char*, const char*, uint64_t, uint32_t> entries[] = {
        {"TestPattern", "Black", Reg::kTestPattern, Sim::TestPattern::kBlack},
        {"TestPattern", "GreyHorizontalRampMoving", Reg::kTestPattern,
         Sim::TestPattern::kGreyHorizontalRampMoving},
        {"PixelFormat", "Mono16", Reg::kPixelFormat, Sim::PixelFormat::kMono16},
        {"PixelFormat", "RGB8", Reg::kPixelFormat, Sim::PixelFormat::kRGB8}};
    for (const auto& [name, entry, address, value] : entries) {
        SetEntry(name, entry);
        EXPECT_EQ(value, ReadValue<uint32_t>(*device_, address)) << entry;
    }
    // PayloadSize is never cached: it follows the format it depends on.
    EXPECT_EQ(800 * Sim::kDefaultHeight * 3, Integer("PayloadSize"));
    SetFloat("AcquisitionFrameRate", 12.5);
    EXPECT_EQ(12.5, ReadValue<double>(*device_, Reg::kAcquisitionFrameRate));
    SetString("DeviceUserID", "renamed");
    EXPECT_EQ("renamed", QueryText(*device_, kItemUserName));

    Execute("AcquisitionStart");
    EXPECT_TRUE(Sim::GetCameraStatus(kGevCamera).acquiring);
    Execute("AcquisitionStop");
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);

    // The lock shows in the description, so consumers know the camera would refuse a change.
    auto* width = ARV_GC_FEATURE_NODE(Node("Width"));
    EXPECT_FALSE(arv_gc_feature_node_is_locked(width, nullptr));
    SetInteger("TLParamsLocked", 1);
    EXPECT_EQ(1u, ReadValue<uint32_t>(*device_, Reg::kTLParamsLocked));
    EXPECT_TRUE(arv_gc_feature_node_is_locked(width, nullptr));
    EXPECT_TRUE(arv_gc_feature_node_is_locked(ARV_GC_FEATURE_NODE(Node("PixelFormat")), nullptr));
}

}  // namespace
}  // namespace Tevold::Testing
