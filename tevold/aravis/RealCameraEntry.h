// The boundary between the camera library and its real-camera plugin, which holds Aravis and
// everything built on it. Only the camera library's own interfaces (CamLib.h) cross it: the
// plugin runs with a C library, GLib and C++ runtime of its own, so nothing allocated on one side
// may be freed on the other, and no exception may cross.
#pragma once

#include "camlib/CamLib.h"

#include <cstddef>
#include <cstdint>

namespace Tevold::Aravis {

enum class RealTransport : uint32_t { kGigEVision = 1, kUsb3Vision = 2 };

// Makes the backend of one transport. gevInterfaceNames (nameCount of them; none allows every
// interface) limits GigE discovery and is ignored for USB3 Vision.
using OpenRealCameraBackend = CamResult(RealTransport transport,
                                        const char* const* gevInterfaceNames, size_t nameCount,
                                        CamSystem** system);

constexpr const char* kRealCameraEntryName = "TevoldOpenRealCameraBackend";
// Installed beside libTevold40.so.
constexpr const char* kRealCameraPluginFileName = "libTevold40Aravis.so";

}  // namespace Tevold::Aravis
