// The camera library's hand-written parsers, case by case: the transport list read from the
// environment and the GigE Vision discovery acknowledge.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tevold/TransportChoice.h"
#include "tevold/aravis/GevDiscoveryReply.h"

namespace {

using Tevold::TransportChoice;

TEST(TransportChoice, TransportListsAndInterfaceLists) {
    struct Case {
        const char* transports;
        const char* interfaces;
        bool simulator, gev, u3v;
        std::vector<std::string> gevInterfaces;
    };
    const Case cases[] = {
        {nullptr, nullptr, true, false, false, {}},
        {"", "", true, false, false, {}},
        {" , ,", nullptr, true, false, false, {}},
        {"gev", nullptr, false, true, false, {}},
        {"sim,gev,u3v", nullptr, true, true, true, {}},
        {" u3v ,\tsim ", nullptr, true, false, true, {}},
        {"GEV", nullptr, false, false, false, {}},
        {"usb", nullptr, false, false, false, {}},
        {"sim,sim", "lo", true, false, false, {"lo"}},
        {"gev", "eth0, lo ,,enp3s0", false, true, false, {"eth0", "lo", "enp3s0"}},
    };
    for (const Case& c : cases) {
        const auto choice = TransportChoice::Parse(c.transports, c.interfaces);
        const std::string at = std::string("transports '") + (c.transports ? c.transports : "") +
                               "' interfaces '" + (c.interfaces ? c.interfaces : "") + "'";
        EXPECT_EQ(choice.simulator, c.simulator) << at;
        EXPECT_EQ(choice.gev, c.gev) << at;
        EXPECT_EQ(choice.u3v, c.u3v) << at;
        EXPECT_EQ(choice.gevNetworkInterfaces, c.gevInterfaces) << at;
    }
}

#if defined(TEVOLD_WITH_ARAVIS)
using Tevold::Aravis::ParseDiscoveryReply;

// A discovery acknowledge's payload of the given size, with its text fields and addresses.
std::vector<uint8_t> Reply(size_t size) {
    std::vector<uint8_t> payload(size, 0);
    const auto put = [&](size_t offset, const std::string& text) {
        if (offset + text.size() <= size) std::memcpy(&payload[offset], text.data(), text.size());
    };
    const uint8_t mac[] = {0x00, 0x11, 0x22, 0xaa, 0xbb, 0xcc};
    if (size >= 0x10) std::memcpy(&payload[0x0A], mac, sizeof mac);
    const uint8_t ip[] = {192, 168, 7, 42};
    if (size >= 0x28) std::memcpy(&payload[0x24], ip, sizeof ip);
    put(0x48, "Kavrin");
    put(0x68, std::string(32, 'M'));  // a full field carries no NUL
    put(0x88, "1.2.3");
    put(0xD8, "KS0042");
    put(0xE8, "line-left");
    return payload;
}

TEST(GevDiscoveryReply, FieldsAtTheirOffsetsAndShortRepliesRefused) {
    const auto record = ParseDiscoveryReply(Reply(0xF8));
    ASSERT_TRUE(record.has_value());
    char address[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &record->address, address, sizeof address);
    EXPECT_STREQ(address, "192.168.7.42");
    EXPECT_EQ(record->macAddress, "00:11:22:aa:bb:cc");
    EXPECT_EQ(record->vendor, "Kavrin");
    EXPECT_EQ(record->model, std::string(32, 'M'));
    EXPECT_EQ(record->version, "1.2.3");
    EXPECT_EQ(record->serialNumber, "KS0042");
    EXPECT_EQ(record->userName, "line-left");

    EXPECT_TRUE(ParseDiscoveryReply(Reply(0x100)).has_value());
    for (const size_t shortSize : {size_t{0}, size_t{0x24}, size_t{0xF7}})
        EXPECT_FALSE(ParseDiscoveryReply(Reply(shortSize)).has_value()) << shortSize;
}
#endif

}  // namespace
