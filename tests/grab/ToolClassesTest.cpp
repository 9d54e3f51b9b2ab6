// The tool's own rules where a slip would mislead a user: counting lost frames from frame IDs,
// reading the command line, and saving frames on the saver's thread.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <vector>

#include "PngFile.h"
#include "tools/CommandLine.h"
#include "tools/FrameSaver.h"
#include "tools/GrabStatistics.h"

namespace grabtool {
using namespace Kavrin::Tools;
namespace {

using ::testing::HasSubstr;

// Gaps count jumps and lost counts the missing frame IDs; a counter that restarts is a gap
// without loss, and ID 0 is no ID.
TEST(GrabStatistics, GapsAndLostFrames) {
    GrabStatistics jumps;
    for (uint64_t id : {1, 2, 5, 6, 10}) jumps.Count(id, 100, false);
    EXPECT_EQ(jumps.Frames(), 5u);
    EXPECT_EQ(jumps.Gaps(), 2u);
    EXPECT_EQ(jumps.Lost(), 5u);  // 3, 4, 7, 8, 9

    GrabStatistics restart;
    for (uint64_t id : {65534, 65535, 1, 0, 2}) restart.Count(id, 100, id == 0);
    EXPECT_EQ(restart.Gaps(), 1u);
    EXPECT_EQ(restart.Lost(), 0u);
    EXPECT_EQ(restart.Incomplete(), 1u);
    EXPECT_THAT(restart.Summary(), HasSubstr("5 frames"));
}

// Three frames 100 ms apart on the camera's clock took three periods: 0.3 s, 10 fps. One frame
// has no rate.
TEST(GrabStatistics, RatesFollowTheCamerasClockWithTheFirstFramesPeriod) {
    GrabStatistics stamped;
    for (uint64_t id : {1, 2, 3}) stamped.Count(id, 1000, false, 5'000'000'000 + id * 100'000'000);
    EXPECT_DOUBLE_EQ(stamped.Seconds(), 0.3);
    EXPECT_DOUBLE_EQ(stamped.FramesPerSecond(), 10.0);
    EXPECT_DOUBLE_EQ(stamped.MegabytesPerSecond(), 0.01);
    EXPECT_THAT(stamped.Summary(), HasSubstr("3 frames in 0.30 s: 10.0 fps, 0.0 MB/s; lost 0"));

    GrabStatistics single;
    single.Count(1, 1000, false, 7);
    EXPECT_FALSE(single.HasRate());
    EXPECT_THAT(single.Summary(), HasSubstr("1 frame; lost 0"));
}

CommandLine Parse(std::vector<const char*> words) {
    words.insert(words.begin(), "kavrin-grab");
    return ParseCommandLine(static_cast<int>(words.size()), words.data());
}

TEST(CommandLine, OptionsMayStandAnywhereAmongTheWords) {
    const CommandLine line = Parse({"--cti", "x.cti", "grab", "SN->KS1", "-n", "100", "Width=320",
                                    "-o", "frames", "--format", "raw", "--buffers", "4",
                                    "--timeout", "250", "--buffer-mode", "NewestOnly"});
    EXPECT_EQ(line.command, "grab");
    EXPECT_EQ(line.cti, "x.cti");
    EXPECT_EQ(line.words, (std::vector<std::string>{"SN->KS1", "Width=320"}));
    EXPECT_EQ(line.frames, 100u);
    EXPECT_EQ(line.outputFolder, "frames");
    EXPECT_EQ(line.format, FrameWriter::Format::Raw);
    EXPECT_EQ(line.buffers, 4u);
    EXPECT_EQ(line.timeoutMs, 250u);
    EXPECT_EQ(line.bufferMode, "NewestOnly");
    EXPECT_EQ(Parse({"features", "--module", "stream"}).module, "stream");
}

TEST(CommandLine, RefusesWhatItCannotRead) {
    for (const auto& words :
         std::vector<std::vector<const char*>>{{},
                                               {"snap"},
                                               {"grab", "-n"},
                                               {"grab", "-n", "0"},
                                               {"grab", "-n", "-5"},
                                               {"grab", "-n", "99999999999999999999999"},
                                               {"grab", "--buffers", "0"},
                                               {"grab", "--format", "tiff"},
                                               {"grab", "--buffer-mode", "newestonly"},
                                               {"features", "--module", "camera"},
                                               {"features", "--module"},
                                               {"list", "--verbose"}}) {
        EXPECT_THROW(Parse(words), UsageError) << (words.empty() ? "" : words.back());
    }
    EXPECT_EQ(Parse({"grab", "--help"}).command, "help");
}

class FrameSaverTest : public ::testing::Test {
protected:
    FrameSaverTest()
        : folder_(std::filesystem::temp_directory_path() /
                  ("kavrin-saver-" + std::to_string(getpid()))) {
        std::filesystem::remove_all(folder_);
    }
    ~FrameSaverTest() override { std::filesystem::remove_all(folder_); }

    // A 4x2 Mono8 frame whose first byte is its number.
    Frame MonoFrame(uint8_t number) {
        pixels_.push_back(std::vector<uint8_t>(8, 0));
        pixels_.back()[0] = number;
        return Frame{pixels_.back().data(), 8, 4, 2, 0x01080001};
    }

    std::filesystem::path folder_;
    std::vector<std::vector<uint8_t>> pixels_;
};

// The saver copies each frame: the caller's buffer may change as soon as Save returns.
TEST_F(FrameSaverTest, WritesCopiesOfEveryQueuedFrame) {
    FrameWriter writer(folder_.string(), FrameWriter::Format::Png);
    FrameSaver saver(writer, 2);
    for (uint8_t number = 1; number <= 5; ++number) {
        Frame frame = MonoFrame(number);
        saver.Save(frame, number);
        pixels_.back()[0] = 0xEE;
    }
    saver.Finish();
    for (uint8_t number = 1; number <= 5; ++number) {
        const PngImage image =
            ReadPng((folder_ / ("frame-00000" + std::to_string(number) + ".png")).string());
        ASSERT_TRUE(image.valid) << image.error;
        EXPECT_EQ(image.rows[0][0], number);
    }
}

TEST_F(FrameSaverTest, AFailedWriteReachesTheGrab) {
    FrameWriter writer(folder_.string(), FrameWriter::Format::Png);
    FrameSaver saver(writer, 1);
    Frame unsupported = MonoFrame(1);
    unsupported.pixelFormat = 0x0110FFFF;
    saver.Save(unsupported, 1);
    EXPECT_THROW(
        {
            saver.Save(MonoFrame(2), 2);
            saver.Finish();
        },
        std::runtime_error);
}

}  // namespace
}  // namespace grabtool
