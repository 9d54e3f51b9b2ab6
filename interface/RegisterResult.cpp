#include "interface/RegisterResult.h"

#include <cinttypes>

#include "common/GenICamException.h"

namespace GenICam::Client {

void CheckRegisterResult(Tevold::CamResult result, uint64_t address, RegisterAccess access) {
    const bool reading = access == RegisterAccess::Read;
    switch (result) {
        case GenTL::GC_ERR_ERROR:
            GENICAM_THROW(RuntimeException, "Unspecified runtime error.");
        case GenTL::GC_ERR_NOT_INITIALIZED:
            GENICAM_THROW(InvalidHandleException, "Not invalid.");
        case GenTL::GC_ERR_NOT_IMPLEMENTED:
            GENICAM_THROW(NotImplementedException, "Register 0x%" PRIX64 " is not implemented",
                          address);
        case GenTL::GC_ERR_RESOURCE_IN_USE:
            GENICAM_THROW(ResourceInUseException, "Resource in use.");
        case GenTL::GC_ERR_ACCESS_DENIED:
            GENICAM_THROW(AccessDeniedException,
                          reading ? "Register 0x%" PRIX64 " is not readable."
                                  : "Register 0x%" PRIX64 " is not writable.",
                          address);
        case GenTL::GC_ERR_INVALID_HANDLE:
            GENICAM_THROW(InvalidHandleException, "Not invalid handle.");
        case GenTL::GC_ERR_INVALID_ID:
            GENICAM_THROW(InvalidIdException, "Invalid id.");
        case GenTL::GC_ERR_NO_DATA:
            GENICAM_THROW(NoDataException, "No data.");
        case GenTL::GC_ERR_INVALID_PARAMETER:
            GENICAM_THROW(InvalidParameterException, "Invalid parameter");
        case GenTL::GC_ERR_IO:
            GENICAM_THROW(IoException,
                          reading ? "Read register 0x%" PRIX64 " is failed."
                                  : "Write register 0x%" PRIX64 " is failed.",
                          address);
        case GenTL::GC_ERR_TIMEOUT:
            GENICAM_THROW(TimeoutException, "Timeout");
        case GenTL::GC_ERR_ABORT:
            GENICAM_THROW(AbortException, "Wait terminated.");
        case GenTL::GC_ERR_INVALID_BUFFER:
            GENICAM_THROW(InvalidBufferException, "Invalid Buffer");
        case GenTL::GC_ERR_NOT_AVAILABLE:
            GENICAM_THROW(NotAvailableException, "Port is not available");
        default:
            return;
    }
}

}  // namespace GenICam::Client
