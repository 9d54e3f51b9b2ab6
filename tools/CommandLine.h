// The command line of kavrin-grab: a command, its words, and options anywhere among them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/FrameWriter.h"

namespace Kavrin::Tools {

struct CommandLine {
    std::string command;             // list, info, features, set, regs, grab, events or help
    std::vector<std::string> words;  // device, feature names, settings, registers
    std::string cti;                 // --cti
    std::string saveXml;             // --save-xml
    std::string outputFolder;        // -o
    std::string module;              // --module: system, interface, device or stream
    std::string bufferMode;          // --buffer-mode: a StreamBufferHandlingMode value
    std::string loadFile;            // --load: settings applied before the command's own
    std::string saveFile;            // --save: the camera's settings after the grab's
    FrameWriter::Format format = FrameWriter::Format::Png;
    uint64_t frames = 10;       // -n
    uint32_t buffers = 8;       // --buffers
    uint64_t timeoutMs = 5000;  // --timeout
    double triggerRate = 0;     // --trigger-rate, in Hz; 0: no software trigger
    uint64_t seconds = 0;       // --seconds; 0: until Ctrl-C
    bool chunks = false;        // --chunks
    bool events = false;        // --events
    bool json = false;          // --json
    bool overwrite = false;     // --overwrite
    bool version = false;       // --version
    bool bigEndian = false;     // --big-endian: register values of regs
    std::string helpTopic;      // with command "help": the command asked about, if any
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Throws UsageError for anything it cannot read.
CommandLine ParseCommandLine(int argc, const char* const* argv);

// Every command in one page, or one command with its options; empty for an unknown command.
std::string Usage();
std::string CommandUsage(const std::string& command);

}  // namespace Kavrin::Tools
