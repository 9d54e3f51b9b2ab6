#include "tools/StandardFeatureSetup.h"

#include <stdexcept>

namespace Kavrin::Tools {

namespace {

void Require(CameraFeatures& features, const std::string& name, const char* option) {
    if (!features.Has(name))
        throw std::runtime_error(std::string(option) + " needs the camera feature " + name +
                                 ", which this camera does not offer");
}

}  // namespace

void UseSoftwareTrigger(CameraFeatures& features) {
    for (const char* name : {"TriggerMode", "TriggerSource", "TriggerSoftware"})
        Require(features, name, "--trigger-rate");
    if (features.Has("TriggerSelector")) features.Apply("TriggerSelector=FrameStart");
    features.Apply("TriggerMode=On");
    features.Apply("TriggerSource=Software");
}

void EnableAllChunks(CameraFeatures& features) {
    Require(features, "ChunkModeActive", "--chunks");
    features.Apply("ChunkModeActive=true");
    if (!features.Has("ChunkSelector")) return;
    for (const auto& chunk : features.Entries("ChunkSelector")) {
        features.Apply("ChunkSelector=" + chunk);
        if (features.Has("ChunkEnable")) features.Apply("ChunkEnable=true");
    }
}

std::map<uint64_t, std::string> EnableAllEvents(CameraFeatures& features) {
    for (const char* name : {"EventSelector", "EventNotification"})
        Require(features, name, "--events");
    std::map<uint64_t, std::string> names;
    for (const auto& event : features.Entries("EventSelector")) {
        features.Apply("EventSelector=" + event);
        features.Apply("EventNotification=On");
        if (features.Has("Event" + event))
            names[static_cast<uint64_t>(features.Integer("Event" + event))] = event;
    }
    return names;
}

}  // namespace Kavrin::Tools
