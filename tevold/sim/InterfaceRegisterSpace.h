#pragma once

#include "camlib/CamLib.h"
#include "tevold/SimControl.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tevold::Sim {

// An interface's registers: a read-only byte space holding its texts and its register
// description (addresses in SimRegisterMap.h). Immutable, so safe to read from any thread.
class InterfaceRegisterSpace {
public:
    // Throws std::invalid_argument when a text does not fit its field.
    explicit InterfaceRegisterSpace(const InterfaceConfig& config);

    CamResult Read(uint64_t address, void* buffer, size_t size) const;
    CamResult Write(uint64_t address, size_t size) const;

private:
    bool Contains(uint64_t address, size_t size) const;
    void Place(uint64_t address, uint32_t fieldLength, const std::string& text);

    std::vector<uint8_t> bytes_;
};

// The URL under which an interface serves its register description.
std::string InterfaceDescriptionUrl();

}  // namespace Tevold::Sim
