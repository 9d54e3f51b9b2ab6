#include "common/PortUrl.h"

#include <cstdlib>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/ICommonBase.h"

namespace GenICam::Client {

namespace {

std::optional<uint64_t> ParseHex(const std::string& digits) {
    if (digits.empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(digits.c_str(), &end, 16);
    if (end == nullptr || *end != '\0') return std::nullopt;
    return value;
}

void ParseSchemaVersion(const std::string& query, PortUrl& url) {
    const std::string key = "SCHEMAVERSION=";
    const size_t at = ToUpper(query).find(key);
    if (at == std::string::npos) return;
    const char* cursor = query.c_str() + at + key.size();
    char* end = nullptr;
    const long major = std::strtol(cursor, &end, 10);
    if (end == cursor || *end != '.') return;
    cursor = end + 1;
    const long minor = std::strtol(cursor, &end, 10);
    if (end == cursor) return;
    url.schemaMajor = static_cast<int32_t>(major);
    url.schemaMinor = static_cast<int32_t>(minor);
}

void ParseLocalLocation(std::string location, PortUrl& url) {
    if (location.rfind("///", 0) == 0) location.erase(0, 3);
    const size_t query = location.find('?');
    if (query != std::string::npos) {
        ParseSchemaVersion(location.substr(query + 1), url);
        location.erase(query);
    }
    const size_t first = location.find(';');
    const size_t second = first == std::string::npos ? first : location.find(';', first + 1);
    if (second == std::string::npos) {
        url.fileName = location.substr(0, first);
        return;
    }
    url.fileName = location.substr(0, first);
    url.registerAddress = ParseHex(location.substr(first + 1, second - first - 1));
    url.fileSize = ParseHex(location.substr(second + 1));
}

std::string ReadUrlText(IPort& port) {
    constexpr size_t kUrlCapacity = 2048;
    return ReadLibraryText(kUrlCapacity,
                           [&](char* text, size_t* size) { port.GetURL(text, size); });
}

void RaiseNotAvailable(GenTL::URL_INFO_CMD command) {
    GENICAM_THROW(NotAvailableException, "URL info command %d not available", command);
}

template <class T>
T Available(const std::optional<T>& value, GenTL::URL_INFO_CMD command) {
    if (!value) RaiseNotAvailable(command);
    return *value;
}

}  // namespace

PortUrl PortUrl::Parse(const std::string& text) {
    PortUrl url;
    url.text = text;
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return url;
    const std::string scheme = ToUpper(text.substr(0, colon));
    const std::string location = text.substr(colon + 1);
    if (scheme == "LOCAL") {
        url.scheme = GenTL::URL_SCHEME_LOCAL;
        ParseLocalLocation(location, url);
    } else if (scheme == "FILE") {
        url.scheme = GenTL::URL_SCHEME_FILE;
        url.fileName = location.rfind("///", 0) == 0 ? location.substr(2) : location;
        const size_t query = url.fileName.find('?');
        if (query != std::string::npos) {
            ParseSchemaVersion(url.fileName.substr(query + 1), url);
            url.fileName.erase(query);
        }
    } else if (scheme == "HTTP") {
        url.scheme = GenTL::URL_SCHEME_HTTP;
        url.fileName = location;
    }
    return url;
}

bool PortUrl::NamesDescription() const {
    switch (scheme) {
        case GenTL::URL_SCHEME_LOCAL:
            return fileSize.value_or(0) != 0 && registerAddress.has_value();
        case GenTL::URL_SCHEME_FILE:
            return !fileName.empty();
        default:
            return false;
    }
}

void PortUrl::Answer(GenTL::URL_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) const {
    switch (command) {
        case GenTL::URL_INFO_URL:
            return CopyInfoString(buffer, size, type, text);
        case GenTL::URL_INFO_SCHEME:
            return CopyInfoInt32(buffer, size, type, scheme);
        case GenTL::URL_INFO_FILENAME:
            return CopyInfoString(buffer, size, type, fileName);
        case GenTL::URL_INFO_FILE_REGISTER_ADDRESS:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  Available(registerAddress, command));
        case GenTL::URL_INFO_FILE_SIZE:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  Available(fileSize, command));
        case GenTL::URL_INFO_SCHEMA_VER_MAJOR:
            return CopyInfoInt32(buffer, size, type, Available(schemaMajor, command));
        case GenTL::URL_INFO_SCHEMA_VER_MINOR:
            return CopyInfoInt32(buffer, size, type, Available(schemaMinor, command));
        case GenTL::URL_INFO_FILE_VER_MAJOR:
        case GenTL::URL_INFO_FILE_VER_MINOR:
        case GenTL::URL_INFO_FILE_VER_SUBMINOR:
        case GenTL::URL_INFO_FILE_SHA1_HASH:
            RaiseNotAvailable(command);
            break;
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid URL info command %d", command);
    }
}

uint32_t NumPortUrls(IPort& port) {
    try {
        return PortUrl::Parse(ReadUrlText(port)).NamesDescription() ? 1 : 0;
    } catch (const GenericException&) {
        // A port whose URL cannot be read names no description.
        return 0;
    }
}

void GetPortUrlInfo(IPort& port, uint32_t index, GenTL::URL_INFO_CMD command,
                    GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
    const PortUrl url = PortUrl::Parse(ReadUrlText(port));
    if (index != 0 || !url.NamesDescription())
        GENICAM_THROW(InvalidIndexException, "Invalid URL index %u", index);
    url.Answer(command, type, buffer, size);
}

}  // namespace GenICam::Client
