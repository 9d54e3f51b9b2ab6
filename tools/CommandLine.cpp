#include "tools/CommandLine.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace Kavrin::Tools {

namespace {

struct CommandHelp {
    const char* name;
    const char* synopsis;
    const char* options;  // one option a line, already indented
};

// Options that every command takes.
constexpr const char* kCommonOptions =
    "  --cti PATH          load this producer only (a bare file name: the current folder's)\n"
    "  -h, --help          this help\n";

constexpr CommandHelp kCommands[] = {
    {"list", "list [--json]", "  --json              one JSON document\n"},
    {"info", "info [DEVICE] [--save-xml FILE] [--json]",
     "  --save-xml FILE     store the register description as downloaded\n"
     "  --json              one JSON document\n"},
    {"features", "features [DEVICE] [NAME...] [Feature=Value...] [--module MODULE] [--json]",
     "  --module MODULE     system, interface, device or stream: the producer's node map of\n"
     "                      that module instead of the camera's\n"
     "  --json              one JSON document\n"},
    {"set", "set [DEVICE] Feature=Value... [--load FILE] [--module MODULE] [--json]",
     "  --load FILE         apply the Feature=Value lines of FILE first\n"
     "  --module MODULE     system, interface, device or stream: the producer's node map\n"
     "  --json              one JSON document\n"},
    {"regs", "regs [DEVICE] ADDRESS[:LEN][=VALUE]... [--big-endian]",
     "  ADDRESS             a remote-device register address (0x... hex, or decimal)\n"
     "  :LEN                bytes to read or write (default 4), shown as a hex dump\n"
     "  =VALUE              write VALUE in LEN bytes, then read them back\n"
     "  --big-endian        values in big-endian byte order (default little-endian)\n"},
    {"grab",
     "grab [DEVICE] [Feature=Value...] [-n N] [-o DIR] [--format png|raw] [--overwrite]\n"
     "       [--buffers K] [--timeout MS] [--buffer-mode MODE] [--trigger-rate HZ]\n"
     "       [--chunks] [--events] [--load FILE] [--save FILE] [--json]",
     "  -n, --frames N      frames to take (default 10)\n"
     "  -o, --output DIR    store each frame in DIR as frame-000001.png, ...\n"
     "  --format png|raw    raw: the bytes as delivered, with a frame-000001.json beside\n"
     "  --overwrite         write into a DIR that already holds frames\n"
     "  --buffers K         buffers announced to the stream (default 8)\n"
     "  --timeout MS        wait for each frame at most MS (default 5000)\n"
     "  --buffer-mode MODE  OldestFirst, OldestFirstOverwrite or NewestOnly\n"
     "  --trigger-rate HZ   trigger each frame by software at HZ\n"
     "  --chunks            turn chunk data on and show each frame's chunks\n"
     "  --events            turn the camera's events on and show them\n"
     "  --load FILE         apply the Feature=Value lines of FILE first\n"
     "  --save FILE         store the camera's settings as Feature=Value lines\n"
     "  --json              the summary as one JSON document\n"},
    {"events", "events [DEVICE] [--seconds N]",
     "  --seconds N         listen N seconds (default: until Ctrl-C)\n"},
    {"help", "help [COMMAND]", ""},
};

const CommandHelp* HelpOf(const std::string& command) {
    for (const auto& help : kCommands) {
        if (command == help.name) return &help;
    }
    return nullptr;
}

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

double Rate(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value > 0 && value <= 100000))
        throw UsageError(option + " takes a rate in Hz above 0 and up to 100000, not \"" + text +
                         "\"");
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

std::string Usage() {
    std::string text = "usage: kavrin-grab [--cti PATH] COMMAND ...\n";
    for (const auto& help : kCommands) text += std::string("  ") + help.synopsis + "\n";
    text +=
        "DEVICE is a device ID, SN->serial or USERNAME->name; without it, the first device "
        "listed.\n"
        "Without --cti every .cti in the folders of GENICAM_GENTL64_PATH (GENICAM_GENTL32_PATH in "
        "a\n32-bit build) is loaded, else the .cti files beside kavrin-grab.\n"
        "kavrin-grab help COMMAND shows a command's options; kavrin-grab --version its version.\n";
    return text;
}

std::string CommandUsage(const std::string& command) {
    const CommandHelp* help = HelpOf(command);
    if (help == nullptr) return "";
    return std::string("usage: kavrin-grab ") + help->synopsis + "\n" + help->options +
           kCommonOptions;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw UsageError(word + " needs a value");
            return argv[++i];
        };
        if (word == "-h" || word == "--help") {
            help = true;
        } else if (word == "--version") {
            line.version = true;
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
        } else if (word == "--seconds") {
            line.seconds = Number(word, value(), 1, 1000000);
        } else if (word == "--trigger-rate") {
            line.triggerRate = Rate(word, value());
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
        } else if (word == "--load") {
            line.loadFile = value();
        } else if (word == "--save") {
            line.saveFile = value();
        } else if (word == "--chunks") {
            line.chunks = true;
        } else if (word == "--events") {
            line.events = true;
        } else if (word == "--json") {
            line.json = true;
        } else if (word == "--big-endian") {
            line.bigEndian = true;
        } else if (word == "--overwrite") {
            line.overwrite = true;
        } else if (word.size() > 1 && word[0] == '-') {
            throw UsageError("unknown option " + word);
        } else if (line.command.empty()) {
            line.command = word;
        } else {
            line.words.push_back(word);
        }
    }
    if (line.version) return line;
    if (help || line.command == "help") {
        line.helpTopic =
            line.command == "help" ? (line.words.empty() ? "" : line.words.front()) : line.command;
        line.command = "help";
        if (!line.helpTopic.empty() && HelpOf(line.helpTopic) == nullptr)
            throw UsageError("unknown command \"" + line.helpTopic + "\"");
        return line;
    }
    if (line.command.empty()) throw UsageError("no command given");
    if (HelpOf(line.command) == nullptr)
        throw UsageError("unknown command \"" + line.command + "\"");
    return line;
}

}  // namespace Kavrin::Tools
