// What a module's port tells about itself through GCGetPortInfo. Every port of this library
// is little-endian and readable and writable; only the texts differ between modules.
#pragma once

#include <string>

#include "GenTL.h"

namespace GenICam::Client {

struct PortIdentity {
    std::string id;
    std::string vendor;
    std::string model;
    std::string tlType;
    std::string module;
    std::string version;
    std::string portName;

    void Answer(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                size_t* size) const;
};

}  // namespace GenICam::Client
