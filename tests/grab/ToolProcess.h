// Runs kavrin-grab as a child process with its output captured, as a user's shell would.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace grabtool {

struct ToolResult {
    bool exited = false;  // false: ended by a signal (or hung and was killed)
    int exitCode = -1;
    std::string out;
    std::string err;
};

struct ToolRun {
    std::vector<std::string> args;
    std::vector<std::pair<std::string, std::string>> environment = {};  // added to this process's
    // Sees the output so far while the tool runs; returning true sends the tool SIGINT (once).
    std::function<bool(const std::string& out)> interruptWhen = {};
    // false: the tool finds producers itself (environment, then its own folder)
    bool giveProducer = true;
    std::string workingDirectory = "";  // empty: this process's
};

// The tool runs against the built producer (--cti) unless args choose otherwise. A tool that
// runs longer than the suite's hang limit is killed and reported as not exited.
ToolResult RunTool(const ToolRun& run);

}  // namespace grabtool
