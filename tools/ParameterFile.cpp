#include "tools/ParameterFile.h"

#include <fstream>
#include <stdexcept>

namespace Kavrin::Tools {

std::vector<std::string> ReadParameterFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) throw std::runtime_error("cannot open " + path);
    std::vector<std::string> settings;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        line = line.substr(start, line.find_last_not_of(" \t") + 1 - start);
        if (line.find('=') == std::string::npos || line[0] == '=')
            throw std::runtime_error(path + ":" + std::to_string(number) + ": \"" + line +
                                     "\" is not a Feature=Value line");
        settings.push_back(line);
    }
    return settings;
}

void WriteParameterFile(const std::string& path, const std::vector<std::string>& settings) {
    std::ofstream file(path);
    for (const auto& setting : settings) file << setting << '\n';
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace Kavrin::Tools
