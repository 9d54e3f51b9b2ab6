// Frames from real GigE Vision cameras: Aravis's fake cameras on loopback addresses inside a
// network namespace of our own, each in a child process, received (a) through the producer's C
// ABI with the camera library's Aravis backend and (b) through Aravis's own ArvStream API, in the
// same run. CPU time is this process's (the receiving side only): the fake cameras work in their
// children. Both paths read the stream's packet statistics with every image.
//
// Two measurements, each alternating (a) and (b) so that the machine's other work falls on both:
// - one camera at 1920x1080 Mono8, a fixed number of frames a repetition, beside a memcpy of one
//   image; the run ends with the median over the repetitions of (a)'s CPU per image over (b)'s;
// - one and four cameras at 640x480 Mono8 at once, each on its own stream and thread, for a
//   fixed window: frames per second, CPU per frame and frames lost (gaps in the frame IDs).
#include <arpa/inet.h>
#include <arv.h>
#include <benchmark/benchmark.h>
#include <net/if.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "KavrinTL.h"
#include "tests/aravis/PrivateNetwork.h"
#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;
using namespace Kavrin::Tools;

constexpr uint32_t kBuffers = 8;
constexpr int kFrames = 300;
constexpr size_t kMostCameras = 4;

// One fake camera: the network interface (a loopback address of its own) it answers on.
struct FakeCamera {
    std::string networkInterface;
    std::string address;
    std::string serialNumber;
    uint32_t width;
    uint32_t height;

    std::string DeviceId() const { return "Aravis-Fake-" + serialNumber; }
    std::string InterfaceId() const { return "GEV::" + networkInterface; }
    size_t ImageSize() const { return size_t{width} * height; }
};

// How long each several-cameras measurement receives.
std::chrono::milliseconds& Window() {
    static std::chrono::milliseconds window{3000};
    return window;
}

const FakeCamera kLargeCamera{"lo", "127.0.0.1", "BENCH1", 1920, 1080};

// The cameras of the several-cameras measurement, on lo:1 ... lo:4.
std::vector<FakeCamera> SmallCameras() {
    std::vector<FakeCamera> cameras;
    for (size_t i = 1; i <= kMostCameras; ++i)
        cameras.push_back({"lo:" + std::to_string(i), "127.0.0." + std::to_string(i + 1),
                           "MULTI" + std::to_string(i), 640, 480});
    return cameras;
}

void Check(GC_ERROR result, const char* call) {
    if (result != GC_ERR_SUCCESS)
        throw std::runtime_error(std::string(call) + " failed: " + std::to_string(result));
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Gives loopback a second address under the label name (lo:1, ...), so that one more fake
// camera can bind its control port.
void AddLoopbackAddress(const std::string& name, const std::string& address) {
    const int control = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, name.c_str(), IFNAMSIZ - 1);
    auto* ipv4 = reinterpret_cast<sockaddr_in*>(&request.ifr_addr);
    ipv4->sin_family = AF_INET;
    inet_pton(AF_INET, address.c_str(), &ipv4->sin_addr);
    const bool added = control >= 0 && ioctl(control, SIOCSIFADDR, &request) == 0;
    if (control >= 0) close(control);
    if (!added) throw std::runtime_error("cannot add loopback address " + address);
}

// The fake camera runs until this process ends. Started before any thread exists here.
pid_t StartFakeCamera(const FakeCamera& camera, uint32_t framePeriodUs) {
    const pid_t child = fork();
    if (child != 0) return child;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    ArvGvFakeCamera* fake =
        arv_gv_fake_camera_new(camera.networkInterface.c_str(), camera.serialNumber.c_str());
    ArvFakeCamera* registers = arv_gv_fake_camera_get_fake_camera(fake);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_WIDTH, camera.width);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_HEIGHT, camera.height);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_ACQUISITION_FRAME_PERIOD_US,
                                   framePeriodUs);
    for (;;) pause();
}

struct Frame {
    uint64_t frameId = 0;
    bool complete = false;
};

// Streams from a set of cameras, every buffer queued; Next(i) waits for camera i's next image,
// reads what a consumer reads of it and gives the buffer back. One thread per camera may call it.
class Receiver {
public:
    virtual ~Receiver() = default;
    virtual Frame Next(size_t camera) = 0;
};

// (a) The producer's full path: EventGetData on the new-buffer event, DSGetBufferInfo for the
// frame ID and completeness, DSGetInfo for the missing packets, DSQueueBuffer.
class ProducerReceiver final : public Receiver {
public:
    explicit ProducerReceiver(const std::vector<FakeCamera>& cameras) : gentl_(KAVRIN_CTI_PATH) {
        Check(gentl_.GCInitLib(), "GCInitLib");
        Check(gentl_.TLOpen(&system_), "TLOpen");
        Check(gentl_.TLUpdateInterfaceList(system_, nullptr, 100), "TLUpdateInterfaceList");
        for (const FakeCamera& camera : cameras) Open(camera);
        for (const Camera& camera : cameras_)
            Check(gentl_.DSStartAcquisition(camera.stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
                  "DSStartAcquisition");
    }

    ~ProducerReceiver() override {
        for (const Camera& camera : cameras_) {
            gentl_.DSStopAcquisition(camera.stream, ACQ_STOP_FLAGS_DEFAULT);
            gentl_.DSClose(camera.stream);
            gentl_.DevClose(camera.device);
        }
        gentl_.GCCloseLib();
    }

    Frame Next(size_t index) override {
        const Camera& camera = cameras_[index];
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        Check(gentl_.EventGetData(camera.newBuffer, &data, &size, 5000), "EventGetData");
        Frame frame;
        frame.frameId = BufferInfo<uint64_t>(camera.stream, data.BufferHandle, BUFFER_INFO_FRAMEID);
        frame.complete =
            BufferInfo<bool8_t>(camera.stream, data.BufferHandle, BUFFER_INFO_IS_INCOMPLETE) == 0;
        uint64_t missing = 0;
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        size = sizeof missing;
        Check(gentl_.DSGetInfo(camera.stream,
                               static_cast<STREAM_INFO_CMD>(KAVRIN_STREAM_INFO_PACKETS_MISSING),
                               &type, &missing, &size),
              "DSGetInfo");
        benchmark::DoNotOptimize(missing);
        Check(gentl_.DSQueueBuffer(camera.stream, data.BufferHandle), "DSQueueBuffer");
        return frame;
    }

private:
    struct Camera {
        DEV_HANDLE device = nullptr;
        DS_HANDLE stream = nullptr;
        EVENT_HANDLE newBuffer = nullptr;
    };

    void Open(const FakeCamera& fake) {
        IF_HANDLE iface = nullptr;
        Camera camera;
        Check(gentl_.TLOpenInterface(system_, fake.InterfaceId().c_str(), &iface),
              "TLOpenInterface");
        Check(gentl_.IFUpdateDeviceList(iface, nullptr, 300), "IFUpdateDeviceList");
        Check(gentl_.IFOpenDevice(iface, fake.DeviceId().c_str(), DEVICE_ACCESS_CONTROL,
                                  &camera.device),
              "IFOpenDevice");
        Check(gentl_.DevOpenDataStream(camera.device, "DS0", &camera.stream), "DevOpenDataStream");
        for (uint32_t i = 0; i < kBuffers; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            Check(
                gentl_.DSAllocAndAnnounceBuffer(camera.stream, fake.ImageSize(), nullptr, &buffer),
                "DSAllocAndAnnounceBuffer");
            Check(gentl_.DSQueueBuffer(camera.stream, buffer), "DSQueueBuffer");
        }
        Check(gentl_.GCRegisterEvent(camera.stream, EVENT_NEW_BUFFER, &camera.newBuffer),
              "GCRegisterEvent");
        cameras_.push_back(camera);
    }

    template <class T>
    T BufferInfo(DS_HANDLE stream, BUFFER_HANDLE buffer, BUFFER_INFO_CMD command) {
        T value{};
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        size_t size = sizeof value;
        Check(gentl_.DSGetBufferInfo(stream, buffer, command, &type, &value, &size),
              "DSGetBufferInfo");
        return value;
    }

    GenTLProducer gentl_;
    TL_HANDLE system_ = nullptr;
    std::vector<Camera> cameras_;
};

// (b) Aravis alone: the same cameras through ArvStream, popping and pushing its buffers.
class AravisReceiver final : public Receiver {
public:
    explicit AravisReceiver(const std::vector<FakeCamera>& cameras) {
        for (const FakeCamera& camera : cameras) Open(camera);
        for (const Camera& camera : cameras_)
            arv_device_execute_command(camera.device, "AcquisitionStart", nullptr);
    }

    ~AravisReceiver() override {
        for (const Camera& camera : cameras_) {
            arv_device_execute_command(camera.device, "AcquisitionStop", nullptr);
            g_object_unref(camera.stream);
            g_object_unref(camera.device);
        }
    }

    Frame Next(size_t index) override {
        ArvStream* stream = cameras_[index].stream;
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 5000000);
        if (buffer == nullptr) throw std::runtime_error("no image from Aravis");
        Frame frame;
        frame.frameId = arv_buffer_get_frame_id(buffer);
        frame.complete = arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS;
        guint64 completed = 0;
        guint64 failures = 0;
        guint64 underruns = 0;
        arv_stream_get_statistics(stream, &completed, &failures, &underruns);
        const guint64 missing = arv_stream_get_info_uint64_by_name(stream, "n_missing_packets");
        benchmark::DoNotOptimize(missing);
        arv_stream_push_buffer(stream, buffer);
        return frame;
    }

private:
    struct Camera {
        ArvDevice* device = nullptr;
        ArvStream* stream = nullptr;
    };

    void Open(const FakeCamera& fake) {
        GInetAddress* address = g_inet_address_new_from_string(fake.address.c_str());
        ArvDevice* device = arv_gv_device_new(address, address, nullptr);
        g_object_unref(address);
        if (device == nullptr) throw std::runtime_error("Aravis cannot open " + fake.DeviceId());
        GError* error = nullptr;
        ArvStream* stream = arv_device_create_stream(device, nullptr, nullptr, &error);
        if (stream == nullptr) {
            const std::string why = error != nullptr ? error->message : "unknown";
            g_clear_error(&error);
            g_object_unref(device);
            throw std::runtime_error("Aravis cannot stream from " + fake.DeviceId() + ": " + why);
        }
        for (uint32_t i = 0; i < kBuffers; ++i)
            arv_stream_push_buffer(stream, arv_buffer_new_allocate(fake.ImageSize()));
        cameras_.push_back({device, stream});
    }

    std::vector<Camera> cameras_;
};

enum class Path { Producer, Aravis };

std::unique_ptr<Receiver> Receive(Path path, const std::vector<FakeCamera>& cameras) {
    if (path == Path::Producer) return std::make_unique<ProducerReceiver>(cameras);
    return std::make_unique<AravisReceiver>(cameras);
}

// Every buffer is filled twice before timing starts, so that neither path's first writes into
// fresh memory (page faults) count: what is measured is the steady state.
void WarmUp(Receiver& receiver, size_t camera) {
    for (uint32_t i = 0; i < 2 * kBuffers; ++i) receiver.Next(camera);
}

// CPU per image of every repetition, by path, for the ratio main prints.
std::map<Path, std::vector<double>>& CpuPerImage() {
    static std::map<Path, std::vector<double>> perImage;
    return perImage;
}

// One camera at 1920x1080: kFrames images a repetition.
void LargeImages(benchmark::State& state, Path path) {
    const std::unique_ptr<Receiver> receiver = Receive(path, {kLargeCamera});
    WarmUp(*receiver, 0);
    int incomplete = 0;
    const double start = ProcessCpuSeconds();
    for (auto _ : state) incomplete += receiver->Next(0).complete ? 0 : 1;
    const double cpu = ProcessCpuSeconds() - start;
    CpuPerImage()[path].push_back(cpu / static_cast<double>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLargeCamera.ImageSize()));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["incomplete"] = incomplete;
}

// Frame IDs are the cameras' block IDs: 16 bits wide, and 0 is skipped when they wrap.
uint64_t FramesBetween(uint64_t last, uint64_t next) {
    return next > last ? next - last : next + 0xFFFF - last;
}

// Several cameras at once, each received on its own thread for the window.
void SeveralCameras(benchmark::State& state, Path path, size_t count) {
    std::vector<FakeCamera> cameras = SmallCameras();
    cameras.resize(count);
    const std::unique_ptr<Receiver> receiver = Receive(path, cameras);
    for (auto _ : state) {
        std::vector<uint64_t> frames(count);
        std::vector<uint64_t> lost(count);
        std::atomic<size_t> warm{0};
        std::atomic<bool> measuring{false};
        std::atomic<bool> done{false};
        std::vector<std::thread> consumers;
        for (size_t i = 0; i < count; ++i) {
            consumers.emplace_back([&, i] {
                WarmUp(*receiver, i);
                ++warm;
                uint64_t last = receiver->Next(i).frameId;
                while (!measuring) last = receiver->Next(i).frameId;
                while (!done) {
                    const Frame frame = receiver->Next(i);
                    // An incomplete frame is lost to the consumer too.
                    lost[i] += FramesBetween(last, frame.frameId) - 1 + (frame.complete ? 0 : 1);
                    last = frame.frameId;
                    ++frames[i];
                }
            });
        }
        while (warm < count) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const double cpuBefore = ProcessCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        measuring = true;
        std::this_thread::sleep_for(Window());
        done = true;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        for (std::thread& consumer : consumers) consumer.join();
        double allFrames = 0;
        double allLost = 0;
        for (size_t i = 0; i < count; ++i) {
            allFrames += static_cast<double>(frames[i]);
            allLost += static_cast<double>(lost[i]);
        }
        state.counters["frames_per_s"] = allFrames / wall;
        state.counters["cpu_us_per_frame"] = cpu * 1e6 / allFrames;
        state.counters["lost_per_frame"] = allLost / allFrames;
        state.SetIterationTime(wall);
    }
}

// The reference: one large image's worth of memcpy.
void MemcpyImage(benchmark::State& state) {
    std::vector<unsigned char> from(kLargeCamera.ImageSize(), 1), to(kLargeCamera.ImageSize());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * to.size()));
}

const char* PathName(Path path) { return path == Path::Producer ? "producer" : "aravis"; }

// Repetitions alternate the paths and which of them goes first, so that neither always runs
// after the other.
void RegisterAll(int repetitions) {
    benchmark::RegisterBenchmark("MemcpyImage", MemcpyImage);
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        const bool producerFirst = repetition % 2 == 0;
        for (const Path path : producerFirst ? std::vector{Path::Producer, Path::Aravis}
                                             : std::vector{Path::Aravis, Path::Producer}) {
            const std::string suffix = std::string("/path:") + PathName(path) +
                                       "/repetition:" + std::to_string(repetition);
            benchmark::RegisterBenchmark(("LargeImages" + suffix).c_str(), LargeImages, path)
                ->Iterations(kFrames)
                ->UseRealTime()
                ->MeasureProcessCPUTime()
                ->Unit(benchmark::kMillisecond);
            for (const size_t count : {size_t{1}, kMostCameras}) {
                benchmark::RegisterBenchmark(
                    ("GevCameras/cameras:" + std::to_string(count) + suffix).c_str(),
                    SeveralCameras, path, count)
                    ->Iterations(1)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

void PrintLargeImageRatio() {
    std::vector<double> producer = CpuPerImage()[Path::Producer];
    std::vector<double> aravis = CpuPerImage()[Path::Aravis];
    const size_t pairs = std::min(producer.size(), aravis.size());
    if (pairs == 0) return;
    std::vector<double> ratios;
    for (size_t i = 0; i < pairs; ++i) ratios.push_back(producer[i] / aravis[i]);
    std::sort(ratios.begin(), ratios.end());
    std::printf(
        "1920x1080 CPU per image, medians of %zu repetitions: producer %.1f us, Aravis alone "
        "%.1f us; producer over Aravis, median of the repetitions' ratios %.3f (range %.3f to "
        "%.3f)\n",
        pairs, Median(producer) * 1e6, Median(aravis) * 1e6, Median(ratios), ratios.front(),
        ratios.back());
}

}  // namespace

// --frame-period-us=N sets the fake cameras' frame period (default 10000: 100 frames/s);
// --repetitions=N how many times each path runs (default 6); --window-ms=N how long each
// several-cameras measurement receives (default 3000).
int main(int argc, char** argv) {
    uint32_t framePeriodUs = 10000;
    int repetitions = 6;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frame-period-us=", 18) == 0)
            framePeriodUs = static_cast<uint32_t>(std::atoi(argv[i] + 18));
        if (std::strncmp(argv[i], "--repetitions=", 14) == 0) repetitions = std::atoi(argv[i] + 14);
        if (std::strncmp(argv[i], "--window-ms=", 12) == 0)
            Window() = std::chrono::milliseconds(std::atoi(argv[i] + 12));
    }
    const std::string unavailable = aravis_tests::EnterPrivateNetwork();
    if (!unavailable.empty()) {
        std::printf("skipped: %s\n", unavailable.c_str());
        return 0;
    }
    std::vector<FakeCamera> cameras = SmallCameras();
    for (const FakeCamera& camera : cameras)
        AddLoopbackAddress(camera.networkInterface, camera.address);
    cameras.push_back(kLargeCamera);
    std::vector<pid_t> children;
    for (const FakeCamera& camera : cameras)
        children.push_back(StartFakeCamera(camera, framePeriodUs));
    sleep(1);
    std::string interfaces;
    for (const FakeCamera& camera : cameras)
        interfaces += (interfaces.empty() ? "" : ",") + camera.networkInterface;
    setenv("KAVRIN_TRANSPORTS", "gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", interfaces.c_str(), 1);
    RegisterAll(repetitions);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintLargeImageRatio();
    benchmark::Shutdown();
    for (const pid_t child : children) kill(child, SIGTERM);
    for (const pid_t child : children) waitpid(child, nullptr, 0);
    return 0;
}
