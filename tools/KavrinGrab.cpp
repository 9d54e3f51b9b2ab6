// kavrin-grab: lists, inspects, configures and grabs from cameras through any GenTL producer,
// using nothing but the producer's exported C functions and Aravis's GenApi engine.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/CameraFeatures.h"
#include "tools/CommandLine.h"
#include "tools/DeviceCatalog.h"
#include "tools/DeviceDescription.h"
#include "tools/FrameGrabber.h"
#include "tools/GenTLError.h"
#include "tools/InterruptWatcher.h"
#include "tools/OpenedDevice.h"
#include "tools/ProducerPaths.h"
#include "tools/ProgressDisplay.h"

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

int List(DeviceCatalog& catalog) {
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
    std::printf("%-16s %s\n", "interface", location.iface->id.c_str());
    for (const auto& [label, command] : texts)
        std::printf("%-16s %s\n", label, device.InfoText(command).c_str());
    const DeviceDescription description = DownloadDescription(device.GenTL(), device.RemotePort());
    std::printf("%-16s %s\n", "description", description.url.c_str());
    std::printf("%-16s %zu bytes\n", "description size", description.xml.size());
    if (!line.saveXml.empty()) {
        std::ofstream file(line.saveXml, std::ios::binary);
        if (!(file << description.xml)) throw std::runtime_error("cannot write " + line.saveXml);
        std::printf("description saved to %s\n", line.saveXml.c_str());
    }
    return 0;
}

// The first data stream of an opened device, open while this object lives.
class OpenedStream {
public:
    explicit OpenedStream(OpenedDevice& device) : gentl_(device.GenTL()) {
        char id[256] = {};
        size_t size = sizeof id;
        CheckGenTL(gentl_, gentl_.DevGetDataStreamID(device.Handle(), 0, id, &size),
                   "DevGetDataStreamID");
        CheckGenTL(gentl_, gentl_.DevOpenDataStream(device.Handle(), id, &stream_),
                   "DevOpenDataStream");
    }
    ~OpenedStream() { gentl_.DSClose(stream_); }
    OpenedStream(const OpenedStream&) = delete;
    OpenedStream& operator=(const OpenedStream&) = delete;

    DS_HANDLE Handle() const { return stream_; }

private:
    GenTLProducer& gentl_;
    DS_HANDLE stream_ = nullptr;
};

int Features(DeviceCatalog& catalog, const CommandLine& line) {
    // The first word names the device when it is one; the others are feature names and settings.
    std::vector<std::string> names;
    std::vector<std::string> settings;
    for (const auto& word : line.words)
        (word.find('=') != std::string::npos ? settings : names).push_back(word);
    std::string deviceName;
    if (!names.empty() && (names.front().find("->") != std::string::npos || [&] {
            try {
                catalog.Select(names.front());
                return true;
            } catch (const std::runtime_error&) {
                return false;
            }
        }())) {
        deviceName = names.front();
        names.erase(names.begin());
    }
    const DeviceLocation location = catalog.Select(deviceName);
    GenTLProducer& gentl = location.producer->GenTL();
    // The system's and the interface's node maps need no open device.
    std::optional<OpenedDevice> device;
    std::optional<OpenedStream> stream;
    PORT_HANDLE port = nullptr;
    if (line.module == "system") {
        port = location.producer->System();
    } else if (line.module == "interface") {
        port = location.iface->handle;
    } else {
        device.emplace(*location.producer, location.iface->handle, location.device->id);
        port = device->RemotePort();
        if (line.module == "device") port = device->Handle();
        if (line.module == "stream") port = stream.emplace(*device).Handle();
    }
    CameraFeatures features(gentl, port, DownloadDescription(gentl, port).xml);
    for (const auto& setting : settings) features.Apply(setting);
    if (names.empty()) {
        features.PrintTree(std::cout);
    } else {
        features.PrintNamed(std::cout, names);
    }
    return 0;
}

int Grab(DeviceCatalog& catalog, const CommandLine& line, InterruptWatcher& interrupts) {
    std::string deviceName;
    std::vector<std::string> settings;
    for (const auto& word : line.words) {
        if (word.find('=') != std::string::npos) {
            settings.push_back(word);
        } else if (deviceName.empty()) {
            deviceName = word;
        } else {
            throw UsageError("more than one device given: " + deviceName + ", " + word);
        }
    }
    const DeviceLocation location = catalog.Select(deviceName);
    OpenedDevice device(*location.producer, location.iface->handle, location.device->id);
    CameraFeatures features(device.GenTL(), device.RemotePort(),
                            DownloadDescription(device.GenTL(), device.RemotePort()).xml);
    for (const auto& setting : settings) features.Apply(setting);

    std::optional<FrameWriter> writer;
    if (!line.outputFolder.empty()) writer.emplace(line.outputFolder, line.format);
    const auto feature = [&](const char* name) {
        return features.Has(name) ? features.Value(name) : "?";
    };
    std::printf("Grabbing %llu frames from %s: %sx%s %s, %u buffers%s%s%s%s\n",
                static_cast<unsigned long long>(line.frames), location.device->id.c_str(),
                feature("Width").c_str(), feature("Height").c_str(), feature("PixelFormat").c_str(),
                line.buffers, line.bufferMode.empty() ? "" : ", ", line.bufferMode.c_str(),
                writer ? ", saving to " : "", writer ? line.outputFolder.c_str() : "");
    std::fflush(stdout);

    ProgressDisplay progress(stdout, line.frames);
    GrabRequest request;
    request.frames = line.frames;
    request.buffers = line.buffers;
    request.timeoutMs = line.timeoutMs;
    request.writer = writer ? &*writer : nullptr;
    request.bufferMode = line.bufferMode;
    FrameGrabber grabber(device, features, interrupts);
    const GrabOutcome outcome = grabber.Run(request, [&](const GrabStatistics& statistics) {
        progress.Update(statistics.Frames(), statistics.FramesPerSecond());
    });
    progress.Finish();
    std::printf("%s%s\n", outcome.interrupted ? "Interrupted after " : "",
                outcome.statistics.Summary().c_str());
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

}  // namespace

}  // namespace Kavrin::Tools

int main(int argc, char** argv) {
    using namespace Kavrin::Tools;
    CommandLine line;
    try {
        line = ParseCommandLine(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n%s", error.what(), kUsage);
        return kExitUsage;
    }
    if (line.command == "help") {
        std::printf("%s", kUsage);
        return 0;
    }
    try {
        // Before any producer starts a thread, so Ctrl-C reaches only the watcher.
        std::optional<InterruptWatcher> interrupts;
        if (line.command == "grab") interrupts.emplace();
        DeviceCatalog catalog(FindProducers(line.cti));
        if (line.command == "list") return List(catalog);
        if (line.command == "info") return Info(catalog, line);
        if (line.command == "features") return Features(catalog, line);
        return Grab(catalog, line, *interrupts);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n%s", error.what(), kUsage);
        return kExitUsage;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavrin-grab: %s\n", error.what());
        return kExitFailure;
    }
}
