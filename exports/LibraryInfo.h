// The library information that GCGetInfo, and TLGetInfo without a system module, answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

struct LibraryInfoValue {
    // None when the library's own path holds no "/", so its file name is unknown.
    std::optional<std::string> text;
    // The numbers (the GenTL version) travel as UINT32 instead of a text.
    std::optional<uint32_t> number = std::nullopt;
};

// None for a command the library does not answer itself.
std::optional<LibraryInfoValue> LibraryInfo(GenTL::TL_INFO_CMD command);

}  // namespace GenICam::Client
