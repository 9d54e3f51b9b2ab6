#pragma once

#include "camlib/CamLib.h"
#include "tevold/TransportChoice.h"

#include <vector>

namespace Tevold::Aravis {

// Appends the real-camera backends the choice names, made by the real-camera plugin
// (RealCameraPlugin.h). Without the plugin the other backends still serve; why it is missing
// goes to stderr, as nothing else would tell.
void AddRealCameraBackends(const TransportChoice& choice, std::vector<CamSystem*>& backends);

}  // namespace Tevold::Aravis
