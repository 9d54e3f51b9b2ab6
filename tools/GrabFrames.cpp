// A GenTL consumer that lists the cameras of a producer and acquires frames from the first one,
// using nothing but the producer's exported C functions.
//
//   kavrin_grab [--cti PATH] [--frames N] [--buffers N]
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;

struct Options {
    std::string cti;
    uint64_t frames = 100;
    uint32_t buffers = 4;
};

std::string DirectoryOfExecutable() {
    std::vector<char> path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return ".";
    const std::string text(path.data(), static_cast<size_t>(length));
    return text.substr(0, text.rfind('/'));
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    options.cti = DirectoryOfExecutable() + "/KavrinTL40.cti";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--cti") options.cti = argv[i + 1];
        else if (name == "--frames") options.frames = std::stoull(argv[i + 1]);
        else if (name == "--buffers") options.buffers = static_cast<uint32_t>(std::stoul(argv[i + 1]));
        else throw std::invalid_argument("unknown option " + name);
    }
    return options;
}

class Grabber {
public:
    explicit Grabber(const Options& options) : options_(options), gentl_(options.cti) {}

    void Run() {
        Check(gentl_.GCInitLib(), "GCInitLib");
        Check(gentl_.TLOpen(&system_), "TLOpen");
        std::printf("Producer %s %s, version %s\n", LibraryText(TL_INFO_VENDOR).c_str(),
                    LibraryText(TL_INFO_MODEL).c_str(), LibraryText(TL_INFO_VERSION).c_str());
        const auto [iface, deviceId] = ListCameras();
        DEV_HANDLE device = nullptr;
        Check(gentl_.IFOpenDevice(iface, deviceId.c_str(), DEVICE_ACCESS_CONTROL, &device), "IFOpenDevice");
        ReportDescription(device);
        Acquire(device);
        Check(gentl_.DevClose(device), "DevClose");
        Check(gentl_.TLClose(system_), "TLClose");
        Check(gentl_.GCCloseLib(), "GCCloseLib");
    }

private:
    void Check(GC_ERROR result, const char* call) {
        if (result == GC_ERR_SUCCESS) return;
        GC_ERROR code = 0;
        char text[1024] = {};
        size_t size = sizeof text;
        gentl_.GCGetLastError(&code, text, &size);
        throw std::runtime_error(std::string(call) + " failed with " + std::to_string(result) + ": " + text);
    }

    std::string LibraryText(TL_INFO_CMD command) {
        char text[1024] = {};
        size_t size = sizeof text;
        INFO_DATATYPE type = 0;
        Check(gentl_.GCGetInfo(command, &type, text, &size), "GCGetInfo");
        return text;
    }

    std::string DeviceText(IF_HANDLE iface, const char* id, DEVICE_INFO_CMD command) {
        char text[1024] = {};
        size_t size = sizeof text;
        INFO_DATATYPE type = 0;
        Check(gentl_.IFGetDeviceInfo(iface, id, command, &type, text, &size), "IFGetDeviceInfo");
        return text;
    }

    // Lists every camera; the first one found is the one to acquire from.
    std::pair<IF_HANDLE, std::string> ListCameras() {
        Check(gentl_.TLUpdateInterfaceList(system_, nullptr, 1000), "TLUpdateInterfaceList");
        uint32_t interfaces = 0;
        Check(gentl_.TLGetNumInterfaces(system_, &interfaces), "TLGetNumInterfaces");
        std::pair<IF_HANDLE, std::string> first{nullptr, ""};
        for (uint32_t i = 0; i < interfaces; ++i) {
            char interfaceId[1024] = {};
            size_t size = sizeof interfaceId;
            Check(gentl_.TLGetInterfaceID(system_, i, interfaceId, &size), "TLGetInterfaceID");
            IF_HANDLE iface = nullptr;
            Check(gentl_.TLOpenInterface(system_, interfaceId, &iface), "TLOpenInterface");
            Check(gentl_.IFUpdateDeviceList(iface, nullptr, 1000), "IFUpdateDeviceList");
            uint32_t devices = 0;
            Check(gentl_.IFGetNumDevices(iface, &devices), "IFGetNumDevices");
            std::printf("Interface %s: %u camera(s)\n", interfaceId, devices);
            for (uint32_t d = 0; d < devices; ++d) {
                char deviceId[1024] = {};
                size = sizeof deviceId;
                Check(gentl_.IFGetDeviceID(iface, d, deviceId, &size), "IFGetDeviceID");
                std::printf("  %s  %s %s  serial %s  user name \"%s\"\n", deviceId,
                            DeviceText(iface, deviceId, DEVICE_INFO_VENDOR).c_str(),
                            DeviceText(iface, deviceId, DEVICE_INFO_MODEL).c_str(),
                            DeviceText(iface, deviceId, DEVICE_INFO_SERIAL_NUMBER).c_str(),
                            DeviceText(iface, deviceId, DEVICE_INFO_USER_DEFINED_NAME).c_str());
                if (first.first == nullptr) first = {iface, deviceId};
            }
        }
        if (first.first == nullptr) throw std::runtime_error("no camera found");
        return first;
    }

    // Finds and downloads the camera's register description as a GenApi consumer does.
    void ReportDescription(DEV_HANDLE device) {
        PORT_HANDLE port = nullptr;
        Check(gentl_.DevGetPort(device, &port), "DevGetPort");
        uint32_t urls = 0;
        Check(gentl_.GCGetNumPortURLs(port, &urls), "GCGetNumPortURLs");
        if (urls == 0) throw std::runtime_error("the camera names no register description");
        char url[1024] = {};
        size_t size = sizeof url;
        INFO_DATATYPE type = 0;
        Check(gentl_.GCGetPortURLInfo(port, 0, URL_INFO_URL, &type, url, &size), "GCGetPortURLInfo");
        uint64_t address = 0;
        uint64_t length = 0;
        size = sizeof address;
        Check(gentl_.GCGetPortURLInfo(port, 0, URL_INFO_FILE_REGISTER_ADDRESS, &type, &address, &size),
              "GCGetPortURLInfo");
        size = sizeof length;
        Check(gentl_.GCGetPortURLInfo(port, 0, URL_INFO_FILE_SIZE, &type, &length, &size), "GCGetPortURLInfo");
        std::vector<char> description(length);
        size = description.size();
        Check(gentl_.GCReadPort(port, address, description.data(), &size), "GCReadPort");
        std::printf("Register description %s: %zu bytes read\n", url, size);
    }

    template <class T>
    T StreamValue(DS_HANDLE stream, STREAM_INFO_CMD command) {
        T value{};
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        Check(gentl_.DSGetInfo(stream, command, &type, &value, &size), "DSGetInfo");
        return value;
    }

    template <class T>
    T BufferValue(DS_HANDLE stream, BUFFER_HANDLE buffer, BUFFER_INFO_CMD command) {
        T value{};
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        Check(gentl_.DSGetBufferInfo(stream, buffer, command, &type, &value, &size), "DSGetBufferInfo");
        return value;
    }

    void Acquire(DEV_HANDLE device) {
        char streamId[64] = {};
        size_t size = sizeof streamId;
        Check(gentl_.DevGetDataStreamID(device, 0, streamId, &size), "DevGetDataStreamID");
        DS_HANDLE stream = nullptr;
        Check(gentl_.DevOpenDataStream(device, streamId, &stream), "DevOpenDataStream");
        const auto payloadSize = StreamValue<uint64_t>(stream, 1001);
        std::printf("Acquiring %llu frames of %llu bytes into %u buffers\n",
                    static_cast<unsigned long long>(options_.frames),
                    static_cast<unsigned long long>(payloadSize), options_.buffers);
        for (uint32_t i = 0; i < options_.buffers; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            Check(gentl_.DSAllocAndAnnounceBuffer(stream, payloadSize, nullptr, &buffer),
                  "DSAllocAndAnnounceBuffer");
            Check(gentl_.DSQueueBuffer(stream, buffer), "DSQueueBuffer");
        }
        EVENT_HANDLE newBuffer = nullptr;
        Check(gentl_.GCRegisterEvent(stream, EVENT_NEW_BUFFER, &newBuffer), "GCRegisterEvent");
        Check(gentl_.DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), "DSStartAcquisition");

        const auto start = std::chrono::steady_clock::now();
        uint64_t received = 0;
        uint64_t gaps = 0;
        uint64_t lastFrameId = 0;
        while (received < options_.frames) {
            EVENT_NEW_BUFFER_DATA data{};
            size = sizeof data;
            if (gentl_.EventGetData(newBuffer, &data, &size, 3000) != GC_ERR_SUCCESS) continue;
            const auto frameId = BufferValue<uint64_t>(stream, data.BufferHandle, BUFFER_INFO_FRAMEID);
            if (received > 0 && frameId != lastFrameId + 1) ++gaps;
            lastFrameId = frameId;
            ++received;
            Check(gentl_.DSQueueBuffer(stream, data.BufferHandle), "DSQueueBuffer");
        }
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;

        Check(gentl_.DSStopAcquisition(stream, ACQ_STOP_FLAGS_DEFAULT), "DSStopAcquisition");
        const auto delivered = StreamValue<uint64_t>(stream, STREAM_INFO_NUM_DELIVERED);
        const auto underruns = StreamValue<uint64_t>(stream, STREAM_INFO_NUM_UNDERRUN);
        Check(gentl_.GCUnregisterEvent(stream, EVENT_NEW_BUFFER), "GCUnregisterEvent");
        Check(gentl_.DSFlushQueue(stream, ACQ_QUEUE_ALL_DISCARD), "DSFlushQueue");
        BUFFER_HANDLE buffer = nullptr;
        while (gentl_.DSGetBufferID(stream, 0, &buffer) == GC_ERR_SUCCESS)
            Check(gentl_.DSRevokeBuffer(stream, buffer, nullptr, nullptr), "DSRevokeBuffer");
        Check(gentl_.DSClose(stream), "DSClose");

        std::printf("Received %llu frames in %.2f s (%.1f fps), last frame ID %llu, %llu gap(s); "
                    "delivered %llu, underruns %llu\n",
                    static_cast<unsigned long long>(received), elapsed.count(), received / elapsed.count(),
                    static_cast<unsigned long long>(lastFrameId), static_cast<unsigned long long>(gaps),
                    static_cast<unsigned long long>(delivered), static_cast<unsigned long long>(underruns));
    }

    Options options_;
    GenTLProducer gentl_;
    TL_HANDLE system_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    try {
        Grabber(ParseOptions(argc, argv)).Run();
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kavrin_grab: %s\n", error.what());
        return 1;
    }
}
