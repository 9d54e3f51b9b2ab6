// Exposure, gain, black level and gamma change the image as a real sensor's would, and the auto
// modes steer the image to their target and, for Once, switch themselves off.
#include "SimCameraFixture.h"

#include <cmath>
#include <numeric>

namespace Tevold::Testing {
namespace {

class SensorResponseTest : public SimCameraTest {
protected:
    void SetUp() override {
        SimCameraTest::SetUp();
        // Every row covers the whole 8-bit ramp once.
        SetInteger("Width", 256);
        SetInteger("Height", 16);
    }

    // Mean grey level of the channel (0 for mono) as a part of full scale, without the frame ID.
    static double Mean(const Frame& frame, size_t channel = 0, size_t channels = 1) {
        double sum = 0;
        size_t count = 0;
        const size_t firstPixel = (8 + channels - 1) / channels * channels;
        for (size_t at = firstPixel + channel; at < frame.payload.size(); at += channels) {
            sum += frame.payload[at];
            ++count;
        }
        return sum / count / 255;
    }

    double MeanOfOneImage() { return Mean(GrabOne()); }
};

TEST_F(SensorResponseTest, ExposureGainBlackLevelAndGammaChangeTheGreyLevel) {
    const double normal = MeanOfOneImage();
    EXPECT_NEAR(0.5, normal, 0.01);
    SetFloat("ExposureTime", 5000);
    const double shorter = MeanOfOneImage();
    // Half the light, half the signal.
    EXPECT_NEAR(normal / 2, shorter, 0.01);
    SetFloat("ExposureTime", 20000);
    EXPECT_GT(MeanOfOneImage(), normal + 0.1);
    SetFloat("ExposureTime", 5000);
    SetFloat("Gain", 6.0206);  // twice the signal
    EXPECT_NEAR(normal, MeanOfOneImage(), 0.01);
    SetFloat("Gain", 0);
    SetFloat("ExposureTime", Sim::kDefaultExposureTime);
    SetFloat("Gamma", 2);
    EXPECT_LT(MeanOfOneImage(), normal - 0.1);
    SetFloat("Gamma", 1);

    // A dark image shows the black level and nothing else.
    SetEntry("TestPattern", "Black");
    EXPECT_EQ(0, MeanOfOneImage());
    SetFloat("BlackLevel", 12);
    const Frame dark = GrabOne();
    for (size_t at = 8; at < dark.payload.size(); ++at) {
        ASSERT_EQ(12, dark.payload[at]) << at;
    }
    // The older names reach the same settings.
    SetFloat("ExposureTimeAbs", 2500);
    EXPECT_EQ(2500, Float("ExposureTime"));
    SetInteger("GainRaw", 35);
    EXPECT_NEAR(3.5, Float("Gain"), 1e-9);
}

TEST_F(SensorResponseTest, ColourGainsActOnTheirOwnChannel) {
    SetEntry("PixelFormat", "RGB8");
    SetFloat("ExposureTime", 5000);
    const Frame before = GrabOne();
    SetEntry("GainSelector", "Red");
    SetFloat("Gain", 6.0206);
    SetEntry("GainSelector", "All");
    EXPECT_EQ(0, Float("Gain"));
    const Frame after = GrabOne();
    EXPECT_NEAR(2 * Mean(before, 0, 3), Mean(after, 0, 3), 0.01);
    EXPECT_NEAR(Mean(before, 1, 3), Mean(after, 1, 3), 0.01);
    EXPECT_NEAR(Mean(before, 2, 3), Mean(after, 2, 3), 0.01);
}

TEST_F(SensorResponseTest, AutoModesReachTheirTargetAndOnceSwitchesItselfOff) {
    constexpr int kMaxImages = 40;
    ASSERT_EQ(Result::kSuccess, stream_->StartGrab(0, -1));
    // Continuous exposure: the bright default image gets darker until it is on target.
    SetEntry("ExposureAuto", "Continuous");
    double mean = 1;
    for (int i = 0; i < kMaxImages && std::abs(mean - Sim::kAutoTarget) > 0.03; ++i) {
        mean = Mean(Grab());
    }
    EXPECT_NEAR(Sim::kAutoTarget, mean, 0.03);
    EXPECT_LT(Float("ExposureTime"), Sim::kDefaultExposureTime);
    EXPECT_EQ("Continuous", Entry("ExposureAuto"));
    SetEntry("ExposureAuto", "Off");

    // Once: a dark image gets brighter, then the mode reads Off.
    SetFloat("ExposureTime", 500);
    SetEntry("ExposureAuto", "Once");
    for (int i = 0; i < kMaxImages && Entry("ExposureAuto") != "Off"; ++i) {
        Grab();
    }
    EXPECT_EQ("Off", Entry("ExposureAuto"));
    EXPECT_NEAR(Sim::kAutoTarget, Mean(Grab()), 0.03);

    // Gain auto with a fixed short exposure raises the gain.
    SetFloat("ExposureTime", 1000);
    SetEntry("GainAuto", "Once");
    for (int i = 0; i < kMaxImages && Entry("GainAuto") != "Off"; ++i) {
        Grab();
    }
    EXPECT_EQ("Off", Entry("GainAuto"));
    EXPECT_GT(Float("Gain"), 6);
    EXPECT_NEAR(Sim::kAutoTarget, Mean(Grab()), 0.03);
    ASSERT_EQ(Result::kSuccess, stream_->StopGrab(0));
}

}  // namespace
}  // namespace Tevold::Testing
