// The system module: TLOpen/TLClose, interface discovery and the system module's own port.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerSystem = ConsumerTest;

std::vector<std::string> InterfaceIds(TL_HANDLE tl) {
    uint32_t count = 0;
    EXPECT_EQ(Gentl().TLGetNumInterfaces(tl, &count), GC_ERR_SUCCESS) << LastErrorText();
    std::vector<std::string> ids;
    for (uint32_t i = 0; i < count; ++i) {
        char id[256] = {};
        size_t size = sizeof id;
        EXPECT_EQ(Gentl().TLGetInterfaceID(tl, i, id, &size), GC_ERR_SUCCESS) << LastErrorText();
        ids.emplace_back(id);
    }
    return ids;
}

Sim::InterfaceConfig CxpInterface() {
    Sim::InterfaceConfig config;
    config.name = "SimCXP9";
    config.idPrefix = "cxp";
    config.tlType = "CXP";
    return config;
}

TEST_F(ConsumerSystem, InterfacesAreDiscoveredWithTheirInformation) {
    const TL_HANDLE tl = OpenSystem();
    // The first count runs a discovery by itself.
    EXPECT_EQ(InterfaceIds(tl), (std::vector<std::string>{kGevInterface, kU3vInterface}));

    size_t size = 0;
    ASSERT_EQ(gentl.TLGetInterfaceID(tl, 0, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, std::strlen(kGevInterface) + 1);
    char id[64] = {};
    size = 2;
    EXPECT_EQ(Failure(gentl.TLGetInterfaceID(tl, 0, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid Buffer Size"));
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(Failure(gentl.TLGetInterfaceID(tl, 0, id, nullptr)), Failed(GC_ERR_INVALID_PARAMETER, "Invalid Size"));
    size = sizeof id;
    EXPECT_EQ(Failure(gentl.TLGetInterfaceID(tl, 2, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Interface Index not available"));

    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, kGevInterface, INTERFACE_INFO_ID)), kGevInterface);
    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, kGevInterface, INTERFACE_INFO_DISPLAYNAME)), "Interface(SimGEV0)");
    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, kGevInterface, INTERFACE_INFO_TLTYPE)), "GEV");
    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, kU3vInterface, INTERFACE_INFO_TLTYPE)), "U3V");
    EXPECT_EQ(Failure(InterfaceInfoOfTL(tl, "GEV::Nowhere", INTERFACE_INFO_ID).result),
              Failed(GC_ERR_INVALID_ID, "Invalid Interface name"));
    EXPECT_EQ(Failure(InterfaceInfoOfTL(tl, kGevInterface, 1000).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid InterfaceInfoID 1000"));
}

TEST_F(ConsumerSystem, InterfaceListFollowsTheHardwareOnUpdate) {
    const TL_HANDLE tl = OpenSystem();
    bool8_t changed = true;
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_FALSE(changed);

    // The list holds still between updates.
    Sim::AddInterface(CxpInterface());
    EXPECT_EQ(InterfaceIds(tl).size(), 2u);
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(InterfaceIds(tl), (std::vector<std::string>{kGevInterface, kU3vInterface, "CXP::SimCXP9"}));
    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, "CXP::SimCXP9", INTERFACE_INFO_TLTYPE)), "CXP");

    // An interface that vanishes leaves the list; one already opened on it stays usable.
    IF_HANDLE gev = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, kGevInterface, &gev), GC_ERR_SUCCESS);
    Sim::RemoveInterface("SimGEV0");
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, nullptr, 100), GC_ERR_SUCCESS);
    EXPECT_EQ(InterfaceIds(tl), (std::vector<std::string>{kU3vInterface, "CXP::SimCXP9"}));
    EXPECT_EQ(Text(IFInfo(gev, INTERFACE_INFO_ID)), kGevInterface);
}

TEST_F(ConsumerSystem, OpenInterfaceAcceptsTheIdOrTheName) {
    const TL_HANDLE tl = OpenSystem();
    IF_HANDLE byName = nullptr;
    IF_HANDLE again = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "SimU3V0", &byName), GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_EQ(gentl.TLOpenInterface(tl, "SimU3V0", &again), GC_ERR_SUCCESS);
    EXPECT_EQ(byName, again);
    EXPECT_EQ(Text(IFInfo(byName, INTERFACE_INFO_ID)), kU3vInterface);

    IF_HANDLE byId = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "gev::simgev0", &byId), GC_ERR_SUCCESS) << LastErrorText();
    EXPECT_EQ(Text(IFInfo(byId, INTERFACE_INFO_ID)), kGevInterface);

    IF_HANDLE none = nullptr;
    EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, "SimNowhere", &none)),
              Failed(GC_ERR_INVALID_ID, "Invalid interface name SimNowhere"));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, "U3V::SimGEV0", &none)),
              Failed(GC_ERR_INVALID_ID, "Invalid interface name U3V::SimGEV0"));
    EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, "", &none)), Failed(GC_ERR_ERROR, "Invalid Device Name"));
    EXPECT_EQ(gentl.TLOpenInterface(tl, kGevInterface, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.TLOpenInterface(tl, nullptr, &none), GC_ERR_INVALID_PARAMETER);

    IF_HANDLE parent = nullptr;
    ASSERT_EQ(gentl.IFGetParentTL(byId, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, tl);
}

TEST_F(ConsumerSystem, SystemModulePort) {
    const TL_HANDLE tl = OpenSystem();
    size_t size = 0;
    ASSERT_EQ(gentl.GCGetPortURL(tl, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 24u);
    char url[24] = {};
    ASSERT_EQ(gentl.GCGetPortURL(tl, url, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(url, "Local:TLRegs.xml;940;0");
    size = 23;
    EXPECT_EQ(gentl.GCGetPortURL(tl, url, &size), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(size, 24u);

    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_ID)), "TL0");
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_MODEL)), "KavrinTL");
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_MODULE)), "TLSystem");
    EXPECT_TRUE(Flag(PortInfo(tl, PORT_INFO_LITTLE_ENDIAN)));
    EXPECT_FALSE(Flag(PortInfo(tl, PORT_INFO_BIG_ENDIAN)));
    EXPECT_TRUE(Flag(PortInfo(tl, PORT_INFO_ACCESS_READ)));
    EXPECT_TRUE(Flag(PortInfo(tl, PORT_INFO_ACCESS_WRITE)));
    EXPECT_FALSE(Flag(PortInfo(tl, PORT_INFO_ACCESS_NA)));
    EXPECT_FALSE(Flag(PortInfo(tl, PORT_INFO_ACCESS_NI)));
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_VERSION)), "1.0.0.0");
    EXPECT_EQ(Text(PortInfo(tl, PORT_INFO_PORTNAME)), "TLPort");
    EXPECT_EQ(Failure(PortInfo(tl, 13).result), Failed(GC_ERR_INVALID_PARAMETER, "Invalid port info command 13"));

    // The port has no registers: a read succeeds and leaves the buffer and size as they were.
    uint32_t value = 0xA5A5A5A5;
    size = sizeof value;
    EXPECT_EQ(gentl.GCReadPort(tl, 0x940, &value, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(value, 0xA5A5A5A5);
    EXPECT_EQ(size, sizeof value);

    EVENT_HANDLE event = nullptr;
    EXPECT_EQ(Failure(gentl.GCRegisterEvent(tl, EVENT_MODULE, &event)),
              Failed(GC_ERR_NOT_IMPLEMENTED, "Event ID 5 not implemented"));
}

TEST_F(ConsumerSystem, TLInfoAndHandleChecks) {
    const TL_HANDLE tl = OpenSystem();
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_DISPLAYNAME)), "Kavrin GenTL");
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_NAME)), "KavrinTL40.cti");
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Failure(TLInfo(tl, 8).result), Failed(GC_ERR_INVALID_PARAMETER, "Invalid TL info command 8"));
    // The library's own texts come whatever the handle; the system's do not.
    EXPECT_EQ(Text(TLInfo(nullptr, TL_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Failure(TLInfo(nullptr, TL_INFO_TLTYPE).result), Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));

    const IF_HANDLE iface = OpenInterface(tl);
    uint32_t count = 0;
    EXPECT_EQ(Failure(gentl.TLClose(iface)), Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));
    EXPECT_EQ(Failure(gentl.TLClose(nullptr)), Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));
    EXPECT_EQ(gentl.TLGetNumInterfaces(reinterpret_cast<void*>(0x1234), &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.TLOpen(nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.TLGetNumInterfaces(tl, nullptr), GC_ERR_INVALID_PARAMETER);

    // TLClose closes the interfaces opened through it; every handle of them goes stale.
    const IF_HANDLE u3v = OpenInterface(tl, kU3vInterface);
    ASSERT_EQ(CloseSystem(tl), GC_ERR_SUCCESS);
    EXPECT_EQ(Failure(gentl.TLGetNumInterfaces(tl, &count)), Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));
    EXPECT_EQ(gentl.IFGetNumDevices(iface, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.IFGetNumDevices(u3v, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.TLClose(tl), GC_ERR_INVALID_HANDLE);
}

}  // namespace
}  // namespace consumer
