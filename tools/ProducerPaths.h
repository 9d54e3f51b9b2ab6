// Which GenTL producers (.cti files) to load, found the way GenTL consumers find them.
#pragma once

#include <string>
#include <vector>

namespace Kavrin::Tools {

// The environment variable that lists producer folders for this build's word size.
const char* ProducerPathVariable();

// explicitPath when given; else every .cti in the folders of ProducerPathVariable() (sorted by
// name per folder, each file once); else the .cti files beside this executable.
std::vector<std::string> FindProducers(const std::string& explicitPath);

}  // namespace Kavrin::Tools
