// The library as a whole: initialisation, library information and the last-error record.
#include <sys/stat.h>

#include <functional>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerLibrary = ConsumerTest;

TEST_F(ConsumerLibrary, EveryExportButTheLibraryOnesRefusesBeforeInit) {
    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);

    // Handles are never looked at before the initialisation check, so any value will do.
    void* const h = reinterpret_cast<void*>(0x1234);
    char text[64] = {};
    size_t size = sizeof text;
    uint32_t count = 0;
    INFO_DATATYPE type = 0;
    EVENT_HANDLE event = nullptr;
    const std::vector<std::pair<const char*, std::function<GC_ERROR()>>> calls = {
        {"GCGetInfo", [&] { return gentl.GCGetInfo(TL_INFO_VENDOR, &type, text, &size); }},
        {"TLOpen", [&] { return gentl.TLOpen(&event); }},
        {"TLGetInfo", [&] { return gentl.TLGetInfo(h, TL_INFO_VENDOR, &type, text, &size); }},
        {"TLGetNumInterfaces", [&] { return gentl.TLGetNumInterfaces(h, &count); }},
        {"IFGetNumDevices", [&] { return gentl.IFGetNumDevices(h, &count); }},
        {"DevGetPort", [&] { return gentl.DevGetPort(h, &event); }},
        {"DSGetInfo", [&] { return gentl.DSGetInfo(h, STREAM_INFO_ID, &type, text, &size); }},
        {"DSStartAcquisition", [&] { return gentl.DSStartAcquisition(h, ACQ_START_FLAGS_DEFAULT, 1); }},
        {"GCReadPort", [&] { return gentl.GCReadPort(h, 0, text, &size); }},
        {"GCGetNumPortURLs", [&] { return gentl.GCGetNumPortURLs(h, &count); }},
        {"GCRegisterEvent", [&] { return gentl.GCRegisterEvent(h, EVENT_NEW_BUFFER, &event); }},
        {"EventGetData", [&] { return gentl.EventGetData(h, text, &size, 0); }},
        {"EventKill", [&] { return gentl.EventKill(h); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(Failure(call()), Failed(GC_ERR_NOT_INITIALIZED, "GCInitLib was not called.")) << name;
    }

    // GCGetLastError answers without GCInitLib, and GCCloseLib may be called again.
    size_t textSize = 0;
    EXPECT_EQ(gentl.GCGetLastError(nullptr, nullptr, &textSize), GC_ERR_SUCCESS);
    EXPECT_EQ(textSize, std::strlen("GCInitLib was not called.") + 1);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
}

TEST_F(ConsumerLibrary, InitTwiceThenOneCloseEndsTheSession) {
    EXPECT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLOpen(&tl), GC_ERR_NOT_INITIALIZED);

    // A new session works as the first did.
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    tl = OpenSystem();
    uint32_t count = 0;
    EXPECT_EQ(gentl.TLGetNumInterfaces(tl, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
}

TEST_F(ConsumerLibrary, LibraryInformation) {
    EXPECT_EQ(Text(GCInfo(TL_INFO_ID)), "KavrinTL40.cti");
    EXPECT_EQ(Text(GCInfo(TL_INFO_NAME)), "KavrinTL40.cti");
    EXPECT_EQ(Text(GCInfo(TL_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Text(GCInfo(TL_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(Text(GCInfo(TL_INFO_VERSION)), "1.0.0.0");
    EXPECT_EQ(Text(GCInfo(TL_INFO_TLTYPE)), "Mixed");
    const Info display = GCInfo(TL_INFO_DISPLAYNAME);
    EXPECT_EQ(Text(display), "JavrinTL for Kavrin cameras");
    EXPECT_EQ(display.size, 28u);

    // The path names the very file that was loaded.
    const std::string path = Text(GCInfo(TL_INFO_PATHNAME));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "KavrinTL40.cti");
    struct stat reported {}, loaded {};
    ASSERT_EQ(stat(path.c_str(), &reported), 0) << path;
    ASSERT_EQ(stat(KAVRIN_CTI_PATH, &loaded), 0);
    EXPECT_EQ(reported.st_ino, loaded.st_ino);
    EXPECT_EQ(reported.st_dev, loaded.st_dev);

    for (const TL_INFO_CMD unsupported : {-1, 8, 1000}) {
        const Info info = GCInfo(unsupported);
        EXPECT_EQ(Failure(info.result), Failed(GC_ERR_INVALID_PARAMETER, "Unsupported GCInfo parameter"))
            << unsupported;
    }
}

TEST_F(ConsumerLibrary, InformationSizeProtocol) {
    const std::string vendor = "KAVRIN";
    INFO_DATATYPE type = -1;
    size_t size = 0;
    ASSERT_EQ(gentl.GCGetInfo(TL_INFO_VENDOR, &type, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_STRING);
    EXPECT_EQ(size, vendor.size() + 1);

    // Exactly large enough, with no type wanted.
    char exact[7];
    std::memset(exact, 'x', sizeof exact);
    size = sizeof exact;
    ASSERT_EQ(gentl.GCGetInfo(TL_INFO_VENDOR, nullptr, exact, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(exact, "KAVRIN");
    EXPECT_EQ(size, sizeof exact);

    // One byte short: nothing written, the caller's size kept.
    char shortBuffer[6];
    std::memset(shortBuffer, 'x', sizeof shortBuffer);
    size = sizeof shortBuffer;
    EXPECT_EQ(Failure(gentl.GCGetInfo(TL_INFO_VENDOR, &type, shortBuffer, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Buffer Size"));
    EXPECT_EQ(size, sizeof shortBuffer);
    EXPECT_EQ(shortBuffer[0], 'x');

    EXPECT_EQ(Failure(gentl.GCGetInfo(TL_INFO_VENDOR, &type, exact, nullptr)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Size"));
}

TEST_F(ConsumerLibrary, LastErrorSizeProtocol) {
    ASSERT_EQ(gentl.GCGetInfo(-1, nullptr, nullptr, nullptr), GC_ERR_INVALID_PARAMETER);
    const std::string expected = "Unsupported GCInfo parameter";
    const size_t needed = expected.size() + 1;

    GC_ERROR code = 0;
    size_t size = 0;
    ASSERT_EQ(gentl.GCGetLastError(&code, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(code, GC_ERR_INVALID_PARAMETER);

    std::vector<char> text(needed, 'x');
    size = text.size();
    ASSERT_EQ(gentl.GCGetLastError(&code, text.data(), &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(text.data()), expected);
    EXPECT_EQ(size, needed);

    // Too small: the needed size and the code come back, the text does not.
    std::vector<char> tooSmall(needed - 1, 'x');
    size = tooSmall.size();
    code = 0;
    EXPECT_EQ(gentl.GCGetLastError(&code, tooSmall.data(), &size), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(code, GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(tooSmall[0], 'x');

    // Successful calls leave the record alone, and so does reading it.
    EXPECT_EQ(Text(GCInfo(TL_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(LastErrorText(), expected);
    EXPECT_EQ(LastErrorCode(), GC_ERR_INVALID_PARAMETER);
}

TEST_F(ConsumerLibrary, CloseLibClosesOnlyTheCurrentSystem) {
    const TL_HANDLE first = OpenSystem();
    TL_HANDLE second = nullptr;
    ASSERT_EQ(gentl.TLOpen(&second), GC_ERR_SUCCESS);
    ASSERT_NE(first, second);

    // GCCloseLib closes the newer system; the older one lives on into the next session.
    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    uint32_t count = 0;
    EXPECT_EQ(gentl.TLGetNumInterfaces(first, &count), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(Failure(gentl.TLGetNumInterfaces(second, &count)),
              Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));

    // Closing an older system clears the current one: GCCloseLib then closes nothing more.
    TL_HANDLE third = nullptr;
    ASSERT_EQ(gentl.TLOpen(&third), GC_ERR_SUCCESS);
    ASSERT_EQ(CloseSystem(first), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLGetNumInterfaces(third, &count), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(gentl.TLClose(third), GC_ERR_SUCCESS);
}

}  // namespace
}  // namespace consumer
