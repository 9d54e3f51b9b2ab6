#pragma once

#include "tevold/GenApiXmlWriter.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace Tevold::Sim {

// Which cameras have a feature.
enum class Transport { Any, GigEVision, Usb3Vision };

// One feature of the simulated camera: what the register description says of it and how its
// register behaves. The description and the register space are both built from this one table.
struct CameraFeature {
    GenApiXmlWriter::Feature node;
    std::string_view category;
    double defaultValue = 0;
    std::string_view selector;   // feature whose value picks which value the register holds
    uint32_t selectorCount = 1;  // how many values it holds
    Transport transport = Transport::Any;
    bool formatLocked = false;  // refused while acquiring or while TLParamsLocked is set
    bool changesImage = false;  // the next image looks different
    bool inUserSet = false;     // saved and loaded with the user sets
    bool computed = false;      // the camera works the value out; nothing is stored
    bool isCommand() const { return node.kind == GenApiXmlWriter::Kind::Command; }
};

const std::vector<CameraFeature>& CameraFeatures();
// The feature at exactly this address for this camera, or nullptr.
const CameraFeature* FindCameraFeature(uint64_t address, Transport transport);

// Chunk data features: which ChunkSelector value each shows and how many bytes it has.
struct ChunkFeature {
    std::string_view name;
    std::string_view toolTip;
    uint32_t chunk;
    uint32_t length;
    GenApiXmlWriter::Kind kind;
};
const std::vector<ChunkFeature>& ChunkFeatures();

// Event data features: for each EventSelector value, the event's name.
const std::vector<std::pair<std::string_view, uint32_t>>& EventEntries();

Transport TransportOf(std::string_view tlType);

}  // namespace Tevold::Sim
