#include "tevold/TextOutput.h"

#include "tevold/CamResults.h"

#include <cstring>

namespace Tevold {

CamResult WriteText(std::string_view text, void* buffer, size_t* size) {
    if (size == nullptr) {
        return Result::kInvalidParameter;
    }
    const size_t needed = text.size() + 1;
    if (buffer == nullptr || *size < needed) {
        const bool askedForSize = buffer == nullptr;
        *size = needed;
        return askedForSize ? Result::kSuccess : Result::kBufferTooSmall;
    }
    auto* bytes = static_cast<char*>(buffer);
    std::memcpy(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    *size = needed;
    return Result::kSuccess;
}

}  // namespace Tevold
