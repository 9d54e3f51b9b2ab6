#include "exports/ExportFrame.h"

#include <atomic>

#include "system/TL.h"

namespace GenICam::Client::Export {

namespace {
std::atomic<bool> libraryInitialized{false};
std::atomic<CTL*> currentSystem{nullptr};
}  // namespace

bool IsInitialized() { return libraryInitialized.load(); }

void SetInitialized(bool initialized) { libraryInitialized.store(initialized); }

CTL* CurrentSystem() { return currentSystem.load(); }

void SetCurrentSystem(CTL* system) { currentSystem.store(system); }

GenTL::GC_ERROR Fail(GenTL::GC_ERROR storedCode, const std::string& text,
                     GenTL::GC_ERROR returnedCode) {
    CTLIError::StoreLastError(storedCode, text);
    return returnedCode;
}

GenTL::GC_ERROR Fail(GenTL::GC_ERROR code, const std::string& text) { return Fail(code, text, code); }

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

IPort& PortCast(const void* handle) { return CastModule<ICommonBase>(handle, "Invalid Device Handle"); }

IEventSrc& EventSrcCast(const void* handle) {
    return CastModule<ICommonBase>(handle, "Invalid Device Handle");
}

CEventObj& EventCast(const void* handle) {
    CEventObj* event = HandleRegistry::Instance().LeaseEvent(handle);
    if (event == nullptr) GENICAM_THROW(InvalidHandleException, "Invalid Event Handle");
    return *event;
}

}  // namespace GenICam::Client::Export
