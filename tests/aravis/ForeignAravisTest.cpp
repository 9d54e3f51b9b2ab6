// A consumer whose process holds another Aravis before it loads the producer (ForeignAravis.h):
// the producer's real cameras still list kavrin-fake-camera, read its description and stream its
// images, and none of the producer's code binds to the other Aravis. Built twice: against a
// stand-in that defines Aravis's functions and type names, and against Debian's Aravis itself.
#include <glib-object.h>
#include <gmock/gmock.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "FakeCameraProcess.h"
#include "ForeignAravis.h"
#include "PrivateNetwork.h"
#include "consumer/ConsumerFixture.h"

namespace aravis_tests {
namespace {

using namespace consumer;

constexpr const char* kSerialNumber = "KT0003";
constexpr const char* kDeviceId = "Aravis-Fake-KT0003";
constexpr const char* kStreamingTest = "ForeignAravis.ProducerListsDescribesAndStreamsTheCamera";
constexpr uint64_t kDiscoveryMs = 300;
constexpr uint32_t kBufferCount = 4;
constexpr int kImageCount = 10;

// Registered once, before the producer is loaded (main).
const std::vector<std::string>& ForeignTypeNames() {
    static const std::vector<std::string> names = UseForeignAravis();
    return names;
}

DEV_HANDLE OpenFakeCamera() {
    TL_HANDLE tl = nullptr;
    EXPECT_EQ(Gentl().TLOpen(&tl), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(Gentl().TLUpdateInterfaceList(tl, nullptr, kDiscoveryMs), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    EXPECT_EQ(Gentl().TLOpenInterface(tl, "GEV::lo", &iface), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_TRUE(Eventually([&] {
        Gentl().IFUpdateDeviceList(iface, nullptr, kDiscoveryMs);
        const auto ids = DeviceIds(iface);
        return std::find(ids.begin(), ids.end(), kDeviceId) != ids.end();
    }));
    DEV_HANDLE dev = nullptr;
    EXPECT_EQ(Gentl().IFOpenDevice(iface, kDeviceId, DEVICE_ACCESS_CONTROL, &dev), GC_ERR_SUCCESS)
        << LastErrorText();
    return dev;
}

void StreamCompleteImages(DEV_HANDLE dev) {
    DS_HANDLE ds = nullptr;
    ASSERT_EQ(Gentl().DevOpenDataStream(dev, "DS0", &ds), GC_ERR_SUCCESS) << LastErrorText();
    const size_t payloadSize =
        Value<uint64_t>(DSInfo(ds, static_cast<STREAM_INFO_CMD>(1001)), INFO_DATATYPE_UINT64);
    for (uint32_t index = 0; index < kBufferCount; ++index) {
        BUFFER_HANDLE buffer = nullptr;
        ASSERT_EQ(Gentl().DSAllocAndAnnounceBuffer(ds, payloadSize, nullptr, &buffer),
                  GC_ERR_SUCCESS);
        ASSERT_EQ(Gentl().DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    }
    EVENT_HANDLE newBuffer = nullptr;
    ASSERT_EQ(Gentl().GCRegisterEvent(ds, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
    ASSERT_EQ(Gentl().DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              GC_ERR_SUCCESS)
        << LastErrorText();
    for (int image = 0; image < kImageCount; ++image) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS) << "image " << image << ": " << LastErrorText();
        EXPECT_FALSE(Flag(BufInfo(ds, delivery.buffer, BUFFER_INFO_IS_INCOMPLETE)));
        EXPECT_EQ(Value<size_t>(BufInfo(ds, delivery.buffer, BUFFER_INFO_SIZE_FILLED),
                                INFO_DATATYPE_SIZET),
                  payloadSize);
        ASSERT_EQ(Gentl().DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
    }
    EXPECT_EQ(Gentl().DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(Gentl().DSClose(ds), GC_ERR_SUCCESS);
}

TEST(ForeignAravis, ProducerListsDescribesAndStreamsTheCamera) {
    if (!PrivateNetworkUnavailable().empty()) GTEST_SKIP() << PrivateNetworkUnavailable();
#if KAVRIN_FOREIGN_STAND_IN && !KAVRIN_PLUGIN_OWN_NAMESPACE
    GTEST_SKIP() << "sanitized builds load the real-camera plugin into the process's namespace, "
                    "where the stand-in's Aravis names are found first";
#endif
    for (const std::string& name : ForeignTypeNames()) {
        EXPECT_NE(g_type_from_name(name.c_str()), G_TYPE_INVALID) << name << " is not registered";
    }
    FakeCameraProcess camera(kSerialNumber);
    ASSERT_TRUE(camera.Spawned());
    ASSERT_TRUE(camera.AwaitOutput(std::string(kDeviceId) + " runs on lo", 1));
    setenv("KAVRIN_TRANSPORTS", "sim,gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", "lo", 1);
    ASSERT_EQ(Gentl().GCInitLib(), GC_ERR_SUCCESS);

    const DEV_HANDLE dev = OpenFakeCamera();
    ASSERT_NE(dev, nullptr);
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(Gentl().DevGetPort(dev, &port), GC_ERR_SUCCESS);
    EXPECT_EQ(Text(UrlInfo(port, 0, URL_INFO_FILENAME)), "Fake.xml");
    EXPECT_THAT(ReadDescription(port), ::testing::HasSubstr("<RegisterDescription"));
    StreamCompleteImages(dev);

    Gentl().GCCloseLib();
    unsetenv("KAVRIN_TRANSPORTS");
    unsetenv("KAVRIN_GEV_INTERFACES");
}

// One symbol binding as the dynamic linker reports it (LD_DEBUG=bindings).
struct Binding {
    std::string from;
    int fromSpace = 0;
    std::string to;
    int toSpace = 0;
    std::string symbol;
};

std::vector<Binding> ReadBindings(const std::filesystem::path& directory) {
    static const std::regex line(
        R"(binding file (\S+) \[(\d+)\] to (\S+) \[(\d+)\]: normal symbol `([^']+)')");
    std::vector<Binding> bindings;
    for (const auto& file : std::filesystem::directory_iterator(directory)) {
        std::ifstream in(file.path());
        for (std::string text; std::getline(in, text);) {
            std::smatch match;
            if (std::regex_search(text, match, line)) {
                bindings.push_back(
                    {match[1], std::stoi(match[2]), match[3], std::stoi(match[4]), match[5]});
            }
        }
    }
    return bindings;
}

bool Names(const std::string& path, const char* file) {
    return std::filesystem::path(path).filename() == file;
}

// Runs the streaming test in a child process that logs every symbol binding into directory.
int RunStreamingTestLoggingBindings(const std::filesystem::path& directory) {
    std::vector<std::string> variables = {"LD_DEBUG=bindings",
                                          "LD_DEBUG_OUTPUT=" + (directory / "bindings").string()};
    std::vector<char*> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.push_back(*variable);
    }
    for (std::string& variable : variables) {
        environment.push_back(variable.data());
    }
    environment.push_back(nullptr);
    std::string filter = std::string("--gtest_filter=") + kStreamingTest;
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    char* const args[] = {const_cast<char*>(self.c_str()), filter.data(), nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, self.c_str(), nullptr, nullptr, args, environment.data()) != 0) {
        return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ForeignAravis, NothingOfTheProducerBindsToTheOtherAravis) {
    if (!PrivateNetworkUnavailable().empty()) GTEST_SKIP() << PrivateNetworkUnavailable();
#if !KAVRIN_PLUGIN_OWN_NAMESPACE
    GTEST_SKIP() << "sanitized builds load the real-camera plugin into the process's namespace";
#endif
    char pattern[] = "/tmp/kavrin-bindings-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path directory = pattern;
    ASSERT_EQ(RunStreamingTestLoggingBindings(directory), 0);
    const std::vector<Binding> bindings = ReadBindings(directory);
    std::filesystem::remove_all(directory);

    bool pluginUsesAravis = false;
    std::vector<std::string> wrong;
    for (const Binding& binding : bindings) {
        const bool fromPlugin = Names(binding.from, "libTevold40Aravis.so");
        const bool fromProducer =
            Names(binding.from, "KavrinTL40.cti") || Names(binding.from, "libTevold40.so");
        pluginUsesAravis |= fromPlugin && Names(binding.to, "libaravis-0.8.so.0");
        // Namespaces share only the dynamic linker.
        const bool crossesNamespaces = binding.fromSpace != binding.toSpace &&
                                       binding.to.find("/ld-linux") == std::string::npos;
        if (crossesNamespaces || (fromPlugin && binding.fromSpace == 0) ||
            (fromProducer && binding.symbol.rfind("arv_", 0) == 0)) {
            wrong.push_back(binding.from + " [" + std::to_string(binding.fromSpace) + "] -> " +
                            binding.to + " [" + std::to_string(binding.toSpace) +
                            "]: " + binding.symbol);
        }
    }
    EXPECT_TRUE(pluginUsesAravis) << bindings.size() << " bindings, none of the plugin to Aravis";
    EXPECT_THAT(wrong, ::testing::IsEmpty());
}

}  // namespace
}  // namespace aravis_tests

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Before any thread exists: a namespace change applies to the calling thread and the threads
    // it starts later.
    aravis_tests::EnterPrivateNetwork();
    // The other Aravis is in use before the producer is loaded.
    aravis_tests::ForeignTypeNames();
    return RUN_ALL_TESTS();
}
