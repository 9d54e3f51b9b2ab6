// The features whose registers live in data that comes with a frame (its chunks) or with a camera
// event, rather than in the camera's register space, read through the GenApi engine.
//
// Aravis 0.8 reads chunk ports only from buffers its own streams filled, and event ports not at
// all. So this is a second engine over the same description with those ports made plain, whose
// register space is the bytes of the one chunk or event being read: each feature still reads
// through its own nodes (address, length, byte order, masks, converters), and which chunk or event
// a feature belongs to is what the engine's node graph says (its ports' ChunkID or EventID).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/GenApiPortDevice.h"

namespace Kavrin::Tools {

class AttachedDataFeatures {
public:
    // featureNames: the description's features, in the order they are to be shown.
    AttachedDataFeatures(const std::string& xml, const std::vector<std::string>& featureNames);

    // The features read from the chunk, or the event, with this ID; empty for an unknown ID.
    std::vector<std::string> ChunkFeatures(uint64_t chunkId) const;
    std::vector<std::string> EventFeatures(uint64_t eventId) const;
    bool HasChunks() const { return !chunks_.empty(); }

    // The feature's value with data as the register space of its port; the error text in angle
    // brackets when the data does not hold it.
    std::string Read(const std::string& name, const uint8_t* data, size_t size);

private:
    std::map<uint64_t, std::vector<std::string>> chunks_;
    std::map<uint64_t, std::vector<std::string>> events_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    ArvDevicePtr device_;
    ArvGcPtr gc_;
};

}  // namespace Kavrin::Tools
