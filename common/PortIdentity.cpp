#include "common/PortIdentity.h"

#include "common/GenICamException.h"
#include "common/Helper.h"

namespace GenICam::Client {

void PortIdentity::Answer(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                          size_t* size) const {
    switch (command) {
        case GenTL::PORT_INFO_ID:
            return CopyInfoString(buffer, size, type, id);
        case GenTL::PORT_INFO_VENDOR:
            return CopyInfoString(buffer, size, type, vendor);
        case GenTL::PORT_INFO_MODEL:
            return CopyInfoString(buffer, size, type, model);
        case GenTL::PORT_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, tlType);
        case GenTL::PORT_INFO_MODULE:
            return CopyInfoString(buffer, size, type, module);
        case GenTL::PORT_INFO_LITTLE_ENDIAN:
            return CopyInfoBool8(buffer, size, type, true);
        case GenTL::PORT_INFO_BIG_ENDIAN:
            return CopyInfoBool8(buffer, size, type, false);
        case GenTL::PORT_INFO_ACCESS_READ:
            return CopyInfoBool8(buffer, size, type, true);
        case GenTL::PORT_INFO_ACCESS_WRITE:
            return CopyInfoBool8(buffer, size, type, true);
        case GenTL::PORT_INFO_ACCESS_NA:
            return CopyInfoBool8(buffer, size, type, false);
        case GenTL::PORT_INFO_ACCESS_NI:
            return CopyInfoBool8(buffer, size, type, false);
        case GenTL::PORT_INFO_VERSION:
            return CopyInfoString(buffer, size, type, version);
        case GenTL::PORT_INFO_PORTNAME:
            return CopyInfoString(buffer, size, type, portName);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid port info command %d", command);
    }
}

}  // namespace GenICam::Client
