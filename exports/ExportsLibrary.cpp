// GCInitLib, GCCloseLib, GCGetInfo, GCGetLastError.
#include <cstring>

#include "common/Helper.h"
#include "exports/ExportFrame.h"
#include "exports/LibraryInfo.h"
#include "exports/LibraryState.h"

using namespace GenICam::Client;

namespace GenTL {

GC_ERROR GCInitLib() {
    Export::SetInitialized(true);
    return GC_ERR_SUCCESS;
}

GC_ERROR GCCloseLib() {
    // Every system the application opened, with everything beneath it, whether or not the
    // application closed anything itself: afterwards no thread of ours runs and the library
    // may be unloaded.
    Export::Guarded([] { LibraryState::Instance().CloseAllSystems(); });
    Export::SetInitialized(false);
    return GC_ERR_SUCCESS;
}

GC_ERROR GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) {
    if (!Export::IsInitialized()) return Export::FailNotInitialized();
    const auto value = LibraryInfo(iInfoCmd);
    if (!value) return Export::Fail(GC_ERR_INVALID_PARAMETER, "Unsupported GCInfo parameter");
    if (value->number) {
        return Export::Guarded(
            [&] { CopyInfoNumber(pBuffer, piSize, piType, INFO_DATATYPE_UINT32, *value->number); });
    }
    if (!value->text) return GC_ERR_ERROR;
    return Export::Guarded([&] { CopyInfoString(pBuffer, piSize, piType, *value->text); });
}

GC_ERROR GCGetLastError(GC_ERROR* piErrorCode, char* sErrText, size_t* piSize) {
    const auto last = CTLIError::Last();
    if (!last) {
        if (piErrorCode != nullptr) *piErrorCode = GC_ERR_NO_DATA;
        return GC_ERR_SUCCESS;
    }
    const size_t needed = last->text.size() + 1;
    if (sErrText != nullptr && piSize != nullptr) {
        if (*piSize < needed) {
            *piSize = needed;
            if (piErrorCode != nullptr) *piErrorCode = last->code;
            return GC_ERR_INVALID_PARAMETER;
        }
        std::memcpy(sErrText, last->text.c_str(), needed);
    }
    if (piSize != nullptr) *piSize = needed;
    if (piErrorCode != nullptr) *piErrorCode = last->code;
    return GC_ERR_SUCCESS;
}

}  // namespace GenTL
