// The camera's device features: user sets that survive a reset, a reset that takes the camera
// away and brings it back as after a power cycle, its timestamp counter, its temperature and the
// frame rate its exposure allows.
#include "SimCameraFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace Tevold::Testing {
namespace {

namespace Reg = Sim::CameraRegister;

class DeviceStateTest : public SimCameraTest {
protected:
    // The shortest time between four paced images, which are stamped at the moments they were
    // due, so that their spacing is exact.
    uint64_t ShortestPacedPeriodNs() {
        EXPECT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
        uint64_t previous = Grab().info.timestampNs;
        uint64_t shortest = UINT64_MAX;
        for (int i = 0; i < 3; ++i) {
            const uint64_t stamp = Grab().info.timestampNs;
            shortest = std::min(shortest, stamp - previous);
            previous = stamp;
        }
        EXPECT_EQ(Result::kSuccess, stream_->StopGrab(0));
        return shortest;
    }
};

struct LostFlag {
    std::atomic<bool> lost{false};
    static void Callback(uint32_t eventId, uint32_t, uint64_t, uint32_t, uint32_t, void* context) {
        if (eventId == kEventControlLost) {
            static_cast<LostFlag*>(context)->lost = true;
        }
    }
};

TEST_F(DeviceStateTest, UserSetsSaveLoadAndStartTheCameraAfterAReset) {
    SetFloat("ExposureTime", 2500);
    SetInteger("Width", 320);
    SetEntry("UserSetSelector", "UserSet1");
    Execute("UserSetSave");
    SetFloat("ExposureTime", 7000);
    SetInteger("Width", 160);
    Execute("UserSetLoad");
    EXPECT_EQ(2500, Float("ExposureTime"));
    EXPECT_EQ(320, Integer("Width"));
    SetEntry("UserSetSelector", "Default");
    Execute("UserSetLoad");
    EXPECT_EQ(Sim::kDefaultExposureTime, Float("ExposureTime"));
    SetEntry("UserSetDefault", "UserSet1");

    // Frames made before the reset count from power-up; so do those after it.
    EXPECT_EQ(1u, GrabOne().info.frameId);
    LostFlag flag;
    ASSERT_EQ(Result::kSuccess, device_->SetEventCallback(&LostFlag::Callback, &flag));
    Image payload(PayloadSize());
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    Execute("DeviceReset");

    // The camera is gone: its connection and stream fail, discovery does not find it.
    uint8_t bytes[4];
    size_t size = sizeof bytes;
    EXPECT_EQ(Result::kIo, device_->ReadRegister(Reg::kWidth, bytes, &size));
    EXPECT_EQ(kGrabStreamFailed, stream_->GrabImage(payload.data(), payload.size(), 100, nullptr));
    EXPECT_FALSE(Listed(*interface_, deviceId_));
    EXPECT_FALSE(Sim::GetCameraStatus(deviceId_).present);
    const auto giveUp = std::chrono::steady_clock::now() + kHangLimit;
    while (!flag.lost && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(flag.lost);

    // Back after its reboot, it is found again, but only a new connection reaches it.
    while (!Listed(*interface_, deviceId_) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(Listed(*interface_, deviceId_));
    EXPECT_EQ(Result::kIo, device_->ReadRegister(Reg::kWidth, bytes, &size));
    EXPECT_EQ(kGrabStreamFailed, stream_->GrabImage(payload.data(), payload.size(), 100, nullptr));
    stream_.reset();
    device_.reset();
    gc_.reset();
    port_.reset();
    device_ = ConnectDevice(*interface_, deviceId_);
    ASSERT_NE(nullptr, device_);
    // The old connection closing late leaves the new one connected.
    EXPECT_TRUE(Sim::GetCameraStatus(deviceId_).connected);
    EXPECT_EQ(2500, ReadValue<double>(*device_, Reg::kExposureTime));
    EXPECT_EQ(320u, ReadValue<uint32_t>(*device_, Reg::kWidth));
    CamStream* stream = nullptr;
    ASSERT_EQ(Result::kSuccess, device_->OpenStream("DS0", &stream));
    stream_.reset(stream);
    EXPECT_EQ(1u, GrabOne().info.frameId);
}

TEST_F(DeviceStateTest, TheLatchReadsTheClockThatStampsTheImages) {
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    const uint64_t before = Grab().info.timestampNs;
    Execute("TimestampLatch");
    const int64_t latched = Integer("TimestampLatchValue");
    const uint64_t after = Grab().info.timestampNs;
    EXPECT_LE(before, static_cast<uint64_t>(latched));
    EXPECT_LE(static_cast<uint64_t>(latched), after);

    Execute("TimestampReset");
    Execute("TimestampLatch");
    EXPECT_LT(Integer("TimestampLatchValue"), latched);
    EXPECT_LT(Grab().info.timestampNs, after);
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
}

TEST_F(DeviceStateTest, TheBoardWarmsWhileItAcquiresFastAndCoolsWhenItStops) {
    const double idle = Float("DeviceTemperature");
    SetBoolean("AcquisitionFrameRateEnable", false);
    SetFloat("ExposureTime", 1000);
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double warm = Float("DeviceTemperature");
    EXPECT_GT(warm, idle);
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(Float("DeviceTemperature"), warm);
}

TEST_F(DeviceStateTest, TheExposureCapsTheFrameRate) {
    Sim::SetPacing(true);
    SetFloat("AcquisitionFrameRate", 200);
    SetFloat("ExposureTime", 20000);
    EXPECT_GE(ShortestPacedPeriodNs(), 20'000'000u);
}

class LinkLimitTest : public DeviceStateTest {
protected:
    void SetUp() override { SetUpCamera(kU3vInterface, "KVR-U3V-2001"); }
};

TEST_F(LinkLimitTest, TheThroughputLimitCapsTheFrameRate) {
    Sim::SetPacing(true);
    SetBoolean("AcquisitionFrameRateEnable", false);
    SetFloat("ExposureTime", 100);
    // 50 payloads a second.
    SetInteger("DeviceLinkThroughputLimit", static_cast<int64_t>(PayloadSize() * 50));
    EXPECT_GE(ShortestPacedPeriodNs(), 19'000'000u);
}

}  // namespace
}  // namespace Tevold::Testing
