#pragma once

#include <string>

namespace Tevold::Sim {

// The register description every simulated camera serves at CameraRegister::kDescription.
const std::string& CameraDescription();
// Its URL, as QueryInfo item 8 reports it.
std::string CameraDescriptionUrl();

}  // namespace Tevold::Sim
