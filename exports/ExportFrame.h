// The frame every export runs in: the initialisation check, the NULL-handle check of the port
// and event exports, handle resolution, one guarded module call, and the translation of any
// escaping exception into a GenTL code stored with its text as the last error.
#pragma once

#include <type_traits>

#include "GenTL.h"
#include "common/GenICamException.h"
#include "common/HandleRegistry.h"
#include "common/ICommonBase.h"
#include "exports/LastError.h"

namespace GenICam::Client {

class CTL;
class CEventObj;

namespace Export {

bool IsInitialized();
void SetInitialized(bool initialized);

// Stores code and text as the last error and returns the code to report.
GenTL::GC_ERROR Fail(GenTL::GC_ERROR storedCode, const std::string& text,
                     GenTL::GC_ERROR returnedCode);
GenTL::GC_ERROR Fail(GenTL::GC_ERROR code, const std::string& text);
GenTL::GC_ERROR FailNotInitialized();
GenTL::GC_ERROR FailNullHandle();
GenTL::GC_ERROR FailWith(const GenericException& exception);
GenTL::GC_ERROR FailUnspecified();

// Runs the body; a body that returns nothing reports success, one that returns a code passes
// it on. No exception leaves. The handles the body resolves stay alive until it returns.
template <class Body>
GenTL::GC_ERROR Guarded(Body&& body) noexcept {
    const LeaseScope leases;
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Body>>) {
            body();
            return GenTL::GC_ERR_SUCCESS;
        } else {
            return body();
        }
    } catch (const GenericException& exception) {
        return FailWith(exception);
    } catch (...) {
        return FailUnspecified();
    }
}

template <class Body>
GenTL::GC_ERROR Frame(Body&& body) noexcept {
    if (!IsInitialized()) return FailNotInitialized();
    return Guarded(std::forward<Body>(body));
}

// The port, event-source and event exports refuse a NULL handle before anything else.
template <class Body>
GenTL::GC_ERROR FrameOnHandle(const void* handle, Body&& body) noexcept {
    if (!IsInitialized()) return FailNotInitialized();
    if (handle == nullptr) return FailNullHandle();
    return Guarded(std::forward<Body>(body));
}

// Places and texts the application must supply.
template <class T>
T& Required(T* output) {
    if (output == nullptr)
        GENICAM_THROW(InvalidParameterException, "Invalid parameter: NULL pointer");
    return *output;
}
const char* RequiredText(const char* text);

// Resolves a module handle to the expected class; anything else raises InvalidHandleException
// with the given text.
template <class Module>
Module& CastModule(const void* handle, const char* failureText) {
    auto* base = static_cast<ICommonBase*>(
        HandleRegistry::Instance().Lease(handle, HandleRegistry::Kind::Module));
    auto* module = dynamic_cast<Module*>(base);
    if (module == nullptr) GENICAM_THROW(InvalidHandleException, "%s", failureText);
    return *module;
}

template <class Module>
Module& HandleCast(const void* handle) {
    return CastModule<Module>(handle, "Invalid Device Handle");
}

// Resolves a module handle for closing it; a second close racing the first is refused.
template <class Module>
Module& ClaimForClose(Module& module) {
    if (!HandleRegistry::Instance().Claim(module.Handle()))
        GENICAM_THROW(InvalidHandleException, "The handle is being closed");
    return module;
}

CTL& TLCast(const void* handle);
IPort& PortCast(const void* handle);
IEventSrc& EventSrcCast(const void* handle);
CEventObj& EventCast(const void* handle);

}  // namespace Export
}  // namespace GenICam::Client
