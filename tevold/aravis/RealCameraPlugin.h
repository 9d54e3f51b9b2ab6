#pragma once

#include "tevold/aravis/RealCameraEntry.h"
#include "tevold/aravis/ThreadKeyPartition.h"

#include <optional>
#include <string>

namespace Tevold::Aravis {

// The real-camera plugin (kRealCameraPluginFileName, beside this library), loaded into a
// link-map namespace of its own: it gets its own C library, GLib, GObject, GIO and Aravis, so a
// consumer that brings its own Aravis (another version, or the same one) neither receives our
// calls to arv_* nor shares the GObject type names both copies register. Sanitized builds load
// it into the process's namespace instead, because the sanitizer runtimes watch that one only.
class RealCameraPlugin {
public:
    // Loads the plugin on first use. It stays loaded until the process ends: GLib cannot be
    // unloaded, and a process has only a few namespaces to give. Throws std::runtime_error
    // saying why the plugin cannot be loaded.
    static OpenRealCameraBackend& Entry();

    RealCameraPlugin(const RealCameraPlugin&) = delete;
    RealCameraPlugin& operator=(const RealCameraPlugin&) = delete;

private:
    explicit RealCameraPlugin(const std::string& path);

    void* LoadIsolated(const std::string& path);

    std::optional<ThreadKeyPartition> threadKeys_;
    OpenRealCameraBackend* entry_ = nullptr;
};

}  // namespace Tevold::Aravis
