// The IF* exports: the interface module.
#include "common/Helper.h"
#include "device/Device.h"
#include "exports/ExportFrame.h"
#include "interface/Interface.h"
#include "system/TL.h"

using namespace GenICam::Client;

namespace GenTL {

namespace {
CInterface& InterfaceCast(IF_HANDLE handle) {
    return Export::CastModule<CInterface>(handle, " Invalid Interface Handle");
}
}  // namespace

GC_ERROR IFClose(IF_HANDLE hIface) {
    return Export::Frame([&] { Export::ClaimForClose(InterfaceCast(hIface)).Close(); });
}

GC_ERROR IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                   void* pBuffer, size_t* piSize) {
    return Export::Frame(
        [&] { InterfaceCast(hIface).GetInfoRecord()->GetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR IFGetNumDevices(IF_HANDLE hIface, uint32_t* piNumDevices) {
    return Export::Frame([&] {
        CInterface& iface = InterfaceCast(hIface);
        Export::Required(piNumDevices) = iface.GetNumDevices();
    });
}

GC_ERROR IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID, size_t* piSize) {
    return Export::Frame([&] {
        CopyInfoString(sIDeviceID, piSize, nullptr, InterfaceCast(hIface).GetDeviceID(iIndex));
    });
}

GC_ERROR IFUpdateDeviceList(IF_HANDLE hIface, bool8_t* pbChanged, uint64_t iTimeout) {
    return Export::Frame(
        [&] { Export::HandleCast<CInterface>(hIface).UpdateDeviceList(pbChanged, iTimeout); });
}

GC_ERROR IFGetDeviceInfo(IF_HANDLE hIface, const char* sDeviceID, DEVICE_INFO_CMD iInfoCmd,
                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) {
    return Export::Frame([&] {
        CInterface& iface = Export::HandleCast<CInterface>(hIface);
        iface.GetDeviceInfo(Export::RequiredText(sDeviceID), iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR IFOpenDevice(IF_HANDLE hIface, const char* sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag,
                      DEV_HANDLE* phDevice) {
    return Export::Frame([&] {
        CInterface& iface = Export::HandleCast<CInterface>(hIface);
        DEV_HANDLE& handle = Export::Required(phDevice);
        handle = iface.OpenDevice(Export::RequiredText(sDeviceID), iOpenFlag);
    });
}

GC_ERROR IFGetParentTL(IF_HANDLE hIface, TL_HANDLE* phSystem) {
    return Export::Frame([&] {
        CInterface& iface = Export::HandleCast<CInterface>(hIface);
        Export::Required(phSystem) = iface.GetSystem().Handle();
    });
}

}  // namespace GenTL
