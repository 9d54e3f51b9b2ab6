#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace Tevold::Aravis {

// The camera's GenICam description as Aravis read it (unzipped when the camera serves it zipped,
// whatever URL the camera names), served as read-only registers at an address no GigE Vision
// (32-bit) or USB3 Vision camera register reaches, under a "Local:" URL.
class DescriptionWindow {
public:
    static constexpr uint64_t kAddress = 0xF000'0000'0000'0000ULL;

    DescriptionWindow(std::string description, const std::string& fileStem);

    const std::string& Url() const { return url_; }
    bool Covers(uint64_t address) const { return address >= kAddress; }
    CamResult Read(uint64_t address, void* buffer, size_t size) const;

private:
    std::string description_;
    std::string url_;
};

}  // namespace Tevold::Aravis
