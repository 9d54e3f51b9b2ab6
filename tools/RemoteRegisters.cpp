#include "tools/RemoteRegisters.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tools/GenTLError.h"

namespace Kavrin::Tools {

namespace {

// Registers are reached by at most this many bytes at once; a larger read is a mistake.
constexpr size_t kMaxLength = 1 << 20;

uint64_t ParseNumber(const std::string& text, const std::string& word, const char* what) {
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno == ERANGE)
        throw std::runtime_error("\"" + word + "\": " + what + " \"" + text +
                                 "\" is not a number (0x... for hex)");
    return value;
}

}  // namespace

RegisterRequest ParseRegisterRequest(const std::string& word) {
    RegisterRequest request;
    std::string location = word;
    if (const size_t equals = word.find('='); equals != std::string::npos) {
        location = word.substr(0, equals);
        request.value = ParseNumber(word.substr(equals + 1), word, "the value");
    }
    if (const size_t colon = location.find(':'); colon != std::string::npos) {
        request.length = ParseNumber(location.substr(colon + 1), word, "the length");
        location = location.substr(0, colon);
        if (request.length == 0 || request.length > kMaxLength)
            throw std::runtime_error("\"" + word + "\": the length is 1 to " +
                                     std::to_string(kMaxLength) + " bytes");
    }
    request.address = ParseNumber(location, word, "the address");
    if (request.value && request.length > 8)
        throw std::runtime_error("\"" + word + "\": a value fills at most 8 bytes");
    if (request.value && request.length < 8 && *request.value >> (8 * request.length) != 0)
        throw std::runtime_error("\"" + word + "\": the value does not fit in " +
                                 std::to_string(request.length) + " bytes");
    return request;
}

std::vector<uint8_t> ValueBytes(uint64_t value, size_t length, bool bigEndian) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<uint8_t>(value >> (8 * i));
        bytes[bigEndian ? length - 1 - i : i] = byte;
    }
    return bytes;
}

std::string HexDump(uint64_t address, const std::vector<uint8_t>& bytes, bool bigEndian) {
    std::string text;
    char part[32];
    for (size_t line = 0; line < bytes.size(); line += 16) {
        std::snprintf(part, sizeof part,
                      "0x%08llx:", static_cast<unsigned long long>(address + line));
        text += part;
        for (size_t i = line; i < bytes.size() && i < line + 16; ++i) {
            std::snprintf(part, sizeof part, " %02x", bytes[i]);
            text += part;
        }
        if (line + 16 < bytes.size()) text += '\n';
    }
    const size_t size = bytes.size();
    if (size == 1 || size == 2 || size == 4 || size == 8) {
        uint64_t value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= uint64_t{bytes[bigEndian ? size - 1 - i : i]} << (8 * i);
        std::snprintf(part, sizeof part, " = 0x%0*llx", static_cast<int>(2 * size),
                      static_cast<unsigned long long>(value));
        text += part;
        text += " (" + std::to_string(value) + ")";
    }
    return text;
}

std::vector<uint8_t> RemoteRegisters::Read(uint64_t address, size_t length) {
    std::vector<uint8_t> bytes(length);
    size_t size = length;
    CheckGenTL(gentl_, gentl_.GCReadPort(port_, address, bytes.data(), &size), "GCReadPort");
    bytes.resize(size);
    return bytes;
}

void RemoteRegisters::Write(uint64_t address, const std::vector<uint8_t>& bytes) {
    size_t size = bytes.size();
    CheckGenTL(gentl_, gentl_.GCWritePort(port_, address, bytes.data(), &size), "GCWritePort");
    if (size != bytes.size())
        throw std::runtime_error("GCWritePort wrote " + std::to_string(size) + " of " +
                                 std::to_string(bytes.size()) + " bytes");
}

}  // namespace Kavrin::Tools
