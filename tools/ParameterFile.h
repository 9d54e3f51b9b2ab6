// A camera's settings as a file of "Feature=Value" lines, applied in the order they stand;
// empty lines and lines starting with # are comments.
#pragma once

#include <string>
#include <vector>

namespace Kavrin::Tools {

// Throws std::runtime_error naming the file, and the line for one that is no setting.
std::vector<std::string> ReadParameterFile(const std::string& path);
void WriteParameterFile(const std::string& path, const std::vector<std::string>& settings);

}  // namespace Kavrin::Tools
