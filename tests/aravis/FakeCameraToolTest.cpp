// kavrin-fake-camera in its own process: a request that kills Aravis's fake camera does not end
// the tool, which starts the camera again; consumers find it afterwards, and SIGTERM ends it.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "FakeCameraProcess.h"
#include "PrivateNetwork.h"
#include "consumer/ConsumerFixture.h"

namespace aravis_tests {
namespace {

using namespace consumer;

constexpr const char* kDeviceId = "Aravis-Fake-KT0002";

// A GVCP read-memory request for one byte at the top of the address space, which Aravis's fake
// camera does not survive.
void SendDeadlyRead() {
    const int sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(sender, 0);
    const uint8_t packet[] = {0x42, 0x01, 0x00, 0x84, 0x00, 0x08, 0x00, 0x07,
                              0xFF, 0xFF, 0xFF, 0xFC, 0x00, 0x00, 0x00, 0x01};
    sockaddr_in camera{};
    camera.sin_family = AF_INET;
    camera.sin_port = htons(3956);
    camera.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(sendto(sender, packet, sizeof packet, 0, reinterpret_cast<const sockaddr*>(&camera),
                     sizeof camera),
              static_cast<ssize_t>(sizeof packet));
    close(sender);
}

TEST(KavrinFakeCamera, ARequestThatKillsTheCameraRestartsItAndTheToolRunsOn) {
    if (!PrivateNetworkUnavailable().empty()) GTEST_SKIP() << PrivateNetworkUnavailable();
    const std::string running = "Aravis-Fake-KT0002 runs on lo";
    FakeCameraProcess tool("KT0002");
    ASSERT_TRUE(tool.Spawned());
    ASSERT_TRUE(tool.AwaitOutput(running, 1));

    SendDeadlyRead();
    ASSERT_TRUE(tool.AwaitOutput(running, 2)) << "the camera was not started again";
    EXPECT_TRUE(tool.Running());

    // Consumers find the camera started again.
    setenv("KAVRIN_TRANSPORTS", "gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", "lo", 1);
    ASSERT_EQ(Gentl().GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(Gentl().TLOpen(&tl), GC_ERR_SUCCESS);
    ASSERT_EQ(Gentl().TLUpdateInterfaceList(tl, nullptr, 300), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(Gentl().TLOpenInterface(tl, "GEV::lo", &iface), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_TRUE(Eventually([&] {
        Gentl().IFUpdateDeviceList(iface, nullptr, 300);
        const auto ids = DeviceIds(iface);
        return std::find(ids.begin(), ids.end(), kDeviceId) != ids.end();
    }));
    Gentl().GCCloseLib();
    unsetenv("KAVRIN_TRANSPORTS");
    unsetenv("KAVRIN_GEV_INTERFACES");

    const auto [exitCode, err] = tool.Terminate();
    EXPECT_EQ(exitCode, 0) << err;
    EXPECT_THAT(err, ::testing::HasSubstr("the camera died of a request it could not handle"));
}

}  // namespace
}  // namespace aravis_tests
