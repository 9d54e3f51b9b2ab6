#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tevold {

// Interface registers: one read-only byte space from 0 to the end of the description. Texts are
// NUL-padded to their field's length.
namespace InterfaceRegister {
constexpr uint64_t kIdPrefix = 0x10;  // e.g. "gev"
constexpr uint32_t kIdPrefixLength = 0x20;
constexpr uint64_t kDescriptionUrl = 0x30;  // "Local:<name>.xml;<addr hex>;<len hex>"
constexpr uint32_t kDescriptionUrlLength = 0x70;
constexpr uint64_t kTLType = 0xA0;  // e.g. "GEV"
constexpr uint32_t kTLTypeLength = 0x40;
constexpr uint64_t kInterfaceId = 0x100;  // the interface name
constexpr uint32_t kInterfaceIdLength = 0x40;
constexpr uint64_t kDescription = 0x1000;
}  // namespace InterfaceRegister

// An interface's registers, the same for every transport: a read-only byte space holding its
// texts and its register description (addresses above). Immutable, so safe to read from any
// thread.
class InterfaceRegisterSpace {
public:
    // Throws std::invalid_argument when a text does not fit its field.
    InterfaceRegisterSpace(const std::string& name, const std::string& idPrefix,
                           const std::string& tlType);

    CamResult Read(uint64_t address, void* buffer, size_t size) const;
    CamResult Write(uint64_t address, size_t size) const;

private:
    bool Contains(uint64_t address, size_t size) const;
    void Place(uint64_t address, uint32_t fieldLength, const std::string& text);

    std::vector<uint8_t> bytes_;
};

// The URL under which an interface serves its register description.
std::string InterfaceDescriptionUrl();

}  // namespace Tevold
