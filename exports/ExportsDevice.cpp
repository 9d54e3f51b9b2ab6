// The Dev* exports: the device module.
#include "common/Helper.h"
#include "device/Device.h"
#include "exports/ExportFrame.h"
#include "interface/Interface.h"
#include "stream/DataStream.h"

using namespace GenICam::Client;

namespace GenTL {

GC_ERROR DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice) {
    return Export::Frame([&] {
        CDevice& device = Export::HandleCast<CDevice>(hDevice);
        Export::Required(phRemoteDevice) = device.RemotePort().Handle();
    });
}

GC_ERROR DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t* piNumDataStreams) {
    return Export::Frame([&] {
        CDevice& device = Export::HandleCast<CDevice>(hDevice);
        Export::Required(piNumDataStreams) = device.GetNumDataStreams();
    });
}

GC_ERROR DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char* sDataStreamID,
                            size_t* piSize) {
    return Export::Frame([&] {
        CopyInfoString(sDataStreamID, piSize, nullptr,
                       Export::HandleCast<CDevice>(hDevice).GetDataStreamID(iIndex));
    });
}

GC_ERROR DevOpenDataStream(DEV_HANDLE hDevice, const char* sDataStreamID, DS_HANDLE* phDataStream) {
    return Export::Frame([&] {
        CDevice& device = Export::HandleCast<CDevice>(hDevice);
        DS_HANDLE& handle = Export::Required(phDataStream);
        handle = device.OpenDataStream(Export::RequiredText(sDataStreamID));
    });
}

GC_ERROR DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                    void* pBuffer, size_t* piSize) {
    return Export::Frame(
        [&] { Export::HandleCast<CDevice>(hDevice).GetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR DevClose(DEV_HANDLE hDevice) {
    return Export::Frame(
        [&] { Export::ClaimForClose(Export::HandleCast<CDevice>(hDevice)).Close(); });
}

GC_ERROR DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE* phIface) {
    return Export::Frame([&] {
        CDevice& device = Export::HandleCast<CDevice>(hDevice);
        IF_HANDLE& handle = Export::Required(phIface);
        IF_HANDLE iface = device.InterfaceHandle();
        if (iface == nullptr)
            GENICAM_THROW(NotAvailableException, "The device's interface is closed");
        handle = iface;
    });
}

}  // namespace GenTL
