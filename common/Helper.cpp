#include "common/Helper.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "Version.h"
#include "common/GenICamException.h"

namespace GenICam::Client {

void CopyInfoValue(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
                   GenTL::INFO_DATATYPE valueType, const void* value, size_t valueSize) {
    if (type != nullptr) *type = valueType;
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    if (buffer == nullptr) {
        *size = valueSize;
        return;
    }
    // A zero-sized buffer is refused like any other short buffer: nothing may be written to it.
    if (*size < valueSize) GENICAM_THROW(InvalidParameterException, "Invalid Buffer Size");
    std::memcpy(buffer, value, valueSize);
    *size = valueSize;
}

void CopyInfoString(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
                    const std::string& text) {
    CopyInfoValue(buffer, size, type, GenTL::INFO_DATATYPE_STRING, text.c_str(), text.size() + 1);
}

void CopyInfoInt32(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, int32_t value) {
    CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_INT32, value);
}

void CopyInfoBool8(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type, bool value) {
    CopyInfoNumber<uint8_t>(buffer, size, type, GenTL::INFO_DATATYPE_BOOL8, value ? 1 : 0);
}

void CopyModuleUrl(char* buffer, size_t* size, const std::string& url, size_t spareBytes) {
    const size_t needed = url.size() + 1 + spareBytes;
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Buffer Size");
    if (buffer == nullptr) {
        *size = needed;
        return;
    }
    if (*size < needed) {
        *size = needed;
        GENICAM_THROW(InvalidParameterException, "Invalid Buffer Size");
    }
    std::memset(buffer, 0, needed);
    std::memcpy(buffer, url.c_str(), url.size());
    *size = needed;
}

std::string ModuleUrl(const char* fileName, uint32_t address, uint32_t length) {
    return FormatMessage("Local:%s;%x;%x", fileName, address, length);
}

std::string VendorName() { return "KAVRIN"; }
std::string ModelName() { return "KavrinTL"; }
std::string TLTypeName() { return "Mixed"; }
std::string LibraryDisplayName() { return "JavrinTL for Kavrin cameras"; }
std::string SystemDisplayName() { return "Kavrin GenTL"; }

std::string ToUpper(const std::string& text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

uint64_t GetModuleVersion() { return kLibraryFileVersion; }

std::string FormatVersion(uint64_t version) {
    return FormatMessage("%u.%u.%u.%u", static_cast<unsigned>(version >> 48 & 0xFFFF),
                         static_cast<unsigned>(version >> 32 & 0xFFFF),
                         static_cast<unsigned>(version >> 16 & 0xFFFF),
                         static_cast<unsigned>(version & 0xFFFF));
}

std::string ModulePath() {
    Dl_info info{};
    // Any address inside this library names the file it was loaded from.
    if (dladdr(reinterpret_cast<const void*>(&ModulePath), &info) == 0 || info.dli_fname == nullptr)
        return std::string();
    // The loader keeps the name the application passed to dlopen. Symbolic links stay as they
    // were loaded: consumers compare the path with the one they found the library under. Only a
    // relative name is completed, against the working directory.
    std::error_code failed;
    const std::filesystem::path absolute = std::filesystem::absolute(info.dli_fname, failed);
    return failed ? std::string(info.dli_fname) : absolute.lexically_normal().string();
}

std::optional<std::string> ModuleFileName() {
    const std::string path = ModulePath();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::nullopt;
    return path.substr(slash + 1);
}

}  // namespace GenICam::Client
