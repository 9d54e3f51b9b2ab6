// The system module: interface discovery and information, opening interfaces and TLGetInfo.
#include <tuple>

#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerSystem = ConsumerTest;

TEST_F(ConsumerSystem, InterfaceListFollowsTheHardwareOnUpdate) {
    const TL_HANDLE tl = OpenSystem();
    // The first count runs a discovery by itself.
    EXPECT_EQ(InterfaceIds(tl), (std::vector<std::string>{kGevInterface, kU3vInterface}));
    bool8_t changed = false;
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_FALSE(changed);
    size_t size = 0;
    ASSERT_EQ(gentl.TLGetInterfaceID(tl, 0, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, std::strlen(kGevInterface) + 1);
    char id[64] = {};
    size = sizeof id;
    EXPECT_EQ(Failure(gentl.TLGetInterfaceID(tl, 2, id, &size)),
              Failed(GC_ERR_INVALID_PARAMETER, "Interface Index not available"));
    EXPECT_EQ(gentl.TLGetNumInterfaces(tl, nullptr), GC_ERR_INVALID_PARAMETER);

    // The list holds still between updates.
    Sim::AddInterface({"SimCXP9", "cxp", "CXP", {}});
    EXPECT_EQ(InterfaceIds(tl).size(), 2u);
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(InterfaceIds(tl),
              (std::vector<std::string>{kGevInterface, kU3vInterface, "CXP::SimCXP9"}));
    EXPECT_EQ(Text(InterfaceInfoOfTL(tl, "CXP::SimCXP9", INTERFACE_INFO_TLTYPE)), "CXP");

    // An interface that vanishes leaves the list; one already opened on it stays usable.
    const IF_HANDLE gev = OpenInterface(tl);
    Sim::RemoveInterface("SimGEV0");
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 100), GC_ERR_SUCCESS);
    EXPECT_TRUE(changed);
    EXPECT_EQ(InterfaceIds(tl), (std::vector<std::string>{kU3vInterface, "CXP::SimCXP9"}));
    EXPECT_EQ(Text(IFInfo(gev, INTERFACE_INFO_ID)), kGevInterface);
}

TEST_F(ConsumerSystem, InterfaceInformationAndOpeningByIdOrName) {
    const TL_HANDLE tl = OpenSystem();
    IF_HANDLE byName = nullptr;
    IF_HANDLE again = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "SimU3V0", &byName), GC_ERR_SUCCESS) << LastErrorText();
    ASSERT_EQ(gentl.TLOpenInterface(tl, "SimU3V0", &again), GC_ERR_SUCCESS);
    EXPECT_EQ(byName, again);
    IF_HANDLE byId = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, "gev::simgev0", &byId), GC_ERR_SUCCESS) << LastErrorText();
    IF_HANDLE parent = nullptr;
    ASSERT_EQ(gentl.IFGetParentTL(byId, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, tl);

    // The system and the open interface answer alike.
    const std::tuple<IF_HANDLE, const char*, const char*, const char*> interfaces[] = {
        {byId, kGevInterface, "Interface(SimGEV0)", "GEV"},
        {byName, kU3vInterface, "Interface(SimU3V0)", "U3V"}};
    for (const auto& [iface, id, displayName, tlType] : interfaces) {
        EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_ID)), id);
        EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_DISPLAYNAME)), displayName);
        EXPECT_EQ(Text(IFInfo(iface, INTERFACE_INFO_TLTYPE)), tlType);
        EXPECT_EQ(Text(InterfaceInfoOfTL(tl, id, INTERFACE_INFO_DISPLAYNAME)), displayName);
        EXPECT_EQ(Text(InterfaceInfoOfTL(tl, id, INTERFACE_INFO_TLTYPE)), tlType);
        EXPECT_EQ(Failure(IFInfo(iface, 1000).result),
                  Failed(GC_ERR_INVALID_PARAMETER, "Invalid InterfaceInfoID 1000"));
    }
    EXPECT_EQ(Failure(InterfaceInfoOfTL(tl, "GEV::Nowhere", INTERFACE_INFO_ID).result),
              Failed(GC_ERR_INVALID_ID, "Invalid Interface name"));
    EXPECT_EQ(Failure(InterfaceInfoOfTL(tl, kGevInterface, 1000).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid InterfaceInfoID 1000"));

    IF_HANDLE none = nullptr;
    for (const char* name : {"SimNowhere", "U3V::SimGEV0"}) {
        EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, name, &none)),
                  Failed(GC_ERR_INVALID_ID, std::string("Invalid interface name ") + name));
    }
    EXPECT_EQ(Failure(gentl.TLOpenInterface(tl, "", &none)),
              Failed(GC_ERR_ERROR, "Invalid Device Name"));
    EXPECT_EQ(gentl.TLOpenInterface(tl, kGevInterface, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.TLOpenInterface(tl, nullptr, &none), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(none, nullptr);
}

TEST_F(ConsumerSystem, SystemInformation) {
    const TL_HANDLE tl = OpenSystem();
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_DISPLAYNAME)), "Kavrin GenTL");
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_NAME)), "KavrinTL40.cti");
    EXPECT_EQ(Text(TLInfo(tl, TL_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Failure(TLInfo(tl, 8).result),
              Failed(GC_ERR_INVALID_PARAMETER, "Invalid TL info command 8"));
    // The library's own texts come whatever the handle; the system's do not.
    EXPECT_EQ(Text(TLInfo(nullptr, TL_INFO_VENDOR)), "KAVRIN");
    EXPECT_EQ(Failure(TLInfo(nullptr, TL_INFO_TLTYPE).result),
              Failed(GC_ERR_INVALID_HANDLE, " Invalid TL handle"));
    EXPECT_EQ(gentl.TLOpen(nullptr), GC_ERR_INVALID_PARAMETER);
}

}  // namespace
}  // namespace consumer
