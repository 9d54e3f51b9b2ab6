#include "common/GenICamException.h"

#include <cstdarg>
#include <cstdio>

namespace GenICam::Client {

namespace {
constexpr size_t kMessageCapacity = 256;  // 255 characters and the terminator

std::string CutToMessageLength(std::string text) {
    if (text.size() >= kMessageCapacity) text.resize(kMessageCapacity - 1);
    return text;
}
}  // namespace

GenericException::GenericException(std::string description, const char* sourceFile, int sourceLine)
    : description_(CutToMessageLength(std::move(description))),
      sourceFile_(sourceFile),
      sourceLine_(sourceLine) {}

std::string FormatMessage(const char* format, ...) {
    char buffer[kMessageCapacity];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return written < 0 ? std::string() : std::string(buffer);
}

}  // namespace GenICam::Client
