// kavrin-grab run as a process against the simulated cameras, its output and files checked the
// way a user would look at them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <png.h>

#include "PngFile.h"
#include "ToolProcess.h"

namespace grabtool {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kInterruptedExit = 130;

// A fresh folder for one test's frames, removed afterwards.
class FrameFolder {
public:
    FrameFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = fs::temp_directory_path() /
                ("kavrin-grab-" + std::string(test->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(path_);
    }
    ~FrameFolder() { fs::remove_all(path_); }

    std::string Path() const { return path_.string(); }
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        if (!fs::exists(path_)) return files;
        for (const auto& entry : fs::directory_iterator(path_))
            files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        return files;
    }

private:
    fs::path path_;
};

std::string Describe(const ToolResult& result) {
    return "exit " + std::to_string(result.exitCode) + "\nstdout:\n" + result.out + "\nstderr:\n" +
           result.err;
}

// A sanitizer build's tool reports what it finds on stderr; no run may have anything to report.
ToolResult Tool(const ToolRun& run) {
    ToolResult result = RunTool(run);
    EXPECT_THAT(result.err, Not(HasSubstr("Sanitizer"))) << result.err;
    EXPECT_THAT(result.err, Not(HasSubstr("runtime error"))) << result.err;
    return result;
}

// A run that must succeed; what it printed is for the checks that follow.
ToolResult Succeeded(const ToolRun& run) {
    ToolResult result = Tool(run);
    EXPECT_TRUE(result.exited && result.exitCode == 0) << Describe(result);
    return result;
}

// Every .cti of every folder the environment lists is loaded, each once; other files and missing
// folders are passed over. Every camera is listed with its details.
TEST(GrabToolList, FindsProducersThroughTheEnvironmentAndShowsEveryCamera) {
    const std::string folder = fs::path(KAVRIN_CTI_PATH).parent_path().string();
    const char* variable = sizeof(void*) == 4 ? "GENICAM_GENTL32_PATH" : "GENICAM_GENTL64_PATH";
    ToolRun run{{"list"}, {{variable, "/nonexistent:" + folder + ":" + folder}}};
    run.giveProducer = false;
    const ToolResult result = Succeeded(run);
    EXPECT_THAT(result.out, HasSubstr("KavrinTL40.cti"));
    EXPECT_EQ(result.out.find("KavrinTL40.cti"), result.out.rfind("KavrinTL40.cti")) << result.out;
    for (const char* line : {"GEV::SimGEV0", "U3V::SimU3V0"})
        EXPECT_THAT(result.out, HasSubstr(line));
    for (const char* number : {"1001", "1002", "2001", "2002"}) {
        EXPECT_THAT(result.out, AllOf(HasSubstr(std::string("KS") + number),
                                      HasSubstr(std::string("Cam") + number)));
    }
    for (const char* id : {"KVR-GEV-1001", "KVR-GEV-1002", "KVR-U3V-2001", "KVR-U3V-2002"}) {
        EXPECT_THAT(result.out, HasSubstr(id));
    }
    EXPECT_THAT(result.out,
                AllOf(HasSubstr("Kavrin"), HasSubstr("SimCam GEV"), HasSubstr("ReadWrite")));

    // Names the transport choice does not know are warned about, not silently dropped.
    const ToolResult unknown = Succeeded(
        {{"list"}, {{"KAVRIN_TRANSPORTS", "sim,usb"}, {"KAVRIN_GEV_INTERFACES", "nonic9"}}});
    EXPECT_THAT(unknown.err, AllOf(HasSubstr("KAVRIN_TRANSPORTS: \"usb\" is no transport"),
                                   HasSubstr("no network interface \"nonic9\"")));
    EXPECT_THAT(unknown.out, HasSubstr("KVR-GEV-1001"));
}

TEST(GrabToolInspect, InfoSavesTheDescriptionAndFeaturesReadThroughTheEngine) {
    FrameFolder folder;
    fs::create_directories(folder.Path());
    const std::string xml = folder.Path() + "/camera.xml";
    const ToolResult info = Succeeded({{"info", "SN->KS2002", "--save-xml", xml}});
    EXPECT_THAT(info.out, AllOf(HasSubstr("KVR-U3V-2002"), HasSubstr("Local:TevoldSimCamera.xml")));
    ASSERT_TRUE(fs::exists(xml));
    EXPECT_GT(fs::file_size(xml), 1000u);

    const ToolResult features =
        Succeeded({{"features", "USERNAME->Cam1002", "DeviceUserID", "PixelFormat"}});
    EXPECT_THAT(features.out, AllOf(HasSubstr("Cam1002"), HasSubstr("Enumeration"),
                                    HasSubstr("Mono8, Mono10, Mono12, Mono16, BayerRG8, BayerGB8, "
                                              "BayerGR8, BayerBG8, RGB8, BGR8, YCbCr422_8")));

    const ToolResult tree = Succeeded({{"features"}});
    EXPECT_THAT(tree.out, AllOf(HasSubstr("ImageFormatControl\n"),
                                HasSubstr("AcquisitionFrameRate"), HasSubstr("KS1001")));
}

// The producer's own node maps: every module's features with their values, settings applied
// before they are shown.
TEST(GrabToolInspect, ModuleNodeMapsShowAndSetTheProducersFeatures) {
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> shown = {
        {{"features", "--module", "system"},
         {"InterfaceEnumeration\n", "TLVendorName", "KAVRIN", "GenTLVersionMinor", "GEV::SimGEV0"}},
        {{"features", "--module", "interface", "KVR-U3V-2002", "DeviceSelector=1", "DeviceID"},
         {"KVR-U3V-2002"}},
        {{"features", "--module", "device", "SN->KS1002", "DeviceSerialNumber", "DeviceType"},
         {"KS1002", "GEV"}},
        {{"features", "--module", "stream", "StreamBufferHandlingMode=OldestFirstOverwrite",
          "StreamBufferHandlingMode"},
         {"OldestFirstOverwrite", "OldestFirst, OldestFirstOverwrite, NewestOnly"}}};
    for (const auto& [args, texts] : shown) {
        const ToolResult result = Succeeded({args});
        for (const std::string& text : texts) EXPECT_THAT(result.out, HasSubstr(text));
    }
}

// set shows each feature as it reads back after its setting; regs reaches the same registers
// raw, through the remote port.
TEST(GrabToolSet, SettingsReadBackAndRegistersReachTheCamerasRegisters) {
    const ToolResult set = Succeeded(
        {{"set", "KVR-U3V-2001", "Width=320", "PixelFormat=Mono16", "TriggerSoftware=1"}});
    EXPECT_EQ(set.out, "Width=320\nPixelFormat=Mono16\nTriggerSoftware=(executed)\n");

    // Width's register (0x100, little-endian in the description).
    const ToolResult regs = Succeeded({{"regs", "KVR-GEV-1001", "0x100", "0x100=320", "256:4"}});
    EXPECT_EQ(regs.out,
              "0x00000100: 80 02 00 00 = 0x00000280 (640)\n"
              "0x00000100: 40 01 00 00 = 0x00000140 (320) (written)\n"
              "0x00000100: 40 01 00 00 = 0x00000140 (320)\n");
    EXPECT_EQ(Tool({{"regs", "0x100", "--big-endian"}}).out,
              "0x00000100: 80 02 00 00 = 0x80020000 (2147614720)\n");
}

// Help for one command lists its options, either way it is asked for; --version needs no camera.
// A bare --cti file name is one in the current folder, not in the library search path.
TEST(GrabToolHelp, CommandHelpVersionAndABareProducerName) {
    const ToolResult help = Succeeded({{"help", "grab"}});
    const ToolResult option = Tool({{"grab", "--help"}});
    EXPECT_EQ(help.out, option.out);
    EXPECT_THAT(help.out, AllOf(HasSubstr("--trigger-rate HZ"), HasSubstr("--chunks"),
                                Not(HasSubstr("--big-endian"))));
    EXPECT_THAT(Tool({{"regs", "-h"}}).out, HasSubstr("--big-endian"));
    EXPECT_EQ(Tool({{"help", "snap"}}).exitCode, 2);
    EXPECT_THAT(Tool({{"--version"}}).out, HasSubstr("kavrin-grab 1."));

    ToolRun bare{{"--cti", fs::path(KAVRIN_CTI_PATH).filename().string(), "list"}};
    bare.giveProducer = false;
    bare.workingDirectory = fs::path(KAVRIN_CTI_PATH).parent_path().string();
    const ToolResult list = Succeeded(bare);
    EXPECT_THAT(list.out, HasSubstr("KVR-U3V-2002"));
}

// NewestOnly from the command line: the grab sets it in the stream's node map and says so.
TEST(GrabToolBufferMode, NewestOnlyGrabsThroughTheStreamsMode) {
    const ToolResult result =
        Succeeded({{"grab", "-n", "10", "--buffers", "3", "--buffer-mode", "NewestOnly"}});
    EXPECT_THAT(result.out, AllOf(HasSubstr("3 buffers, NewestOnly"), HasSubstr("10 frames in")));
}

// The rate is the camera's: N frames over the N periods they took, the first one's included
// (generous bounds, the camera's clock against the host's). That one frame has no rate is the
// JSON document's check and the statistics' own.
TEST(GrabToolRates, FpsAndThroughputFollowTheCamerasFrameRate) {
    const ToolResult paced = Succeeded({{"grab", "-n", "6", "AcquisitionFrameRate=10"}});
    double seconds = 0, fps = 0, megabytes = 0;
    const size_t summary = paced.out.find("6 frames in ");
    ASSERT_NE(summary, std::string::npos) << paced.out;
    ASSERT_EQ(std::sscanf(paced.out.c_str() + summary, "6 frames in %lf s: %lf fps, %lf MB/s",
                          &seconds, &fps, &megabytes),
              3)
        << paced.out;
    EXPECT_NEAR(fps, 10.0, 1.0) << paced.out;
    EXPECT_NEAR(seconds, 0.6, 0.06) << paced.out;
    EXPECT_NEAR(megabytes, 640 * 480 * 10 / 1e6, 0.31) << paced.out;
}

struct FormatCase {
    std::string name;
    std::vector<std::string> settings;
    uint32_t width;
    int bitDepth;
    int colorType;
};

void PrintTo(const FormatCase& format, std::ostream* out) { *out << format.name; }

class GrabToolFrames : public ::testing::TestWithParam<FormatCase> {};

// Every frame is a PNG of the camera's current format whose first bytes still carry the frame
// ID the camera wrote there; frame IDs only go up.
TEST_P(GrabToolFrames, WritesOnePngPerFrameInTheCamerasFormat) {
    const FormatCase& format = GetParam();
    FrameFolder folder;
    std::vector<std::string> args{"grab", "-n", "20", "-o", folder.Path()};
    args.insert(args.end(), format.settings.begin(), format.settings.end());
    const ToolResult result = Succeeded({args});
    EXPECT_THAT(result.out, AllOf(HasSubstr("20 frames in"), HasSubstr("fps"), HasSubstr("MB/s"),
                                  HasSubstr("frame-ID gaps")));

    const auto files = folder.Files();
    ASSERT_EQ(files.size(), 20u);
    EXPECT_EQ(fs::path(files.front()).filename(), "frame-000001.png");
    uint64_t lastFrameId = 0;
    for (const auto& file : files) {
        const PngImage image = ReadPng(file);
        ASSERT_TRUE(image.valid) << image.error;
        EXPECT_EQ(image.width, format.width) << file;
        EXPECT_EQ(image.height, 480u) << file;
        EXPECT_EQ(image.bitDepth, format.bitDepth) << file;
        EXPECT_EQ(image.colorType, format.colorType) << file;
        const uint64_t frameId = FrameIdOf(image);
        EXPECT_GT(frameId, lastFrameId) << file;
        lastFrameId = frameId;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, GrabToolFrames,
    ::testing::Values(
        FormatCase{"Mono8", {}, 640, 8, PNG_COLOR_TYPE_GRAY},
        FormatCase{
            "Mono16Width320", {"Width=320", "PixelFormat=Mono16"}, 320, 16, PNG_COLOR_TYPE_GRAY},
        FormatCase{"RGB8",
                   {"KVR-U3V-2001", "PixelFormat=RGB8", "AcquisitionFrameRate=100"},
                   640,
                   8,
                   PNG_COLOR_TYPE_RGB}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return info.param.name; });

// A wrong setting, value or device says which and lists the valid ones, with exit code 1; a
// command line the parser refuses (its own test says which) ends with exit code 2, the usage or
// what it could not read. A first word that is no device nor feature is an unknown device.
TEST(GrabToolSettings, WrongSettingsDevicesAndCommandLinesAreRefused) {
    struct Refusal {
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> texts;
    };
    const Refusal refused[] = {
        {{"grab", "Widht=320", "-n", "1"},
         1,
         {"unknown feature \"Widht\"", "Width", "PixelFormat"}},
        {{"grab", "PixelFormat=Mono9", "-n", "1"},
         1,
         {"Mono9",
          "Mono8, Mono10, Mono12, Mono16, BayerRG8, BayerGB8, BayerGR8, BayerBG8, RGB8, BGR8, "
          "YCbCr422_8"}},
        {{"grab", "Width=5000", "-n", "1"}, 1, {"16..4096"}},
        {{"grab", "SN->nothing", "-n", "1"}, 1, {"SN->nothing", "KVR-U3V-2002"}},
        {{"features", "NOPE", "Width"},
         1,
         {"no device matches \"NOPE\"; the devices are: KVR-GEV-1001"}},
        {{"set", "KVR-GEV-1001", "Width=17"}, 1, {"Width=17"}},
        {{"features", "--module", "stream", "StreamIsGrabbing=1"},
         1,
         {"StreamIsGrabbing cannot be set"}},
        {{"grab", "-n", "zero"}, 2, {"usage: kavrin-grab"}},
        {{"regs", "KVR-GEV-1001", "0x100=-1"}, 2, {"is not a number"}},
        {{"regs", "0x100:2=70000"}, 2, {"does not fit in 2 bytes"}}};
    for (const auto& [args, exitCode, texts] : refused) {
        const ToolResult result = Tool({args});
        ASSERT_TRUE(result.exited) << Describe(result);
        EXPECT_EQ(result.exitCode, exitCode) << Describe(result);
        for (const std::string& text : texts) EXPECT_THAT(result.err, HasSubstr(text));
        EXPECT_THAT(result.out, Not(HasSubstr("Grabbing")));
    }
}

// Raw frames come with a description of their bytes; a folder holding frames is written over
// only when asked; a frame that cannot be written leaves no partial file behind.
TEST(GrabToolFiles, RawDescriptionsOverwritingAndNoPartialFiles) {
    FrameFolder folder;
    const std::vector<std::string> grab{"grab",        "-n",       "2",   "-o",
                                        folder.Path(), "--format", "raw", "Width=320"};
    const ToolResult raw = Succeeded({grab});
    ASSERT_EQ(folder.Files().size(), 4u);
    std::ifstream description(folder.Path() + "/frame-000002.json");
    const std::string json{std::istreambuf_iterator<char>(description), {}};
    EXPECT_THAT(json, AllOf(HasSubstr("\"width\":320,\"height\":480,\"pixelFormat\":\"Mono8\""),
                            HasSubstr("\"pixelFormatCode\":\"0x01080001\""),
                            HasSubstr("\"frameId\":"), HasSubstr("\"timestamp\":")));
    EXPECT_EQ(fs::file_size(folder.Path() + "/frame-000002.raw"), 320u * 480u);

    const ToolResult again = Tool({grab});
    EXPECT_EQ(again.exitCode, 1) << Describe(again);
    EXPECT_THAT(again.err, HasSubstr("already holds frames (frame-"));
    std::vector<std::string> overwrite = grab;
    overwrite.push_back("--overwrite");
    EXPECT_EQ(Tool({overwrite}).exitCode, 0);

    FrameFolder failing;
    const ToolResult png =
        Tool({{"grab", "-n", "1", "-o", failing.Path(), "PixelFormat=YCbCr422_8"}});
    EXPECT_EQ(png.exitCode, 1) << Describe(png);
    EXPECT_THAT(png.err, HasSubstr("PNG cannot hold pixel format"));
    EXPECT_TRUE(failing.Files().empty());
}

// Whether jq finds the filter true of the tool's JSON output (jq -e: false and null fail).
bool Jq(const std::string& json, const std::string& filter) {
    const fs::path file =
        fs::temp_directory_path() / ("kavrin-grab-" + std::to_string(::getpid()) + ".json");
    std::ofstream(file) << json;
    const std::string command = "jq -e '" + filter + "' " + file.string() + " >/dev/null 2>&1";
    const bool holds = std::system(command.c_str()) == 0;
    fs::remove(file);
    return holds;
}

// Every command's --json output is one document holding what the text shows.
TEST(GrabToolJson, EveryCommandsDocumentHoldsItsAnswer) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> documents = {
        {{"list", "--json"},
         "[.producers[].interfaces[].devices[].id] == "
         "[\"KVR-GEV-1001\", \"KVR-GEV-1002\", \"KVR-U3V-2001\", \"KVR-U3V-2002\"]"},
        {{"info", "SN->KS2002", "--json"},
         ".ID == \"KVR-U3V-2002\" and (.description | startswith(\"Local:\"))"},
        {{"features", "--json", "Width", "PixelFormat"},
         ".[0].value == \"640\" and .[1].type == \"Enumeration\" and (.[1].valid | "
         "contains(\"Mono16\"))"},
        {{"features", "--json"},
         "any(.[]; .name == \"Width\" and .category == "
         "\"ImageFormatControl\")"},
        {{"set", "--json", "KVR-U3V-2001", "Width=320", "Height=200"},
         ".device == \"KVR-U3V-2001\" and .features == [{\"name\": \"Width\", \"value\": "
         "\"320\"}, {\"name\": \"Height\", \"value\": \"200\"}]"},
        {{"grab", "--json", "-n", "5", "AcquisitionFrameRate=20"},
         ".frames == 5 and .lost == 0 and (.fps - 20 | fabs) < 2 and .interrupted == false"},
        {{"grab", "--json", "-n", "1"}, ".frames == 1 and has(\"fps\") == false"}};
    for (const auto& [args, filter] : documents) {
        const ToolResult result = Succeeded({args});
        EXPECT_TRUE(Jq(result.out, filter)) << args.front() << ": " << filter << "\n" << result.out;
    }
}

// A software trigger sets the pace; each frame's chunks, parsed through the description, carry
// its frame ID; the camera's events arrive with their data; saved settings load again.
TEST(GrabToolCamera, TriggerChunksEventsAndParameterFiles) {
    const ToolResult triggered = Succeeded(
        {{"grab", "--json", "-n", "8", "--trigger-rate", "15", "AcquisitionFrameRate=100"}});
    EXPECT_TRUE(
        Jq(triggered.out, ".frames == 8 and .frameIdGaps == 0 and (.fps - 15 | fabs) < 1.5"))
        << triggered.out;

    for (const char* camera : {"KVR-GEV-1001", "KVR-U3V-2001"}) {
        const ToolResult chunks =
            Succeeded({{"grab", camera, "--json", "-n", "4", "--chunks", "Width=320"}});
        EXPECT_TRUE(Jq(chunks.out,
                       "(.chunks | length) == 4 and all(.chunks[]; .ChunkFrameID == (.frameId | "
                       "tostring) and .ChunkWidth == \"320\" and .ChunkPixelFormat == \"Mono8\")"))
            << chunks.out;
    }

    const ToolResult events =
        Succeeded({{"grab", "--json", "-n", "3", "--events", "ExposureTime=2000"}});
    EXPECT_TRUE(Jq(events.out,
                   "[.events[] | select(.name == \"ExposureEnd\") | .EventExposureEndFrameID] == "
                   "[\"1\", \"2\", \"3\"] and ([.events[] | select(.name == \"FrameStart\")] | "
                   "length) == 3"))
        << events.out;
    // Exposure ends the exposure time (in ns on the camera's clock) after the frame starts.
    EXPECT_TRUE(Jq(events.out,
                   "[.events[] | select(.name == \"FrameStart\")][0].EventFrameStartTimestamp as "
                   "$start | [.events[] | select(.name == \"ExposureEnd\")][0] | "
                   "(.EventExposureEndTimestamp | tonumber) - ($start | tonumber) == 2000000"))
        << events.out;
    const ToolResult text = Tool({{"grab", "-n", "1", "--events"}});
    EXPECT_THAT(text.out, HasSubstr("event ExposureEnd (0x9010): EventExposureEndTimestamp="));

    const ToolResult listening = Succeeded({{"events", "--seconds", "1"}});
    EXPECT_THAT(listening.out,
                AllOf(HasSubstr("Listening to the events of KVR-GEV-1001"), HasSubstr("0 events")));

    FrameFolder folder;
    fs::create_directories(folder.Path());
    const std::string settings = folder.Path() + "/camera.txt";
    Succeeded({{"grab", "-n", "1", "Width=320", "GainSelector=Red", "Gain=2", "--save", settings}});
    const ToolResult loaded = Succeeded({{"set", "--load", settings, "GainSelector=Red"}});
    EXPECT_THAT(loaded.out, AllOf(HasSubstr("Width=320\n"), HasSubstr("GainSelector=Red\nGain=2\n"),
                                  EndsWith("GainSelector=Red\n")));
    const ToolResult width = Tool({{"features", "--load", settings, "Width", "Gain"}});
    EXPECT_THAT(width.out, HasSubstr("320"));
}

TEST(GrabToolStop, SigintMidGrabStopsCleanlyAndStillSummarises) {
    FrameFolder folder;
    const ToolResult result =
        Tool({{"grab", "-n", "1000000", "-o", folder.Path()}, {}, [](const std::string& out) {
                  return out.find(" frames, ") != std::string::npos;
              }});
    ASSERT_TRUE(result.exited) << Describe(result);
    EXPECT_EQ(result.exitCode, kInterruptedExit) << Describe(result);
    EXPECT_THAT(result.out, HasSubstr("Interrupted after "));
    EXPECT_THAT(result.out, HasSubstr("frame-ID gaps"));
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(folder.Files().empty());
}

TEST(GrabToolStop, AnUnpluggedCameraEndsTheGrabWithTheErrorNamed) {
    const ToolResult result = Tool(
        {{"grab", "KVR-GEV-1002", "-n", "1000000", "AcquisitionFrameRate=200", "--timeout", "2000"},
         {{"LD_PRELOAD", SIM_UNPLUG_AGENT_PATH},
          {"KAVRIN_UNPLUG_CAMERA", "KVR-GEV-1002"},
          {"KAVRIN_UNPLUG_AFTER_FRAME", "5"},
          // The agent comes before the sanitizer runtime in the load order.
          {"ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=1"}},
         {}});
    ASSERT_TRUE(result.exited) << Describe(result);
    EXPECT_EQ(result.exitCode, 1) << Describe(result);
    EXPECT_THAT(result.err, AllOf(HasSubstr("camera lost: "), Not(HasSubstr("GC_ERR_TIMEOUT"))));
    EXPECT_THAT(result.out, HasSubstr("frame-ID gaps"));
}

}  // namespace
}  // namespace grabtool
