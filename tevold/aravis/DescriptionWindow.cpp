#include "tevold/aravis/DescriptionWindow.h"

#include "tevold/CamResults.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace Tevold::Aravis {
namespace {

// A file name made of the characters every consumer accepts in a URL.
std::string FileName(const std::string& stem) {
    std::string name;
    for (const char c : stem) {
        name += std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' ? c : '_';
    }
    return (name.empty() ? "Camera" : name) + ".xml";
}

}  // namespace

DescriptionWindow::DescriptionWindow(std::string description, const std::string& fileStem)
    : description_(std::move(description)) {
    char location[64];
    std::snprintf(location, sizeof location, ";%llx;%zx", static_cast<unsigned long long>(kAddress),
                  description_.size());
    url_ = "Local:" + FileName(fileStem) + location;
}

CamResult DescriptionWindow::Read(uint64_t address, void* buffer, size_t size) const {
    const uint64_t offset = address - kAddress;
    if (offset > description_.size() || size > description_.size() - offset) {
        return Result::kInvalidParameter;
    }
    std::memcpy(buffer, description_.data() + offset, size);
    return Result::kSuccess;
}

}  // namespace Tevold::Aravis
