#include "tools/ProducerPaths.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace Kavrin::Tools {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> ProducersIn(const fs::path& folder) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (entry.path().extension() == ".cti" && entry.is_regular_file(error)) {
            found.push_back(entry.path().string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

fs::path ExecutableFolder() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : executable.parent_path();
}

}  // namespace

const char* ProducerPathVariable() {
    return sizeof(void*) == 4 ? "GENICAM_GENTL32_PATH" : "GENICAM_GENTL64_PATH";
}

std::vector<std::string> FindProducers(const std::string& explicitPath) {
    // dlopen looks for a bare file name in the library folders; a user means the current one.
    if (!explicitPath.empty())
        return {explicitPath.find('/') == std::string::npos ? "./" + explicitPath : explicitPath};
    std::vector<std::string> found;
    if (const char* folders = std::getenv(ProducerPathVariable())) {
        std::istringstream list(folders);
        std::string folder;
        while (std::getline(list, folder, ':')) {
            if (folder.empty()) continue;
            for (auto& path : ProducersIn(folder)) {
                if (std::find(found.begin(), found.end(), path) == found.end())
                    found.push_back(path);
            }
        }
    }
    if (!found.empty()) return found;
    found = ProducersIn(ExecutableFolder());
    // Installed, the tool sits in bin/ and the producer in the library folder beside it.
    return found.empty()
               ? ProducersIn(ExecutableFolder().parent_path() / KAVRIN_INSTALLED_PRODUCER_DIR)
               : found;
}

}  // namespace Kavrin::Tools
