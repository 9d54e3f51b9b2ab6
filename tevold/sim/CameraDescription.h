#pragma once

#include "tevold/sim/CameraFeatureTable.h"

#include <string>

namespace Tevold::Sim {

// The register description every simulated camera of a transport serves at
// CameraRegister::kDescription, built from the feature table.
const std::string& CameraDescription(Transport transport);
// Its URL, as QueryInfo item 8 reports it.
std::string CameraDescriptionUrl(Transport transport);

}  // namespace Tevold::Sim
