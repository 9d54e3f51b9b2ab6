// Shared routines of every module: copying information values into application buffers with
// the GenTL size protocol, the shared texts, the version text and the library's own path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

// The GenTL size protocol: the type is written first; a null size fails with "Invalid Size";
// a null buffer is a size query; a buffer smaller than the value fails with
// "Invalid Buffer Size" and leaves the size as the caller gave it.
void CopyInfoValue(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
                   GenTL::INFO_DATATYPE valueType, const void* value, size_t valueSize);
void CopyInfoString(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
                    const std::string& text);
void CopyInfoInt32(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, int32_t value);
void CopyInfoBool8(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, bool value);

template <class T>
void CopyInfoNumber(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
                    GenTL::INFO_DATATYPE valueType, T value) {
    CopyInfoValue(buffer, size, type, valueType, &value, sizeof value);
}

// Module URLs ("Local:<file>;<address>;<length>" in lower-case hex) are copied with one spare
// zero byte after the terminator; a short buffer learns the size it needs.
void CopyModuleUrl(char* buffer, size_t* size, const std::string& url, size_t spareBytes);
std::string ModuleUrl(const char* fileName, uint32_t address, uint32_t length);

// A NUL-terminated text that the camera library writes through read(buffer, size) into a
// buffer of the given capacity; a text that fills the whole buffer ends with it.
template <class Read>
std::string ReadLibraryText(size_t capacity, Read&& read) {
    std::string text(capacity, '\0');
    size_t size = capacity;
    read(text.data(), &size);
    return text.c_str();
}

std::string VendorName();
std::string ModelName();
std::string TLTypeName();
// The display names: GCGetInfo's of the library, and TLGetInfo's of an opened system module.
std::string LibraryDisplayName();
std::string SystemDisplayName();
std::string ToUpper(const std::string& text);

// The version of the GenTL standard this library implements.
constexpr uint32_t kGenTLVersionMajor = 1;
constexpr uint32_t kGenTLVersionMinor = 5;

// The version of this library: four 16-bit parts, most significant first.
uint64_t GetModuleVersion();
std::string FormatVersion(uint64_t version);

// Full path of this library's file, and the part after its last "/" (none without a "/").
std::string ModulePath();
std::optional<std::string> ModuleFileName();

}  // namespace GenICam::Client
