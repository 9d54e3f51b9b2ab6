// kavrin-grab: lists, inspects, configures and grabs from cameras through any GenTL producer,
// using nothing but the producer's exported C functions and Aravis's GenApi engine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tools/AttachedDataFeatures.h"
#include "tools/CameraEventListener.h"
#include "tools/CameraFeatures.h"
#include "tools/CommandLine.h"
#include "tools/DeviceCatalog.h"
#include "tools/DeviceDescription.h"
#include "tools/FrameGrabber.h"
#include "tools/GenTLError.h"
#include "tools/InterruptWatcher.h"
#include "tools/JsonWriter.h"
#include "tools/ModuleNodeMap.h"
#include "tools/OpenedDevice.h"
#include "tools/ParameterFile.h"
#include "tools/ProducerPaths.h"
#include "tools/ProgressDisplay.h"
#include "tools/RemoteRegisters.h"
#include "tools/StandardFeatureSetup.h"

namespace Kavrin::Tools {

using namespace GenTL;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

// Columns as wide as their widest cell, two spaces apart.
void PrintTable(const std::vector<std::vector<std::string>>& rows, const char* indent) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    for (const auto& row : rows) {
        std::string line = indent;
        for (size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        std::printf("%s\n", line.c_str());
    }
}

void WriteDevice(JsonWriter& json, const DeviceEntry& device) {
    json.BeginObject()
        .Member("id", device.id)
        .Member("vendor", device.vendor)
        .Member("model", device.model)
        .Member("serial", device.serialNumber)
        .Member("userName", device.userName)
        .Member("tlType", device.tlType)
        .Member("access", AccessStatusName(device.accessStatus))
        .EndObject();
}

int ListJson(DeviceCatalog& catalog) {
    JsonWriter json(std::cout);
    json.BeginObject().Key("producers").BeginArray();
    for (auto& producer : catalog.Producers()) {
        json.BeginObject()
            .Member("path", producer->Path())
            .Member("vendor", producer->LibraryText(TL_INFO_VENDOR))
            .Member("model", producer->LibraryText(TL_INFO_MODEL))
            .Member("version", producer->LibraryText(TL_INFO_VERSION))
            .Key("interfaces")
            .BeginArray();
        for (const auto& iface : producer->Interfaces()) {
            json.BeginObject().Member("id", iface.id).Member("tlType", iface.tlType);
            json.Key("devices").BeginArray();
            for (const auto& device : iface.devices) WriteDevice(json, device);
            json.EndArray().EndObject();
        }
        json.EndArray().EndObject();
    }
    json.EndArray().EndObject();
    return 0;
}

int List(DeviceCatalog& catalog, const CommandLine& line) {
    if (line.json) return ListJson(catalog);
    for (auto& producer : catalog.Producers()) {
        std::printf("%s (%s %s %s)\n", producer->Path().c_str(),
                    producer->LibraryText(TL_INFO_VENDOR).c_str(),
                    producer->LibraryText(TL_INFO_MODEL).c_str(),
                    producer->LibraryText(TL_INFO_VERSION).c_str());
        for (const auto& iface : producer->Interfaces()) {
            std::printf("  interface %s (%s)\n", iface.id.c_str(), iface.tlType.c_str());
            if (iface.devices.empty()) continue;
            std::vector<std::vector<std::string>> rows{
                {"ID", "vendor", "model", "serial", "user name", "TL", "access"}};
            for (const auto& device : iface.devices) {
                rows.push_back({device.id, device.vendor, device.model, device.serialNumber,
                                device.userName, device.tlType,
                                AccessStatusName(device.accessStatus)});
            }
            PrintTable(rows, "    ");
        }
    }
    return 0;
}

std::string DeviceOf(const CommandLine& line) {
    if (line.words.size() > 1) throw UsageError("more than one device given");
    return line.words.empty() ? "" : line.words.front();
}

int Info(DeviceCatalog& catalog, const CommandLine& line) {
    const DeviceLocation location = catalog.Select(DeviceOf(line));
    OpenedDevice device(*location.producer, location.iface->handle, location.device->id);
    const std::pair<const char*, DEVICE_INFO_CMD> texts[] = {
        {"ID", DEVICE_INFO_ID},
        {"vendor", DEVICE_INFO_VENDOR},
        {"model", DEVICE_INFO_MODEL},
        {"serial number", DEVICE_INFO_SERIAL_NUMBER},
        {"user name", DEVICE_INFO_USER_DEFINED_NAME},
        {"version", DEVICE_INFO_VERSION},
        {"display name", DEVICE_INFO_DISPLAYNAME},
        {"TL type", DEVICE_INFO_TLTYPE},
    };
    const DeviceDescription description = DownloadDescription(device.GenTL(), device.RemotePort());
    if (!line.saveXml.empty()) {
        std::ofstream file(line.saveXml, std::ios::binary);
        if (!(file << description.xml)) throw std::runtime_error("cannot write " + line.saveXml);
    }
    if (line.json) {
        JsonWriter json(std::cout);
        json.BeginObject().Member("interface", location.iface->id);
        for (const auto& [label, command] : texts) json.Member(label, device.InfoText(command));
        json.Member("description", description.url)
            .Member("descriptionSize", description.xml.size());
        if (!line.saveXml.empty()) json.Member("savedTo", line.saveXml);
        json.EndObject();
        return 0;
    }
    std::printf("%-16s %s\n", "interface", location.iface->id.c_str());
    for (const auto& [label, command] : texts)
        std::printf("%-16s %s\n", label, device.InfoText(command).c_str());
    std::printf("%-16s %s\n", "description", description.url.c_str());
    std::printf("%-16s %zu bytes\n", "description size", description.xml.size());
    if (!line.saveXml.empty()) std::printf("description saved to %s\n", line.saveXml.c_str());
    return 0;
}

// A command's words: the device when the first one names one, then feature names and settings.
struct CommandWords {
    std::string device;
    std::vector<std::string> names;
    std::vector<std::string> settings;
    bool deviceNamed = false;
};

bool IsDevice(DeviceCatalog& catalog, const std::string& word) {
    if (word.find("->") != std::string::npos) return true;
    try {
        catalog.Select(word);
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

CommandWords SplitWords(DeviceCatalog& catalog, const std::vector<std::string>& words) {
    CommandWords split;
    for (const auto& word : words)
        (word.find('=') != std::string::npos ? split.settings : split.names).push_back(word);
    if (!split.names.empty() && IsDevice(catalog, split.names.front())) {
        split.device = split.names.front();
        split.deviceNamed = true;
        split.names.erase(split.names.begin());
    }
    return split;
}

// A first word that is neither a device nor a feature was meant as a device: said so, with the
// devices there are.
void RefuseUnknownFirstWord(DeviceCatalog& catalog, const CommandWords& words,
                            CameraFeatures& features) {
    if (!words.deviceNamed && !words.names.empty() && !features.Knows(words.names.front()))
        catalog.Select(words.names.front());
}

std::vector<std::string> SettingsOf(const CommandLine& line, const CommandWords& words) {
    std::vector<std::string> settings;
    if (!line.loadFile.empty()) settings = ReadParameterFile(line.loadFile);
    settings.insert(settings.end(), words.settings.begin(), words.settings.end());
    return settings;
}

int Features(DeviceCatalog& catalog, const CommandLine& line) {
    const CommandWords words = SplitWords(catalog, line.words);
    ModuleNodeMap nodeMap(catalog.Select(words.device), line.module);
    CameraFeatures& features = nodeMap.Features();
    RefuseUnknownFirstWord(catalog, words, features);
    for (const auto& setting : SettingsOf(line, words)) features.Apply(setting);
    if (line.json) {
        JsonWriter json(std::cout);
        if (words.names.empty()) {
            features.WriteTree(json);
        } else {
            features.WriteNamed(json, words.names);
        }
    } else if (words.names.empty()) {
        features.PrintTree(std::cout);
    } else {
        features.PrintNamed(std::cout, words.names);
    }
    return 0;
}

// Applies each setting in order and shows what the feature reads back after it.
int Set(DeviceCatalog& catalog, const CommandLine& line) {
    const CommandWords words = SplitWords(catalog, line.words);
    if (!words.names.empty())
        throw UsageError("set takes Feature=Value settings, not \"" + words.names.front() + "\"");
    const std::vector<std::string> settings = SettingsOf(line, words);
    if (settings.empty()) throw UsageError("set needs at least one Feature=Value setting");
    const DeviceLocation location = catalog.Select(words.device);
    ModuleNodeMap nodeMap(location, line.module);
    CameraFeatures& features = nodeMap.Features();
    std::vector<std::pair<std::string, std::string>> readBack;
    for (const auto& setting : settings) {
        features.Apply(setting);
        const std::string name = setting.substr(0, setting.find('='));
        readBack.emplace_back(name, features.ReadBack(name));
    }
    if (line.json) {
        JsonWriter json(std::cout);
        json.BeginObject().Member("device", location.device->id);
        json.Member("module", line.module.empty() ? "remote" : line.module);
        json.Key("features").BeginArray();
        for (const auto& [name, value] : readBack)
            json.BeginObject().Member("name", name).Member("value", value).EndObject();
        json.EndArray().EndObject();
    } else {
        for (const auto& [name, value] : readBack)
            std::printf("%s=%s\n", name.c_str(), value.c_str());
    }
    return 0;
}

int Registers(DeviceCatalog& catalog, const CommandLine& line) {
    std::string deviceName;
    std::vector<RegisterRequest> requests;
    for (const auto& word : line.words) {
        if (requests.empty() && deviceName.empty() && IsDevice(catalog, word)) {
            deviceName = word;
            continue;
        }
        try {
            requests.push_back(ParseRegisterRequest(word));
        } catch (const std::runtime_error& error) {
            throw UsageError(error.what());
        }
    }
    if (requests.empty()) throw UsageError("regs needs at least one register address");
    const DeviceLocation location = catalog.Select(deviceName);
    OpenedDevice device(*location.producer, location.iface->handle, location.device->id);
    RemoteRegisters registers(device.GenTL(), device.RemotePort());
    for (const auto& request : requests) {
        if (request.value) {
            registers.Write(request.address,
                            ValueBytes(*request.value, request.length, line.bigEndian));
        }
        const std::string dump = HexDump(
            request.address, registers.Read(request.address, request.length), line.bigEndian);
        std::printf("%s%s\n", dump.c_str(), request.value ? " (written)" : "");
    }
    return 0;
}

void WriteSummary(JsonWriter& json, const GrabStatistics& statistics) {
    json.Member("frames", statistics.Frames());
    if (statistics.HasRate()) {
        json.Member("seconds", statistics.Seconds())
            .Member("fps", statistics.FramesPerSecond())
            .Member("megabytesPerSecond", statistics.MegabytesPerSecond());
    }
    json.Member("lost", statistics.Lost())
        .Member("incomplete", statistics.Incomplete())
        .Member("underruns", statistics.Underruns())
        .Member("frameIdGaps", statistics.Gaps());
    if (const auto& packets = statistics.Packets()) {
        json.Key("packets")
            .BeginObject()
            .Member("received", packets->received)
            .Member("missing", packets->missing)
            .Member("resent", packets->resent)
            .Member("ignored", packets->ignored)
            .Member("resendRequests", packets->resendRequests)
            .EndObject();
    }
}

// What a grab or a listener shows as it goes: lines on stdout, or with --json records kept for
// the one document at the end. Events come from the listener's thread.
class GrabReport {
public:
    explicit GrabReport(bool json) : json_(json) {}

    void Chunks(uint64_t frameId, const std::vector<std::pair<std::string, std::string>>& values) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (json_) {
            chunks_.emplace_back(frameId, values);
            return;
        }
        std::string line = "frame " + std::to_string(frameId);
        for (size_t i = 0; i < values.size(); ++i)
            line += (i == 0 ? ": " : ", ") + values[i].first + "=" + values[i].second;
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    }

    void Event(const CameraEvent& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (json_) {
            events_.push_back(event);
            return;
        }
        std::printf("%s\n", EventLine(event).c_str());
        std::fflush(stdout);
    }

    void WriteRecords(JsonWriter& json) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!chunks_.empty()) {
            json.Key("chunks").BeginArray();
            for (const auto& [frameId, values] : chunks_) {
                json.BeginObject().Member("frameId", frameId);
                for (const auto& [name, value] : values) json.Member(name, value);
                json.EndObject();
            }
            json.EndArray();
        }
        if (events_.empty()) return;
        json.Key("events").BeginArray();
        for (const auto& event : events_) {
            json.BeginObject().Member("id", event.id).Member("name", event.name);
            for (const auto& [name, value] : event.data) json.Member(name, value);
            json.EndObject();
        }
        json.EndArray();
    }

private:
    const bool json_;
    std::mutex mutex_;
    std::vector<std::pair<uint64_t, std::vector<std::pair<std::string, std::string>>>> chunks_;
    std::vector<CameraEvent> events_;
};

int Grab(DeviceCatalog& catalog, const CommandLine& line, InterruptWatcher& interrupts) {
    const CommandWords words = SplitWords(catalog, line.words);
    if (words.names.size() > (words.deviceNamed ? 0u : 1u)) {
        throw UsageError("more than one device given: " +
                         (words.deviceNamed ? words.device : words.names.front()) + ", " +
                         words.names.back());
    }
    // A word that names no device says so, with the devices there are.
    const DeviceLocation location =
        catalog.Select(words.deviceNamed || words.names.empty() ? words.device : words.names[0]);
    OpenedDevice device(*location.producer, location.iface->handle, location.device->id);
    const std::string xml = DownloadDescription(device.GenTL(), device.RemotePort()).xml;
    CameraFeatures features(device.GenTL(), device.RemotePort(), xml);
    for (const auto& setting : SettingsOf(line, words)) features.Apply(setting);
    if (line.triggerRate > 0) UseSoftwareTrigger(features);
    if (line.chunks) EnableAllChunks(features);
    std::map<uint64_t, std::string> eventNames;
    if (line.events) eventNames = EnableAllEvents(features);

    const auto feature = [&](const char* name) {
        return features.Has(name) ? features.Value(name) : "?";
    };
    std::optional<FrameWriter> writer;
    if (!line.outputFolder.empty())
        writer.emplace(line.outputFolder, line.format, line.overwrite, feature("PixelFormat"));
    if (!line.json) {
        std::printf("Grabbing %llu frames from %s: %sx%s %s, %u buffers%s%s%s%s%s\n",
                    static_cast<unsigned long long>(line.frames), location.device->id.c_str(),
                    feature("Width").c_str(), feature("Height").c_str(),
                    feature("PixelFormat").c_str(), line.buffers,
                    line.bufferMode.empty() ? "" : ", ", line.bufferMode.c_str(),
                    line.triggerRate > 0 ? ", software trigger" : "", writer ? ", saving to " : "",
                    writer ? line.outputFolder.c_str() : "");
        std::fflush(stdout);
    }

    GrabReport report(line.json);
    std::optional<AttachedDataFeatures> chunks;
    if (line.chunks) chunks.emplace(xml, features.Names());
    std::optional<CameraEventListener> listener;
    if (line.events) {
        listener.emplace(device.GenTL(), device.RemotePort(), xml, features.Names(), eventNames,
                         [&report](const CameraEvent& event) { report.Event(event); });
    }
    // Chunk lines and the progress would mix; chunk lines show the progress well enough.
    std::optional<ProgressDisplay> progress;
    if (!line.json && !line.chunks && !line.events) progress.emplace(stdout, line.frames);
    GrabRequest request;
    request.frames = line.frames;
    request.buffers = line.buffers;
    request.timeoutMs = line.timeoutMs;
    request.writer = writer ? &*writer : nullptr;
    request.bufferMode = line.bufferMode;
    request.triggerRate = line.triggerRate;
    request.description = &xml;
    request.chunks = chunks ? &*chunks : nullptr;
    request.onChunks = [&report](uint64_t frameId, const auto& values) {
        report.Chunks(frameId, values);
    };
    FrameGrabber grabber(device, features, interrupts);
    const GrabOutcome outcome = grabber.Run(request, [&](const GrabStatistics& statistics) {
        if (progress) progress->Update(statistics.Frames(), statistics.FramesPerSecond());
    });
    if (progress) progress->Finish();
    // The camera's last events come just after the last frame.
    if (listener) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        listener.reset();
    }
    if (!line.saveFile.empty() && !outcome.failure)
        WriteParameterFile(line.saveFile, features.SavedSettings());
    if (line.json) {
        JsonWriter json(std::cout);
        json.BeginObject().Member("device", location.device->id);
        json.Member("interrupted", outcome.interrupted);
        WriteSummary(json, outcome.statistics);
        report.WriteRecords(json);
        if (outcome.failure) {
            try {
                std::rethrow_exception(outcome.failure);
            } catch (const std::exception& error) {
                json.Member("error", std::string(error.what()));
            }
        }
        json.EndObject();
    } else {
        std::printf("%s%s\n", outcome.interrupted ? "Interrupted after " : "",
                    outcome.statistics.Summary().c_str());
    }
    std::fflush(stdout);
    if (outcome.failure) {
        // Said before the device closes, which for a lost camera may take a while.
        try {
            std::rethrow_exception(outcome.failure);
        } catch (const UsageError&) {
            throw;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "kavrin-grab: %s\n", error.what());
            std::fflush(stderr);
            return kExitFailure;
        }
    }
    return outcome.interrupted ? kExitInterrupted : 0;
}

// Prints the camera's events until the time is up or Ctrl-C.
int Events(DeviceCatalog& catalog, const CommandLine& line, InterruptWatcher& interrupts) {
    const CommandWords words = SplitWords(catalog, line.words);
    if (!words.names.empty()) catalog.Select(words.names.front());
    const DeviceLocation location = catalog.Select(words.device);
    OpenedDevice device(*location.producer, location.iface->handle, location.device->id);
    const std::string xml = DownloadDescription(device.GenTL(), device.RemotePort()).xml;
    CameraFeatures features(device.GenTL(), device.RemotePort(), xml);
    for (const auto& setting : SettingsOf(line, words)) features.Apply(setting);
    const std::map<uint64_t, std::string> names = EnableAllEvents(features);
    std::printf("Listening to the events of %s%s\n", location.device->id.c_str(),
                line.seconds > 0 ? "" : " until Ctrl-C");
    std::fflush(stdout);
    GrabReport report(false);
    uint64_t count = 0;
    {
        CameraEventListener listener(device.GenTL(), device.RemotePort(), xml, features.Names(),
                                     names,
                                     [&report](const CameraEvent& event) { report.Event(event); });
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(line.seconds);
        while (!interrupts.Interrupted() &&
               (line.seconds == 0 || std::chrono::steady_clock::now() < end))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        count = listener.Count();
    }
    std::printf("%s%llu events\n", interrupts.Interrupted() ? "Interrupted after " : "",
                static_cast<unsigned long long>(count));
    return interrupts.Interrupted() ? kExitInterrupted : 0;
}

}  // namespace

}  // namespace Kavrin::Tools

int main(int argc, char** argv) {
    using namespace Kavrin::Tools;
    CommandLine line;
    try {
        line = ParseCommandLine(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n%s", error.what(), Usage().c_str());
        return kExitUsage;
    }
    if (line.version) {
        std::printf("kavrin-grab %s\n", KAVRIN_GRAB_VERSION);
        return 0;
    }
    if (line.command == "help") {
        std::printf("%s",
                    (line.helpTopic.empty() ? Usage() : CommandUsage(line.helpTopic)).c_str());
        return 0;
    }
    try {
        // Before any producer starts a thread, so Ctrl-C reaches only the watcher.
        std::optional<InterruptWatcher> interrupts;
        if (line.command == "grab" || line.command == "events") interrupts.emplace();
        DeviceCatalog catalog(FindProducers(line.cti));
        if (line.command == "list") return List(catalog, line);
        if (line.command == "info") return Info(catalog, line);
        if (line.command == "features") return Features(catalog, line);
        if (line.command == "set") return Set(catalog, line);
        if (line.command == "regs") return Registers(catalog, line);
        if (line.command == "events") return Events(catalog, line, *interrupts);
        return Grab(catalog, line, *interrupts);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n%s", error.what(),
                     CommandUsage(line.command).c_str());
        return kExitUsage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n", error.what());
        return kExitFailure;
    }
}
