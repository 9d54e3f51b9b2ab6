// Camera settings that take several standard features together, for the grab's options.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tools/CameraFeatures.h"

namespace Kavrin::Tools {

// One image per TriggerSoftware: the frame-start trigger on, from software.
void UseSoftwareTrigger(CameraFeatures& features);

// ChunkModeActive, and every chunk ChunkSelector offers enabled.
void EnableAllChunks(CameraFeatures& features);

// EventNotification on for every event EventSelector offers. Returns each event's name by its
// ID, the value of its Event<Name> feature.
std::map<uint64_t, std::string> EnableAllEvents(CameraFeatures& features);

}  // namespace Kavrin::Tools
