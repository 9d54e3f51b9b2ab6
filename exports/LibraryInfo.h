// The library information that GCGetInfo, and TLGetInfo without a system module, answer.
#pragma once

#include <optional>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

struct LibraryInfoValue {
    // None when the library's own path holds no "/", so its file name is unknown.
    std::optional<std::string> text;
};

// None for a command the library does not answer itself.
std::optional<LibraryInfoValue> LibraryInfo(GenTL::TL_INFO_CMD command);

}  // namespace GenICam::Client
