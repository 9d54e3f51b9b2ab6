// The TL* exports: the system module.
#include "common/Helper.h"
#include "exports/ExportFrame.h"
#include "exports/LibraryInfo.h"
#include "exports/LibraryState.h"
#include "interface/Interface.h"
#include "system/TL.h"

using namespace GenICam::Client;

namespace GenTL {

namespace {
// TLGetInfo answers these from the library itself, whatever the handle.
bool AnsweredByLibrary(TL_INFO_CMD command) {
    switch (command) {
        case TL_INFO_ID:
        case TL_INFO_VENDOR:
        case TL_INFO_MODEL:
        case TL_INFO_VERSION:
        case TL_INFO_PATHNAME:
            return true;
        default:
            return false;
    }
}
}  // namespace

GC_ERROR TLOpen(TL_HANDLE* phTL) {
    return Export::Frame([&] {
        TL_HANDLE& handle = Export::Required(phTL);
        handle = LibraryState::Instance().OpenSystem();
    });
}

GC_ERROR TLClose(TL_HANDLE hTL) {
    return Export::Frame(
        [&] { LibraryState::Instance().CloseSystem(Export::ClaimForClose(Export::TLCast(hTL))); });
}

GC_ERROR TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                   size_t* piSize) {
    if (AnsweredByLibrary(iInfoCmd)) {
        if (!Export::IsInitialized()) return Export::FailNotInitialized();
        const auto value = LibraryInfo(iInfoCmd);
        if (!value->text) return GC_ERR_ERROR;
        return Export::Guarded([&] { CopyInfoString(pBuffer, piSize, piType, *value->text); });
    }
    return Export::Frame([&] { Export::TLCast(hTL).GetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR TLGetNumInterfaces(TL_HANDLE hTL, uint32_t* piNumIfaces) {
    return Export::Frame([&] {
        CTL& system = Export::TLCast(hTL);
        uint32_t& count = Export::Required(piNumIfaces);
        count = system.GetNumInterfaces();
    });
}

GC_ERROR TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char* sIfaceID, size_t* piSize) {
    return Export::Frame([&] {
        CopyInfoString(sIfaceID, piSize, nullptr, Export::TLCast(hTL).GetInterfaceID(iIndex));
    });
}

GC_ERROR TLGetInterfaceInfo(TL_HANDLE hTL, const char* sIfaceID, INTERFACE_INFO_CMD iInfoCmd,
                            INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) {
    return Export::Frame([&] {
        CTL& system = Export::TLCast(hTL);
        system.GetInterfaceInfo(Export::RequiredText(sIfaceID), iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR TLOpenInterface(TL_HANDLE hTL, const char* sIfaceID, IF_HANDLE* phIface) {
    return Export::Frame([&] {
        CTL& system = Export::TLCast(hTL);
        IF_HANDLE& handle = Export::Required(phIface);
        handle = system.OpenInterface(Export::RequiredText(sIfaceID));
    });
}

GC_ERROR TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t* pbChanged, uint64_t iTimeout) {
    return Export::Frame([&] { Export::TLCast(hTL).UpdateInterfaceList(pbChanged, iTimeout); });
}

}  // namespace GenTL
