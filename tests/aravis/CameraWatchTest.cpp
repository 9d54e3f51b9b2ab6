// The watch that finds a silent camera, with a probe of the test's own in place of a camera.
#include <gmock/gmock.h>
#include <stdlib.h>

#include <atomic>
#include <future>

#include "tevold/aravis/CameraWatch.h"

namespace aravis_tests {
namespace {

using Tevold::Aravis::CameraWatch;
using namespace std::chrono_literals;
using Answer = CameraWatch::Answer;

CameraWatch::Timing Quick(std::chrono::milliseconds silence) {
    CameraWatch::Timing timing;
    timing.period = 5ms;
    timing.wait = 5ms;
    timing.silence = silence;
    return timing;
}

// Bounds that hold on a loaded machine: what must happen at once happens well within this.
constexpr auto kPrompt = 5s;

TEST(CameraWatch, ACameraThatAnswersIsNeverLostAndAnAnswerRestartsTheSilence) {
    std::atomic<int> probes{0};
    std::promise<void> enough;
    std::atomic<bool> lost{false};
    {
        // Silent except every fourth probe: never silent for as long as the limit.
        CameraWatch watch(
            [&](std::chrono::milliseconds wait) {
                EXPECT_EQ(wait, 5ms);
                const int probe = ++probes;
                if (probe == 60) enough.set_value();
                return probe % 4 == 0 ? Answer::Controlled : Answer::Silent;
            },
            [&] { lost = true; }, Quick(1000ms));
        ASSERT_EQ(enough.get_future().wait_for(kPrompt * 2), std::future_status::ready);
    }
    EXPECT_FALSE(lost);
}

TEST(CameraWatch, SilenceForTheLimitLosesTheCameraOnceAndEndsTheWatching) {
    std::atomic<int> probes{0};
    std::atomic<int> losses{0};
    std::atomic<int> probesAtLoss{0};
    std::promise<void> lostSignal;
    const auto started = std::chrono::steady_clock::now();
    CameraWatch watch(
        [&](std::chrono::milliseconds) {
            ++probes;
            return Answer::Silent;
        },
        [&] {
            probesAtLoss = probes.load();
            if (++losses == 1) lostSignal.set_value();
        },
        Quick(200ms));
    ASSERT_EQ(lostSignal.get_future().wait_for(kPrompt), std::future_status::ready);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 200ms);
    watch.Stop();
    EXPECT_EQ(losses, 1);
    EXPECT_EQ(probes, probesAtLoss) << "the watch probes on after the loss";
}

TEST(CameraWatch, ACameraControlledByNobodyIsLostAtTheFirstAnswer) {
    std::promise<std::chrono::steady_clock::time_point> lostAt;
    const auto started = std::chrono::steady_clock::now();
    CameraWatch watch([](std::chrono::milliseconds) { return Answer::NotControlled; },
                      [&] { lostAt.set_value(std::chrono::steady_clock::now()); },
                      Quick(std::chrono::hours(1)));
    auto future = lostAt.get_future();
    ASSERT_EQ(future.wait_for(kPrompt), std::future_status::ready);
    EXPECT_LT(future.get() - started, kPrompt);
}

TEST(CameraWatch, StopDuringAProbeJoinsWithoutReportingALoss) {
    std::promise<void> probing;
    std::atomic<bool> lost{false};
    std::atomic<bool> first{true};
    CameraWatch watch(
        [&](std::chrono::milliseconds) {
            if (first.exchange(false)) probing.set_value();
            return Answer::Silent;
        },
        [&] { lost = true; }, Quick(std::chrono::hours(1)));
    probing.get_future().wait();
    watch.Stop();
    watch.Stop();  // a second stop is harmless
    EXPECT_FALSE(lost);
}

TEST(CameraWatch, SilenceLimitComesFromTheEnvironmentWhenItIsANumberFromOneHundredUp) {
    unsetenv("KAVRIN_GEV_LOSS_TIMEOUT_MS");
    EXPECT_EQ(CameraWatch::SilenceLimitFromEnvironment(), 1000ms);
    const std::pair<const char*, std::chrono::milliseconds> table[] = {
        {"250", 250ms}, {"100", 100ms},  {"99", 1000ms}, {"0", 1000ms},
        {"-5", 1000ms}, {"12x", 1000ms}, {"", 1000ms},   {"60000", 60000ms},
    };
    for (const auto& [text, limit] : table) {
        setenv("KAVRIN_GEV_LOSS_TIMEOUT_MS", text, 1);
        EXPECT_EQ(CameraWatch::SilenceLimitFromEnvironment(), limit) << '"' << text << '"';
    }
    unsetenv("KAVRIN_GEV_LOSS_TIMEOUT_MS");
}

}  // namespace
}  // namespace aravis_tests
