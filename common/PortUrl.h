// A register-description URL as ports report it, taken apart: for the port URL list that
// GenApi-based consumers read instead of the plain URL text, and for tools that download the
// description. Needs nothing but the GenTL header.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

struct PortUrl {
    std::string text;
    GenTL::URL_SCHEME_ID scheme = GenTL::URL_SCHEME_CUSTOM_ID;
    std::string fileName;
    std::optional<uint64_t> registerAddress;  // Local URLs only
    std::optional<uint64_t> fileSize;         // Local URLs only
    std::optional<int32_t> schemaMajor;
    std::optional<int32_t> schemaMinor;

    // Forms: "Local:[///]name;ADDR;LEN[?SchemaVersion=x.y.z]" (hex numbers), "File:///path",
    // "http://host/path"; the scheme is matched without regard to case.
    static PortUrl Parse(const std::string& text);

    // Whether the URL names a description a consumer can load: a Local one of non-zero length,
    // or a file.
    bool NamesDescription() const;
};

}  // namespace GenICam::Client
