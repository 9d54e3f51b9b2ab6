// Forced results: every operation tests can fail returns what was asked, as often as asked, and
// only for its target.
#include "SimTestSupport.h"

#include <functional>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;

class FaultInjectionTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        Sim::SetPacing(false);
        ConnectGevCamera();
    }

    CamResult ReadWidth(CamDevice& device)
    {
        uint32_t value = 0;
        size_t size = sizeof value;
        return device.ReadRegister(Reg::kWidth, &value, &size);
    }

    static void Inject(Sim::Operation operation, CamResult result,
                       uint32_t times = 1, const std::string& target = {})
    {
        Sim::InjectFault({operation, result, times, target});
    }
};

TEST_F(FaultInjectionTest, EachOperationFailsOnceWithTheInjectedResult)
{
    StreamPtr stream = OpenStream(*device_);
    ASSERT_EQ(Result::kSuccess, stream->StartGrab(0, -1));
    char bytes[64] = {};
    uint32_t count = 0;
    const std::pair<Sim::Operation, std::function<CamResult()>> operations[] = {
        {Sim::Operation::CountInterfaces, [&] { return system_->CountInterfaces(&count); }},
        {Sim::Operation::CountDevices, [&] { return interface_->CountDevices(&count, 0); }},
        {Sim::Operation::InterfaceReadRegister,
         [&] {
             size_t size = 4;
             return interface_->ReadRegister(Sim::InterfaceRegister::kIdPrefix, bytes, &size);
         }},
        {Sim::Operation::InterfaceWriteRegister,
         [&] {
             size_t size = 4;
             return interface_->WriteRegister(0x1'0000'0000, bytes, &size);
         }},
        {Sim::Operation::DeviceReadRegister, [&] { return ReadWidth(*device_); }},
        {Sim::Operation::DeviceWriteRegister,
         [&] { return WriteU32(*device_, Reg::kTestPattern, Sim::TestPattern::kBlack); }},
        {Sim::Operation::QueryDescriptionUrl,
         [&] {
             size_t size = sizeof bytes;
             return device_->QueryInfo(kItemDescriptionUrl, bytes, &size);
         }},
        {Sim::Operation::StartGrab, [&] { return stream->StartGrab(0, -1); }},
        {Sim::Operation::GrabImage, [&] { return stream->GrabImage(nullptr, 0, 1000, nullptr); }},
        {Sim::Operation::StopGrab, [&] { return stream->StopGrab(0); }},
    };
    for (const auto& [operation, call] : operations) {
        Inject(operation, Result::kNotAvailable);
        EXPECT_EQ(Result::kNotAvailable, call()) << static_cast<int>(operation);
        EXPECT_NE(Result::kNotAvailable, call()) << static_cast<int>(operation);
    }
}

TEST_F(FaultInjectionTest, ConnectAndOpenFailuresLeaveNothingOpen)
{
    for (const CamResult result :
         {Result::kAccessDenied, Result::kNotInitialized, Result::kError}) {
        Inject(Sim::Operation::ConnectDevice, result);
        CamDevice* device = nullptr;
        EXPECT_EQ(result, interface_->ConnectDevice(kSecondGevCamera.c_str(), &device));
        EXPECT_FALSE(Sim::GetCameraStatus(kSecondGevCamera).connected);
    }
    EXPECT_NE(nullptr, ConnectDevice(*interface_, kSecondGevCamera));

    Inject(Sim::Operation::OpenStream, Result::kError);
    CamStream* stream = nullptr;
    EXPECT_EQ(Result::kError, device_->OpenStream("DS0", &stream));
    EXPECT_NE(nullptr, OpenStream(*device_));
}

TEST_F(FaultInjectionTest, FaultLastsAsManyCallsAsAsked)
{
    StreamPtr stream = OpenStream(*device_);
    ASSERT_EQ(Result::kSuccess, stream->StartGrab(0, -1));
    Inject(Sim::Operation::GrabImage, kGrabImageLost, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(kGrabImageLost, stream->GrabImage(nullptr, 0, 1000, nullptr));
    }
    EXPECT_EQ(kGrabOk, stream->GrabImage(nullptr, 0, 1000, nullptr));
}

TEST_F(FaultInjectionTest, UntilClearedFaultStaysUntilCleared)
{
    Inject(Sim::Operation::DeviceReadRegister, Result::kIo, Sim::kUntilCleared);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Result::kIo, ReadWidth(*device_));
    }
    Sim::ClearFaults();
    EXPECT_EQ(Result::kSuccess, ReadWidth(*device_));
}

TEST_F(FaultInjectionTest, TargetedFaultHitsOnlyItsTarget)
{
    auto other = ConnectDevice(*interface_, kSecondGevCamera);
    Inject(Sim::Operation::DeviceReadRegister, Result::kTimeout, Sim::kUntilCleared,
           kSecondGevCamera);
    EXPECT_EQ(Result::kSuccess, ReadWidth(*device_));
    EXPECT_EQ(Result::kTimeout, ReadWidth(*other));
}

}  // namespace
}  // namespace Tevold::Testing
