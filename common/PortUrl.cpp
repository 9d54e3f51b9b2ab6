#include "common/PortUrl.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace GenICam::Client {

namespace {

std::string ToUpperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::optional<uint64_t> ParseHex(const std::string& digits) {
    if (digits.empty()) return std::nullopt;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(digits.c_str(), &end, 16);
    if (end == nullptr || *end != '\0') return std::nullopt;
    return value;
}

void ParseSchemaVersion(const std::string& query, PortUrl& url) {
    const std::string key = "SCHEMAVERSION=";
    const size_t at = ToUpperAscii(query).find(key);
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

}  // namespace

PortUrl PortUrl::Parse(const std::string& text) {
    PortUrl url;
    url.text = text;
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return url;
    const std::string scheme = ToUpperAscii(text.substr(0, colon));
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

}  // namespace GenICam::Client
