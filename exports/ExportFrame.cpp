#include "exports/ExportFrame.h"

#include "events/EventObj.h"
#include "exports/LibraryState.h"
#include "system/TL.h"

namespace GenICam::Client::Export {

bool IsInitialized() { return LibraryState::Instance().IsInitialized(); }

void SetInitialized(bool initialized) { LibraryState::Instance().SetInitialized(initialized); }

GenTL::GC_ERROR Fail(GenTL::GC_ERROR storedCode, const std::string& text,
                     GenTL::GC_ERROR returnedCode) {
    CTLIError::StoreLastError(storedCode, text);
    return returnedCode;
}

GenTL::GC_ERROR Fail(GenTL::GC_ERROR code, const std::string& text) {
    return Fail(code, text, code);
}

GenTL::GC_ERROR FailNotInitialized() {
    return Fail(GenTL::GC_ERR_NOT_INITIALIZED, "GCInitLib was not called.");
}

GenTL::GC_ERROR FailNullHandle() {
    return Fail(GenTL::GC_ERR_INVALID_PARAMETER, "Function call on wrong handle or NULL pointer.",
                GenTL::GC_ERR_INVALID_HANDLE);
}

GenTL::GC_ERROR FailWith(const GenericException& exception) {
    if (!exception.IsSpecificKind()) return FailUnspecified();
    return Fail(exception.Code(), exception.GetDescription());
}

GenTL::GC_ERROR FailUnspecified() {
    return Fail(GenTL::GC_ERR_ERROR, "Unspecified runtime error.");
}

const char* RequiredText(const char* text) { return &Required(text); }

CTL& TLCast(const void* handle) { return CastModule<CTL>(handle, " Invalid TL handle"); }

IPort& PortCast(const void* handle) {
    return CastModule<ICommonBase>(handle, "Invalid Device Handle");
}

IEventSrc& EventSrcCast(const void* handle) {
    return CastModule<ICommonBase>(handle, "Invalid Device Handle");
}

CEventObj& EventCast(const void* handle) {
    auto* event = static_cast<CEventObj*>(
        HandleRegistry::Instance().Lease(handle, HandleRegistry::Kind::Event));
    if (event == nullptr) GENICAM_THROW(InvalidHandleException, "Invalid Event Handle");
    return *event;
}

}  // namespace GenICam::Client::Export
