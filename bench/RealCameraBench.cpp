// Frames from a real GigE Vision camera: Aravis's fake camera at 1920x1080 Mono8 on loopback, in
// a child process inside a network namespace of our own, received (a) through the producer's C
// ABI with the camera library's Aravis backend and (b) through Aravis's own ArvStream API, in the
// same run, beside a memcpy of one image. CPU time is this process's (the receiving side only):
// the fake camera's own work is in the child. Both paths read the stream's packet statistics with
// every image, and the run ends with the producer's CPU time per image over Aravis's alone.
#include <arpa/inet.h>
#include <arv.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "KavrinTL.h"
#include "tests/aravis/PrivateNetwork.h"
#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;
using namespace Kavrin::Tools;

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;
constexpr size_t kImageSize = size_t{kWidth} * kHeight;
constexpr uint32_t kBuffers = 8;
constexpr int kFrames = 300;
constexpr const char* kSerialNumber = "BENCH1";
constexpr const char* kDeviceId = "Aravis-Fake-BENCH1";

void Check(GC_ERROR result, const char* call) {
    if (result != GC_ERR_SUCCESS)
        throw std::runtime_error(std::string(call) + " failed: " + std::to_string(result));
}

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time and images of the timed loops of one path, over every repetition.
struct CpuUse {
    double seconds = 0;
    double images = 0;
    double PerImage() const { return images > 0 ? seconds / images : 0; }
};

// Both paths, for the ratio main prints.
struct CpuPerImage {
    CpuUse producer;
    CpuUse aravis;
};

// The timed loop, its CPU time added to use.
template <class Receive>
void TimeImages(benchmark::State& state, Receive&& receive, CpuUse& use) {
    const double start = ProcessCpuSeconds();
    for (auto _ : state) receive();
    use.seconds += ProcessCpuSeconds() - start;
    use.images += static_cast<double>(state.iterations());
}

// The fake camera runs until this process ends. Started before any thread exists here.
pid_t StartFakeCamera(uint32_t framePeriodUs) {
    const pid_t child = fork();
    if (child != 0) return child;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    ArvGvFakeCamera* camera = arv_gv_fake_camera_new("lo", kSerialNumber);
    ArvFakeCamera* registers = arv_gv_fake_camera_get_fake_camera(camera);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_WIDTH, kWidth);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_HEIGHT, kHeight);
    arv_fake_camera_write_register(registers, ARV_FAKE_CAMERA_REGISTER_ACQUISITION_FRAME_PERIOD_US,
                                   framePeriodUs);
    for (;;) pause();
}

void CountFrames(benchmark::State& state, int incomplete) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageSize));
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["incomplete"] = incomplete;
}

// Every buffer is filled twice before timing starts, so that neither path's first writes into
// fresh memory (page faults) count: what is measured is the steady state.
template <class Receive>
void WarmUp(Receive&& receive) {
    for (uint32_t i = 0; i < 2 * kBuffers; ++i) receive();
}

// (a) The producer's full path: EventGetData on the new-buffer event, DSGetBufferInfo,
// DSQueueBuffer.
void BM_ProducerCAbi(benchmark::State& state, CpuPerImage* cpu) {
    setenv("KAVRIN_TRANSPORTS", "gev", 1);
    setenv("KAVRIN_GEV_INTERFACES", "lo", 1);
    GenTLProducer gentl(KAVRIN_CTI_PATH);
    TL_HANDLE system = nullptr;
    IF_HANDLE iface = nullptr;
    DEV_HANDLE device = nullptr;
    DS_HANDLE stream = nullptr;
    EVENT_HANDLE newBuffer = nullptr;
    Check(gentl.GCInitLib(), "GCInitLib");
    Check(gentl.TLOpen(&system), "TLOpen");
    Check(gentl.TLUpdateInterfaceList(system, nullptr, 100), "TLUpdateInterfaceList");
    Check(gentl.TLOpenInterface(system, "GEV::lo", &iface), "TLOpenInterface");
    Check(gentl.IFUpdateDeviceList(iface, nullptr, 300), "IFUpdateDeviceList");
    Check(gentl.IFOpenDevice(iface, kDeviceId, DEVICE_ACCESS_CONTROL, &device), "IFOpenDevice");
    Check(gentl.DevOpenDataStream(device, "DS0", &stream), "DevOpenDataStream");
    for (uint32_t i = 0; i < kBuffers; ++i) {
        BUFFER_HANDLE buffer = nullptr;
        Check(gentl.DSAllocAndAnnounceBuffer(stream, kImageSize, nullptr, &buffer),
              "DSAllocAndAnnounceBuffer");
        Check(gentl.DSQueueBuffer(stream, buffer), "DSQueueBuffer");
    }
    Check(gentl.GCRegisterEvent(stream, EVENT_NEW_BUFFER, &newBuffer), "GCRegisterEvent");
    Check(gentl.DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
          "DSStartAcquisition");
    int incomplete = 0;
    const auto receive = [&] {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        Check(gentl.EventGetData(newBuffer, &data, &size, 5000), "EventGetData");
        bool8_t isIncomplete = 0;
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        size = sizeof isIncomplete;
        Check(gentl.DSGetBufferInfo(stream, data.BufferHandle, BUFFER_INFO_IS_INCOMPLETE, &type,
                                    &isIncomplete, &size),
              "DSGetBufferInfo");
        incomplete += isIncomplete ? 1 : 0;
        uint64_t missing = 0;
        size = sizeof missing;
        Check(gentl.DSGetInfo(stream,
                              static_cast<STREAM_INFO_CMD>(KAVRIN_STREAM_INFO_PACKETS_MISSING),
                              &type, &missing, &size),
              "DSGetInfo");
        benchmark::DoNotOptimize(missing);
        Check(gentl.DSQueueBuffer(stream, data.BufferHandle), "DSQueueBuffer");
    };
    WarmUp(receive);
    TimeImages(state, receive, cpu->producer);
    CountFrames(state, incomplete);
    gentl.DSStopAcquisition(stream, ACQ_STOP_FLAGS_DEFAULT);
    gentl.DSClose(stream);
    gentl.DevClose(device);
    gentl.GCCloseLib();
}

// (b) Aravis alone: the same camera through ArvStream, popping and pushing its buffers.
void BM_AravisStream(benchmark::State& state, CpuPerImage* cpu) {
    GInetAddress* loopback = g_inet_address_new_loopback(G_SOCKET_FAMILY_IPV4);
    ArvDevice* device = arv_gv_device_new(loopback, loopback, nullptr);
    g_object_unref(loopback);
    if (device == nullptr) throw std::runtime_error("Aravis cannot open the fake camera");
    GError* error = nullptr;
    ArvStream* stream = arv_device_create_stream(device, nullptr, nullptr, &error);
    if (stream == nullptr) {
        const std::string why = error != nullptr ? error->message : "unknown";
        g_clear_error(&error);
        g_object_unref(device);
        throw std::runtime_error("Aravis cannot stream from the fake camera: " + why);
    }
    for (uint32_t i = 0; i < kBuffers; ++i)
        arv_stream_push_buffer(stream, arv_buffer_new_allocate(kImageSize));
    arv_device_execute_command(device, "AcquisitionStart", nullptr);
    int incomplete = 0;
    const auto receive = [&] {
        ArvBuffer* buffer = arv_stream_timeout_pop_buffer(stream, 5000000);
        if (buffer == nullptr) throw std::runtime_error("no image from Aravis");
        incomplete += arv_buffer_get_status(buffer) == ARV_BUFFER_STATUS_SUCCESS ? 0 : 1;
        guint64 completed = 0;
        guint64 failures = 0;
        guint64 underruns = 0;
        arv_stream_get_statistics(stream, &completed, &failures, &underruns);
        const guint64 missing = arv_stream_get_info_uint64_by_name(stream, "n_missing_packets");
        benchmark::DoNotOptimize(missing);
        arv_stream_push_buffer(stream, buffer);
    };
    WarmUp(receive);
    TimeImages(state, receive, cpu->aravis);
    CountFrames(state, incomplete);
    arv_device_execute_command(device, "AcquisitionStop", nullptr);
    arv_stream_stop_thread(stream, TRUE);
    arv_stream_start_thread(stream);
    g_object_unref(stream);
    g_object_unref(device);
}

// The reference: one image's worth of memcpy.
void BM_MemcpyImage(benchmark::State& state) {
    std::vector<unsigned char> from(kImageSize, 1), to(kImageSize);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kImageSize);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageSize));
}

}  // namespace

BENCHMARK(BM_MemcpyImage);
// --frame-period-us=N sets the fake camera's frame period (default 10000: 100 frames/s).
int main(int argc, char** argv) {
    uint32_t framePeriodUs = 10000;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frame-period-us=", 18) == 0)
            framePeriodUs = static_cast<uint32_t>(std::atoi(argv[i] + 18));
    }
    const std::string unavailable = aravis_tests::EnterPrivateNetwork();
    if (!unavailable.empty()) {
        std::printf("skipped: %s\n", unavailable.c_str());
        return 0;
    }
    const pid_t camera = StartFakeCamera(framePeriodUs);
    sleep(1);
    CpuPerImage cpu;
    for (const auto& [name, path] : {std::pair{"BM_ProducerCAbi", &BM_ProducerCAbi},
                                     std::pair{"BM_AravisStream", &BM_AravisStream}}) {
        benchmark::RegisterBenchmark(name, path, &cpu)
            ->Iterations(kFrames)
            ->UseRealTime()
            ->MeasureProcessCPUTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (cpu.producer.PerImage() > 0 && cpu.aravis.PerImage() > 0) {
        std::printf(
            "CPU per image over every repetition: producer %.1f us, Aravis alone %.1f us, "
            "ratio %.3f\n",
            cpu.producer.PerImage() * 1e6, cpu.aravis.PerImage() * 1e6,
            cpu.producer.PerImage() / cpu.aravis.PerImage());
    }
    benchmark::Shutdown();
    kill(camera, SIGTERM);
    waitpid(camera, nullptr, 0);
    return 0;
}
