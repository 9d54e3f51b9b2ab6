// The GC* port exports: registers, description URL, port information and the URL list of
// every module and of the remote device port.
#include "common/PortUrlList.h"
#include "exports/ExportFrame.h"

using namespace GenICam::Client;

namespace GenTL {

namespace {
GC_ERROR NotImplementedExport(const char* text) {
    if (!Export::IsInitialized()) return Export::FailNotInitialized();
    return Export::Fail(GC_ERR_INVALID_PARAMETER, text, GC_ERR_NOT_IMPLEMENTED);
}
}  // namespace

GC_ERROR GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer, size_t* piSize) {
    return Export::FrameOnHandle(hPort,
                                 [&] { Export::PortCast(hPort).Read(iAddress, pBuffer, piSize); });
}

GC_ERROR GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void* pBuffer, size_t* piSize) {
    return Export::FrameOnHandle(hPort,
                                 [&] { Export::PortCast(hPort).Write(iAddress, pBuffer, piSize); });
}

GC_ERROR GCGetPortURL(PORT_HANDLE hPort, char* sURL, size_t* piSize) {
    return Export::FrameOnHandle(hPort, [&] { Export::PortCast(hPort).GetURL(sURL, piSize); });
}

GC_ERROR GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                       void* pBuffer, size_t* piSize) {
    return Export::FrameOnHandle(
        hPort, [&] { Export::PortCast(hPort).GetPortInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t* piNumURLs) {
    return Export::FrameOnHandle(hPort, [&] {
        IPort& port = Export::PortCast(hPort);
        Export::Required(piNumURLs) = NumPortUrls(port);
    });
}

GC_ERROR GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd,
                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) {
    return Export::FrameOnHandle(hPort, [&] {
        GetPortUrlInfo(Export::PortCast(hPort), iURLIndex, iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GCReadPortStacked(PORT_HANDLE, PORT_REGISTER_STACK_ENTRY*, size_t*) {
    return NotImplementedExport("GCReadPortStacked() function not implemented");
}

GC_ERROR GCWritePortStacked(PORT_HANDLE, PORT_REGISTER_STACK_ENTRY*, size_t*) {
    return NotImplementedExport("GCWritePortStacked() function not implemented");
}

}  // namespace GenTL
