// The register description of a device, found through its port's URL list and read through the
// port, as GenApi consumers get it.
#pragma once

#include <string>

#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

struct DeviceDescription {
    std::string url;
    std::string xml;
};

// Reads "Local:" URLs through the port (zipped descriptions are unpacked) and "file:" URLs from
// disk. Throws std::runtime_error or GenTLError naming what failed.
DeviceDescription DownloadDescription(GenTLProducer& gentl, GenTL::PORT_HANDLE port);

}  // namespace Kavrin::Tools
