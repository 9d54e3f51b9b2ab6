// The library as a whole: initialisation and sessions, library information, the last-error
// record, and how every family of exports refuses handles that are not theirs.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerLibrary = ConsumerTest;

// One export of each family, called on a given handle, and what it answers for a NULL handle.
struct Export {
    const char* name;
    std::function<GC_ERROR(void*)> call;
    Outcome onNull;
};

// The library reports its file as it was loaded: a consumer that found it through a symbolic
// link sees the link's name and path. This test loads the library in a process of its own,
// through a link, by running itself with the link's path in the environment.
constexpr const char* kLinkedCtiVariable = "KAVRIN_TEST_LINKED_CTI";

TEST(ConsumerLoadedPath, NameAndPathAsLoadedThroughALink) {
    if (const char* linked = std::getenv(kLinkedCtiVariable)) {
        // Never unloaded, as the one the other tests share.
        static GenTLProducer* const loaded = new GenTLProducer(linked);
        GenTLProducer& producer = *loaded;
        ASSERT_EQ(producer.GCInitLib(), GC_ERR_SUCCESS);
        for (const auto& [command, expected] :
             {std::pair{TL_INFO_PATHNAME, std::string(linked)},
              std::pair{TL_INFO_NAME, std::filesystem::path(linked).filename().string()}}) {
            char text[1024] = {};
            size_t size = sizeof text;
            EXPECT_EQ(producer.GCGetInfo(command, nullptr, text, &size), GC_ERR_SUCCESS);
            EXPECT_EQ(std::string(text), expected) << command;
        }
        producer.GCCloseLib();
        return;
    }

    char directory[] = "/tmp/kavrin-linkXXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string link = std::string(directory) + "/Linked.cti";
    ASSERT_EQ(symlink(KAVRIN_CTI_PATH, link.c_str()), 0);
    std::vector<std::string> environment{std::string(kLinkedCtiVariable) + "=" + link};
    for (char** variable = environ; *variable != nullptr; ++variable)
        environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=ConsumerLoadedPath.NameAndPathAsLoadedThroughALink";
    // The tests of a cross build run under an emulator, which has to start the child as well.
    std::string emulator = KAVRIN_TEST_EMULATOR;
    std::vector<char*> argv;
    if (!emulator.empty()) argv.push_back(emulator.data());
    argv.insert(argv.end(), {self.data(), filter.data(), nullptr});
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    std::filesystem::remove_all(directory);
}

TEST_F(ConsumerLibrary, ExportsRefuseBeforeInitAndOnHandlesThatAreNotTheirs) {
    char text[64];
    size_t size = sizeof text;
    uint32_t count = 0;
    INFO_DATATYPE type = 0;
    void* handle = nullptr;
    const Outcome badTL = Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle");
    const Outcome badIF = Failed(GC_ERR_INVALID_HANDLE, " Invalid Interface Handle");
    // Stream exports name the device in their refusal.
    const Outcome badDev = Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle");
    const std::vector<Export> exports = {
        {"TLGetInfo",
         [&](void* h) { return gentl.TLGetInfo(h, TL_INFO_TLTYPE, &type, text, &size); }, badTL},
        {"TLGetNumInterfaces", [&](void* h) { return gentl.TLGetNumInterfaces(h, &count); }, badTL},
        {"TLClose", [&](void* h) { return gentl.TLClose(h); }, badTL},
        {"IFGetNumDevices", [&](void* h) { return gentl.IFGetNumDevices(h, &count); }, badIF},
        {"IFClose", [&](void* h) { return gentl.IFClose(h); }, badIF},
        {"DevGetPort", [&](void* h) { return gentl.DevGetPort(h, &handle); }, badDev},
        {"DevGetInfo",
         [&](void* h) { return gentl.DevGetInfo(h, DEVICE_INFO_ID, &type, text, &size); }, badDev},
        {"DSGetInfo",
         [&](void* h) { return gentl.DSGetInfo(h, STREAM_INFO_ID, &type, text, &size); }, badDev},
        {"DSStartAcquisition",
         [&](void* h) { return gentl.DSStartAcquisition(h, ACQ_START_FLAGS_DEFAULT, 1); }, badDev},
        {"GCReadPort", [&](void* h) { return gentl.GCReadPort(h, 0, text, &size); },
         NullHandleRefused()},
        {"GCGetNumPortURLs", [&](void* h) { return gentl.GCGetNumPortURLs(h, &count); },
         NullHandleRefused()},
        {"GCRegisterEvent",
         [&](void* h) { return gentl.GCRegisterEvent(h, EVENT_NEW_BUFFER, &handle); },
         NullHandleRefused()},
        {"EventGetData", [&](void* h) { return gentl.EventGetData(h, text, &size, 0); },
         NullHandleRefused()},
        {"EventKill", [&](void* h) { return gentl.EventKill(h); }, NullHandleRefused()},
    };
    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    // Handles are never looked at before the initialisation check, so any value will do.
    const Outcome notInitialised = Failed(GC_ERR_NOT_INITIALIZED, "GCInitLib was not called.");
    for (const Export& e : exports) EXPECT_EQ(Failure(e.call(kGarbage)), notInitialised) << e.name;
    EXPECT_EQ(Failure(gentl.GCGetInfo(TL_INFO_VENDOR, &type, nullptr, &size)), notInitialised);
    TL_HANDLE tl = nullptr;
    EXPECT_EQ(Failure(gentl.TLOpen(&tl)), notInitialised);
    // GCGetLastError answers without GCInitLib, and GCCloseLib may be called again.
    EXPECT_EQ(gentl.GCGetLastError(nullptr, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, std::strlen("GCInitLib was not called.") + 1);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);

    // Initialised: a NULL handle and a value that was never a handle are refused by every family.
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    for (const Export& e : exports) {
        EXPECT_EQ(Failure(e.call(nullptr)), e.onNull) << e.name;
        EXPECT_EQ(e.call(kGarbage), GC_ERR_INVALID_HANDLE) << e.name;
        EXPECT_EQ(LastErrorCode(), GC_ERR_INVALID_HANDLE) << e.name;
    }

    // So is a live handle of the wrong module.
    const Camera cam = OpenCamera();
    ASSERT_TRUE(cam);
    const DS_HANDLE ds = OpenStream(cam.dev);
    bool8_t changed = false;
    EXPECT_EQ(Failure(gentl.IFUpdateDeviceList(cam.tl, &changed, 100)),
              Failed(GC_ERR_INVALID_HANDLE, "Invalid Device Handle"));
    EXPECT_EQ(Failure(gentl.IFGetNumDevices(cam.dev, &count)), badIF);
    EXPECT_EQ(Failure(gentl.TLClose(cam.iface)), badTL);
    EXPECT_EQ(DevInfo(cam.iface, DEVICE_INFO_ID).result, GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(DSInfo(cam.dev, STREAM_INFO_ID).result, GC_ERR_INVALID_HANDLE);
    // An event handle is no module handle, and a module handle no event handle.
    const EVENT_HANDLE newBuffer = RegisterEvent(ds, EVENT_NEW_BUFFER);
    EXPECT_EQ(EventInfo(ds, EVENT_EVENT_TYPE).result, GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.EventFlush(cam.dev), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DevGetNumDataStreams(newBuffer, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(DSInfo(newBuffer, STREAM_INFO_ID).result, GC_ERR_INVALID_HANDLE);
}

TEST_F(ConsumerLibrary, LibraryInformation) {
    const std::pair<TL_INFO_CMD, const char*> texts[] = {
        {TL_INFO_ID, "KavrinTL40.cti"},
        {TL_INFO_NAME, "KavrinTL40.cti"},
        {TL_INFO_VENDOR, "KAVRIN"},
        {TL_INFO_MODEL, "KavrinTL"},
        {TL_INFO_VERSION, "1.0.0.0"},
        {TL_INFO_TLTYPE, "Mixed"},
        {TL_INFO_DISPLAYNAME, "JavrinTL for Kavrin cameras"}};
    for (const auto& [command, expected] : texts)
        EXPECT_EQ(Text(GCInfo(command)), expected) << command;

    // The path names the very file that was loaded.
    const std::string path = Text(GCInfo(TL_INFO_PATHNAME));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "KavrinTL40.cti");
    struct stat reported {
    }, loaded{};
    ASSERT_EQ(stat(path.c_str(), &reported), 0) << path;
    ASSERT_EQ(stat(KAVRIN_CTI_PATH, &loaded), 0);
    EXPECT_EQ(reported.st_ino, loaded.st_ino);
    EXPECT_EQ(reported.st_dev, loaded.st_dev);

    // The GenTL version the library implements comes as numbers, through both calls.
    const TL_HANDLE tl = OpenSystem();
    for (const auto& [command, expected] :
         {std::pair{TL_INFO_GENTL_VER_MAJOR, 1u}, std::pair{TL_INFO_GENTL_VER_MINOR, 5u}}) {
        EXPECT_EQ(Value<uint32_t>(GCInfo(command), INFO_DATATYPE_UINT32), expected) << command;
        EXPECT_EQ(Value<uint32_t>(TLInfo(tl, command), INFO_DATATYPE_UINT32), expected) << command;
    }
    for (const TL_INFO_CMD unsupported : {-1, 8, 1000}) {
        EXPECT_EQ(Failure(GCInfo(unsupported).result),
                  Failed(GC_ERR_INVALID_PARAMETER, "Unsupported GCInfo parameter"))
            << unsupported;
    }
}

// The information answers' size protocol is the copy routine's unit test; the last-error record
// has its own.
TEST_F(ConsumerLibrary, SizeProtocolOfTheLastError) {
    ASSERT_EQ(gentl.GCGetInfo(-1, nullptr, nullptr, nullptr), GC_ERR_INVALID_PARAMETER);
    const std::string expected = "Unsupported GCInfo parameter";
    GC_ERROR code = 0;
    size_t size = 0;
    ASSERT_EQ(gentl.GCGetLastError(&code, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_EQ(code, GC_ERR_INVALID_PARAMETER);
    // Too small: the needed size comes back, the text does not.
    std::vector<char> text(expected.size(), 'x');
    size = text.size();
    EXPECT_EQ(gentl.GCGetLastError(&code, text.data(), &size), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(size, expected.size() + 1);
    EXPECT_EQ(text[0], 'x');
    text.assign(size, 'x');
    ASSERT_EQ(gentl.GCGetLastError(&code, text.data(), &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text.data()), expected);

    // Successful calls leave the record alone, and so does reading it.
    EXPECT_EQ(Text(GCInfo(TL_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(LastErrorText(), expected);
    EXPECT_EQ(LastErrorCode(), GC_ERR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace consumer
