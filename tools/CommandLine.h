// The command line of kavrin-grab: a command, its words, and options anywhere among them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/FrameWriter.h"

namespace Kavrin::Tools {

struct CommandLine {
    std::string command;             // list, info, features, grab or help
    std::vector<std::string> words;  // device, feature names and Feature=Value settings
    std::string cti;                 // --cti
    std::string saveXml;             // --save-xml
    std::string outputFolder;        // -o
    std::string module;              // --module: system, interface, device or stream
    std::string bufferMode;          // --buffer-mode: a StreamBufferHandlingMode value
    FrameWriter::Format format = FrameWriter::Format::Png;
    uint64_t frames = 10;       // -n
    uint32_t buffers = 8;       // --buffers
    uint64_t timeoutMs = 5000;  // --timeout
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws UsageError for anything it cannot read.
CommandLine ParseCommandLine(int argc, const char* const* argv);

extern const char* const kUsage;

}  // namespace Kavrin::Tools
