#include "tools/CommandLine.h"

#include <algorithm>
#include <limits>

namespace Kavrin::Tools {

const char* const kUsage =
    "usage: kavrin-grab [--cti PATH] COMMAND ...\n"
    "  list                                 interfaces and devices of every producer\n"
    "  info [DEVICE] [--save-xml FILE]      a device's information and register description\n"
    "  features [--module MODULE] [DEVICE] [NAME...] [Feature=Value ...]\n"
    "                                       set, then show features with type, access and\n"
    "                                       value: the camera's, or with --module system,\n"
    "                                       interface, device or stream the producer's own\n"
    "                                       node map of that module\n"
    "  grab [DEVICE] [Feature=Value ...] [-n N] [-o DIR] [--format png|raw]\n"
    "       [--buffers K] [--timeout MS]    set features, stream N frames, store them\n"
    "       [--buffer-mode MODE]            MODE: OldestFirst, OldestFirstOverwrite or\n"
    "                                       NewestOnly, the stream's buffer handling\n"
    "DEVICE is a device ID, SN->serial or USERNAME->name; without it, the first device listed.\n"
    "Without --cti every .cti in the folders of GENICAM_GENTL64_PATH (GENICAM_GENTL32_PATH in a\n"
    "32-bit build) is loaded, else the .cti files beside kavrin-grab.\n";

namespace {

uint64_t Number(const std::string& option, const std::string& text, uint64_t low, uint64_t high) {
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    bool valid = digits;
    uint64_t value = 0;
    try {
        if (digits) value = std::stoull(text);
    } catch (const std::out_of_range&) {
        valid = false;
    }
    if (!valid || value < low || value > high) {
        throw UsageError(option + " takes a number from " + std::to_string(low) + " to " +
                         std::to_string(high) + ", not \"" + text + "\"");
    }
    return value;
}

std::string OneOf(const std::string& option, const std::string& text,
                  const std::vector<std::string>& choices) {
    if (std::find(choices.begin(), choices.end(), text) != choices.end()) return text;
    std::string list;
    for (const auto& choice : choices) list += (list.empty() ? "" : ", ") + choice;
    throw UsageError(option + " is one of " + list + ", not \"" + text + "\"");
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(word + " needs a value");
            return argv[++i];
        };
        if (word == "-h" || word == "--help") {
            line.command = "help";
            return line;
        } else if (word == "--cti") {
            line.cti = value();
        } else if (word == "--save-xml") {
            line.saveXml = value();
        } else if (word == "-o" || word == "--output") {
            line.outputFolder = value();
        } else if (word == "-n" || word == "--frames") {
            line.frames = Number(word, value(), 1, std::numeric_limits<uint64_t>::max() - 1);
        } else if (word == "--buffers") {
            line.buffers = static_cast<uint32_t>(Number(word, value(), 1, 1024));
        } else if (word == "--timeout") {
            line.timeoutMs = Number(word, value(), 1, std::numeric_limits<uint32_t>::max());
        } else if (word == "--module") {
            line.module = OneOf(word, value(), {"system", "interface", "device", "stream"});
        } else if (word == "--buffer-mode") {
            line.bufferMode =
                OneOf(word, value(), {"OldestFirst", "OldestFirstOverwrite", "NewestOnly"});
        } else if (word == "--format") {
            const std::string format = value();
            if (format != "png" && format != "raw")
                throw UsageError("--format is png or raw, not \"" + format + "\"");
            line.format = format == "png" ? FrameWriter::Format::Png : FrameWriter::Format::Raw;
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError("unknown option " + word);
        } else if (line.command.empty()) {
            line.command = word;
        } else {
            line.words.push_back(word);
        }
    }
    static const std::vector<std::string> kCommands{"list", "info", "features", "grab"};
    if (line.command.empty()) throw UsageError("no command given");
    if (std::find(kCommands.begin(), kCommands.end(), line.command) == kCommands.end()) {
        throw UsageError("unknown command \"" + line.command + "\"");
    }
    return line;
}

}  // namespace Kavrin::Tools
