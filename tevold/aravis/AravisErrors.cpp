#include "tevold/aravis/AravisErrors.h"

#include "tevold/CamResults.h"

#include <arv.h>

namespace Tevold::Aravis {

CamResult RegisterResultOf(const GError* error) {
    if (error == nullptr || error->domain != ARV_DEVICE_ERROR) {
        return Result::kIo;
    }
    switch (error->code) {
        case ARV_DEVICE_ERROR_TIMEOUT:
            return Result::kTimeout;
        case ARV_DEVICE_ERROR_NOT_CONTROLLER:
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_ACCESS_DENIED:
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_WRITE_PROTECT:
            return Result::kAccessDenied;
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_NOT_IMPLEMENTED:
            return Result::kNotImplemented;
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_BUSY:
            return Result::kResourceInUse;
        case ARV_DEVICE_ERROR_INVALID_PARAMETER:
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_INVALID_PARAMETER:
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_INVALID_ADDRESS:
        case ARV_DEVICE_ERROR_PROTOCOL_ERROR_BAD_ALIGNMENT:
            return Result::kInvalidParameter;
        case ARV_DEVICE_ERROR_NOT_CONNECTED:
        case ARV_DEVICE_ERROR_NOT_FOUND:
            return Result::kNotAvailable;
        default:
            return Result::kIo;
    }
}

}  // namespace Tevold::Aravis
