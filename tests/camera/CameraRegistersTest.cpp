// Camera register semantics: byte order, access modes, lengths, values and the image-format lock.
#include "SimTestSupport.h"

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;

class CameraRegistersTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ConnectGevCamera();
    }

    CamDevice& Camera() { return *device_; }
};

TEST_F(CameraRegistersTest, ValuesAreLittleEndianAndTextsReadableInParts)
{
    EXPECT_EQ(std::string("\x80\x02\x00\x00", 4), ReadBytes(Camera(), Reg::kWidth, 4));
    EXPECT_EQ(std::string("\x01\x00\x08\x01", 4), ReadBytes(Camera(), Reg::kPixelFormat, 4));
    EXPECT_EQ(Sim::kDefaultFrameRate, ReadDouble(Camera(), Reg::kAcquisitionFrameRate));
    EXPECT_EQ("avr", ReadBytes(Camera(), Reg::kVendorName + 1, 3));
}

TEST_F(CameraRegistersTest, WritesShowInLaterReads)
{
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kWidth, 1024));
    EXPECT_EQ(1024u, ReadU32(Camera(), Reg::kWidth));

    const char userId[] = "left camera";
    size_t size = sizeof userId;
    ASSERT_EQ(Result::kSuccess, Camera().WriteRegister(Reg::kUserId, userId, &size));
    EXPECT_EQ("left camera", UntilNul(ReadBytes(Camera(), Reg::kUserId, Reg::kTextLength)));
    EXPECT_EQ("left camera", QueryText(Camera(), kItemUserName));
}

TEST_F(CameraRegistersTest, AccessModesAreEnforced)
{
    EXPECT_EQ(Result::kAccessDenied, WriteU32(Camera(), Reg::kPayloadSize, 1));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(Camera(), Reg::kVendorName, 1));
    uint32_t value = 0;
    size_t size = sizeof value;
    EXPECT_EQ(Result::kAccessDenied, Camera().ReadRegister(Reg::kAcquisitionStart, &value, &size));
    EXPECT_EQ(Result::kAccessDenied, Camera().ReadRegister(Reg::kAcquisitionStop, &value, &size));
}

TEST_F(CameraRegistersTest, UnmappedAddressesAndWrongLengthsAreRefused)
{
    uint8_t bytes[64] = {};
    const auto read = [&](uint64_t address, size_t size) {
        return Camera().ReadRegister(address, bytes, &size);
    };
    EXPECT_EQ(Result::kIo, read(Reg::kUserId + Reg::kTextLength, 4));
    EXPECT_EQ(Result::kIo, read(0x5000, 4));
    EXPECT_EQ(Result::kInvalidParameter, read(Reg::kWidth, 2));
    EXPECT_EQ(Result::kInvalidParameter, read(Reg::kWidth, 8));
    EXPECT_EQ(Result::kInvalidParameter, read(Reg::kWidth + 2, 4));
    EXPECT_EQ(Result::kInvalidParameter, read(Reg::kAcquisitionFrameRate, 4));
    EXPECT_EQ(Result::kInvalidParameter, read(Reg::kVendorName, Reg::kTextLength + 1));
    size_t size = 2;
    EXPECT_EQ(Result::kInvalidParameter, Camera().WriteRegister(Reg::kHeight, bytes, &size));
}

TEST_F(CameraRegistersTest, ValuesOutsideTheirRangeAreRefused)
{
    for (const uint32_t width : {0u, Sim::kMinWidth - 4, Sim::kMaxWidth + 4, Sim::kMinWidth + 1}) {
        EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kWidth, width)) << width;
    }
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kHeight, Sim::kMinHeight + 1));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kPixelFormat, 0x01080002));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kTestPattern, 3));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kTLParamsLocked, 2));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kAcquisitionMode, 1));
    EXPECT_EQ(Result::kInvalidParameter, WriteU32(Camera(), Reg::kAcquisitionStart, 0));
    EXPECT_THROW(Sim::SetFrameRate(kGevCamera, Sim::kMaxFrameRate * 2), std::invalid_argument);

    EXPECT_EQ(Sim::kDefaultWidth, ReadU32(Camera(), Reg::kWidth));
    EXPECT_EQ(Sim::PixelFormat::kMono8, ReadU32(Camera(), Reg::kPixelFormat));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
}

TEST_F(CameraRegistersTest, ImageFormatIsFrozenWhileLockedOrAcquiring)
{
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kTLParamsLocked, 1));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(Camera(), Reg::kWidth, 800));
    EXPECT_EQ(Result::kAccessDenied, WriteU32(Camera(), Reg::kHeight, 600));
    EXPECT_EQ(Result::kAccessDenied,
              WriteU32(Camera(), Reg::kPixelFormat, Sim::PixelFormat::kRGB8));
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kTLParamsLocked, 0));

    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kAcquisitionStart, Sim::kCommandValue));
    EXPECT_TRUE(Sim::GetCameraStatus(kGevCamera).acquiring);
    EXPECT_EQ(Result::kAccessDenied, WriteU32(Camera(), Reg::kWidth, 800));
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kAcquisitionStop, Sim::kCommandValue));
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
    EXPECT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kWidth, 800));
}

TEST_F(CameraRegistersTest, ClosingTheConnectionReleasesTheLockAndStopsAcquisition)
{
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kTLParamsLocked, 1));
    ASSERT_EQ(Result::kSuccess, WriteU32(Camera(), Reg::kAcquisitionStart, Sim::kCommandValue));
    device_.reset();
    EXPECT_FALSE(Sim::GetCameraStatus(kGevCamera).acquiring);
    auto device = ConnectDevice(*interface_, kGevCamera);
    EXPECT_EQ(0u, ReadU32(*device, Reg::kTLParamsLocked));
}

}  // namespace
}  // namespace Tevold::Testing
