// The frame path as a consumer sees it, each figure beside a same-run reference: frames through
// the C ABI with pacing off beside memset and memcpy over the same buffers and beside a plain
// two-thread handoff of those buffers; the cost of single export calls; how long a stop and a
// kill take beside a plain condition-variable wake; what a paced stream and a stream whose
// consumer holds every buffer cost the process. bench/frame_path.sh prints the table.
#include <benchmark/benchmark.h>
#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tevold/SimControl.h"
#include "tevold/SimRegisterMap.h"
#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;
using namespace Kavrin::Tools;
using Clock = std::chrono::steady_clock;
namespace Sim = Tevold::Sim;

constexpr const char* kCamera = "KVR-GEV-1001";

void Check(GC_ERROR result, const char* call) {
    if (result != GC_ERR_SUCCESS)
        throw std::runtime_error(std::string(call) + " failed: " + std::to_string(result));
}

// CPU time of the whole process, every thread included.
double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

struct Format {
    uint32_t width;
    uint32_t height;
    uint32_t pixelFormat;
    size_t Bytes() const {
        return size_t{width} * height * (pixelFormat == Sim::PixelFormat::kMono16 ? 2 : 1);
    }
};

Format FormatOf(const benchmark::State& state) {
    return {static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)),
            state.range(2) == 16 ? Sim::PixelFormat::kMono16 : Sim::PixelFormat::kMono8};
}

uint32_t BufferCount(const benchmark::State& state) {
    return static_cast<uint32_t>(state.range(3));
}

// The producer loaded and opened down to its system module, over a freshly reset simulated
// world; interfaces open on first use.
class OpenSystem {
public:
    explicit OpenSystem(bool pacing) : gentl_(KAVRIN_CTI_PATH) {
        Sim::Reset();
        Sim::SetPacing(pacing);
        Check(gentl_.GCInitLib(), "GCInitLib");
        Check(gentl_.TLOpen(&system_), "TLOpen");
        Check(gentl_.TLUpdateInterfaceList(system_, nullptr, 100), "TLUpdateInterfaceList");
    }
    ~OpenSystem() {
        gentl_.GCCloseLib();
        Sim::Reset();
    }
    OpenSystem(const OpenSystem&) = delete;
    OpenSystem& operator=(const OpenSystem&) = delete;

    GenTLProducer& GenTL() { return gentl_; }
    IF_HANDLE Interface(const std::string& id) {
        IF_HANDLE& iface = interfaces_[id];
        if (iface == nullptr) {
            Check(gentl_.TLOpenInterface(system_, id.c_str(), &iface), "TLOpenInterface");
            Check(gentl_.IFUpdateDeviceList(iface, nullptr, 100), "IFUpdateDeviceList");
        }
        return iface;
    }

private:
    GenTLProducer gentl_;
    TL_HANDLE system_ = nullptr;
    std::map<std::string, IF_HANDLE> interfaces_;
};

// A camera of an open system with announced buffers and the new-buffer event; with chunks, the
// camera appends its Timestamp and FrameID chunks to every image.
class CameraStream {
public:
    CameraStream(OpenSystem& system, const std::string& interfaceId, const char* deviceId,
                 const Format& format, uint32_t buffers, double framesPerSecond,
                 bool chunks = false)
        : gentl_(system.GenTL()) {
        Check(gentl_.IFOpenDevice(system.Interface(interfaceId), deviceId, DEVICE_ACCESS_CONTROL,
                                  &device_),
              "IFOpenDevice");
        PORT_HANDLE port = nullptr;
        Check(gentl_.DevGetPort(device_, &port), "DevGetPort");
        WriteRegister(port, Sim::CameraRegister::kWidth, format.width);
        WriteRegister(port, Sim::CameraRegister::kHeight, format.height);
        WriteRegister(port, Sim::CameraRegister::kPixelFormat, format.pixelFormat);
        if (chunks) {
            WriteRegister(port, Sim::CameraRegister::kChunkModeActive, 1);
            for (const uint32_t chunk : {Sim::Chunk::kTimestamp, Sim::Chunk::kFrameID}) {
                WriteRegister(port, Sim::CameraRegister::kChunkSelector, chunk);
                WriteRegister(port, Sim::CameraRegister::kChunkEnable, 1);
            }
        }
        Sim::SetFrameRate(deviceId, framesPerSecond);
        Check(gentl_.DevOpenDataStream(device_, "DS0", &stream_), "DevOpenDataStream");
        const size_t payloadSize = ReadRegister(port, Sim::CameraRegister::kPayloadSize);
        for (uint32_t i = 0; i < buffers; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            Check(gentl_.DSAllocAndAnnounceBuffer(stream_, payloadSize, nullptr, &buffer),
                  "DSAllocAndAnnounceBuffer");
            buffers_.push_back(buffer);
        }
        Check(gentl_.GCRegisterEvent(stream_, EVENT_NEW_BUFFER, &newBuffer_), "GCRegisterEvent");
    }

    ~CameraStream() {
        gentl_.DSStopAcquisition(stream_, ACQ_STOP_FLAGS_DEFAULT);
        gentl_.DSFlushQueue(stream_, ACQ_QUEUE_ALL_DISCARD);
        gentl_.DevClose(device_);
    }
    CameraStream(const CameraStream&) = delete;
    CameraStream& operator=(const CameraStream&) = delete;

    void QueueAll() {
        for (BUFFER_HANDLE buffer : buffers_)
            Check(gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer");
    }
    void Start() {
        Check(gentl_.DSStartAcquisition(stream_, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              "DSStartAcquisition");
    }
    void Stop() {
        Check(gentl_.DSStopAcquisition(stream_, ACQ_STOP_FLAGS_DEFAULT), "DSStopAcquisition");
    }
    void DiscardAll() {
        Check(gentl_.DSFlushQueue(stream_, ACQ_QUEUE_ALL_DISCARD), "DSFlushQueue");
    }

    // The consumer's round: wait for a filled buffer, read its frame ID, give it back.
    uint64_t NextFrame() {
        const BUFFER_HANDLE buffer = Wait(3000);
        const uint64_t frameId = FrameId(buffer);
        Queue(buffer);
        return frameId;
    }

    BUFFER_HANDLE Wait(uint64_t timeoutMs) {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        Check(gentl_.EventGetData(newBuffer_, &data, &size, timeoutMs), "EventGetData");
        return data.BufferHandle;
    }
    GC_ERROR WaitResult(uint64_t timeoutMs, BUFFER_HANDLE* buffer = nullptr) {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        const GC_ERROR result = gentl_.EventGetData(newBuffer_, &data, &size, timeoutMs);
        if (buffer != nullptr) *buffer = data.BufferHandle;
        return result;
    }
    void Kill() { Check(gentl_.EventKill(newBuffer_), "EventKill"); }
    void Queue(BUFFER_HANDLE buffer) {
        Check(gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer");
    }

    uint64_t FrameId(BUFFER_HANDLE buffer) {
        return Uint64Info("DSGetBufferInfo", [&](INFO_DATATYPE* type, void* value, size_t* size) {
            return gentl_.DSGetBufferInfo(stream_, buffer, BUFFER_INFO_FRAMEID, type, value, size);
        });
    }
    uint64_t FiredCount() {
        return Uint64Info("EventGetInfo", [&](INFO_DATATYPE* type, void* value, size_t* size) {
            return gentl_.EventGetInfo(newBuffer_, EVENT_NUM_FIRED, type, value, size);
        });
    }
    uint64_t Underruns() {
        return Uint64Info("DSGetInfo", [&](INFO_DATATYPE* type, void* value, size_t* size) {
            return gentl_.DSGetInfo(stream_, STREAM_INFO_NUM_UNDERRUN, type, value, size);
        });
    }

    const std::vector<BUFFER_HANDLE>& Buffers() const { return buffers_; }

private:
    template <typename Call>
    static uint64_t Uint64Info(const char* name, Call call) {
        uint64_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        Check(call(&type, &value, &size), name);
        return value;
    }

    uint32_t ReadRegister(PORT_HANDLE port, uint64_t address) {
        uint32_t value = 0;
        size_t size = sizeof value;
        Check(gentl_.GCReadPort(port, address, &value, &size), "GCReadPort");
        return value;
    }
    void WriteRegister(PORT_HANDLE port, uint64_t address, uint32_t value) {
        size_t size = sizeof value;
        Check(gentl_.GCWritePort(port, address, &value, &size), "GCWritePort");
    }

    GenTLProducer& gentl_;
    DEV_HANDLE device_ = nullptr;
    DS_HANDLE stream_ = nullptr;
    EVENT_HANDLE newBuffer_ = nullptr;
    std::vector<BUFFER_HANDLE> buffers_;
};

// Lets the system of a single camera be built before the camera.
struct SystemOwner {
    explicit SystemOwner(bool pacing) : system(pacing) {}
    OpenSystem system;
};

// One camera, alone in the producer.
class OpenCamera : private SystemOwner, public CameraStream {
public:
    OpenCamera(const Format& format, uint32_t buffers, bool pacing, double framesPerSecond = 30.0,
               bool chunks = false)
        : SystemOwner(pacing),
          CameraStream(system, "SimGEV0", kCamera, format, buffers, framesPerSecond, chunks) {}
};

// Process CPU per frame, measured over the benchmark's timed loop.
class CpuPerFrame {
public:
    CpuPerFrame() : start_(ProcessCpuSeconds()) {}
    void Report(benchmark::State& state) const {
        state.counters["cpu_us_per_frame"] =
            (ProcessCpuSeconds() - start_) * 1e6 /
            static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    }

private:
    double start_;
};

void ReportBytes(benchmark::State& state, size_t bytes) {
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The full C-ABI path: EventGetData, DSGetBufferInfo, DSQueueBuffer.
void FramePath(benchmark::State& state, bool chunks) {
    const Format format = FormatOf(state);
    OpenCamera camera(format, BufferCount(state), false, 30.0, chunks);
    camera.QueueAll();
    camera.Start();
    // Every buffer filled twice first: the first write into fresh memory also maps its pages.
    for (uint32_t i = 0; i < 2 * BufferCount(state) + 4; ++i) camera.NextFrame();
    const uint64_t underrunsBefore = camera.Underruns();
    const CpuPerFrame cpu;
    for (auto _ : state) benchmark::DoNotOptimize(camera.NextFrame());
    cpu.Report(state);
    state.counters["underruns_per_frame"] =
        static_cast<double>(camera.Underruns() - underrunsBefore) /
        static_cast<double>(state.iterations());
    ReportBytes(state, format.Bytes());
}

void Frames(benchmark::State& state) { FramePath(state, false); }

// The same with the Timestamp and FrameID chunks appended to every image.
void FramesWithChunks(benchmark::State& state) { FramePath(state, true); }

std::vector<std::vector<uint8_t>> MakeBuffers(const benchmark::State& state) {
    return std::vector<std::vector<uint8_t>>(BufferCount(state),
                                             std::vector<uint8_t>(FormatOf(state).Bytes()));
}

void Memset(benchmark::State& state) {
    auto buffers = MakeBuffers(state);
    size_t next = 0;
    uint8_t value = 0;
    for (auto _ : state) {
        std::vector<uint8_t>& buffer = buffers[next++ % buffers.size()];
        std::memset(buffer.data(), ++value, buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    ReportBytes(state, FormatOf(state).Bytes());
}

void Memcpy(benchmark::State& state) {
    auto buffers = MakeBuffers(state);
    const std::vector<uint8_t> image(FormatOf(state).Bytes(), 0x5A);
    size_t next = 0;
    for (auto _ : state) {
        std::vector<uint8_t>& buffer = buffers[next++ % buffers.size()];
        std::memcpy(buffer.data(), image.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    ReportBytes(state, FormatOf(state).Bytes());
}

// The same bytes written with stores that bypass the cache, the faster plain write once the
// buffers no longer fit in the last-level cache.
void StreamingWrite(benchmark::State& state) {
    auto buffers = MakeBuffers(state);
    size_t next = 0;
    uint8_t value = 0;
    for (auto _ : state) {
        std::vector<uint8_t>& buffer = buffers[next++ % buffers.size()];
        const __m128i pattern = _mm_set1_epi8(static_cast<char>(++value));
        uint8_t* at = buffer.data();
        uint8_t* const end = at + buffer.size();
        for (; at < end && reinterpret_cast<uintptr_t>(at) % sizeof pattern != 0; ++at) *at = value;
        for (; at + sizeof pattern <= end; at += sizeof pattern)
            _mm_stream_si128(reinterpret_cast<__m128i*>(at), pattern);
        for (; at < end; ++at) *at = value;
        _mm_sfence();
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    ReportBytes(state, FormatOf(state).Bytes());
}

// The ceiling of any scheme that hands buffers between two threads: a producer thread writes
// each image with memset into a free buffer and hands it over with a mutex and a condition
// variable; the consumer takes it and hands it back the same way.
void Handoff(benchmark::State& state) {
    auto buffers = MakeBuffers(state);
    std::mutex mutex;
    std::condition_variable freed;
    std::condition_variable filled;
    std::deque<std::vector<uint8_t>*> freeBuffers;
    std::deque<std::vector<uint8_t>*> filledBuffers;
    for (auto& buffer : buffers) freeBuffers.push_back(&buffer);
    bool stop = false;
    std::thread producer([&] {
        uint8_t value = 0;
        for (;;) {
            std::vector<uint8_t>* buffer = nullptr;
            {
                std::unique_lock lock(mutex);
                freed.wait(lock, [&] { return stop || !freeBuffers.empty(); });
                if (stop) return;
                buffer = freeBuffers.front();
                freeBuffers.pop_front();
            }
            std::memset(buffer->data(), ++value, buffer->size());
            {
                std::lock_guard lock(mutex);
                filledBuffers.push_back(buffer);
            }
            filled.notify_one();
        }
    });
    const CpuPerFrame cpu;
    for (auto _ : state) {
        std::vector<uint8_t>* buffer = nullptr;
        {
            std::unique_lock lock(mutex);
            filled.wait(lock, [&] { return !filledBuffers.empty(); });
            buffer = filledBuffers.front();
            filledBuffers.pop_front();
        }
        benchmark::DoNotOptimize(buffer->data());
        {
            std::lock_guard lock(mutex);
            freeBuffers.push_back(buffer);
        }
        freed.notify_one();
    }
    cpu.Report(state);
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    freed.notify_one();
    producer.join();
    ReportBytes(state, FormatOf(state).Bytes());
}

void FrameArgs(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"w", "h", "bits", "buffers"});
    for (const int64_t buffers : {4, 16}) {
        benchmark->Args({16, 16, 8, buffers});
        benchmark->Args({640, 480, 8, buffers});
        benchmark->Args({1920, 1080, 8, buffers});
        benchmark->Args({2448, 2048, 8, buffers});
        benchmark->Args({4096, 3000, 16, buffers});
    }
    benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
}

BENCHMARK(Frames)->Apply(FrameArgs);
BENCHMARK(Memset)->Apply(FrameArgs);
BENCHMARK(Memcpy)->Apply(FrameArgs);
BENCHMARK(StreamingWrite)->Apply(FrameArgs);
BENCHMARK(Handoff)->Apply(FrameArgs);

void ChunkArgs(benchmark::internal::Benchmark* benchmark) {
    benchmark->ArgNames({"w", "h", "bits", "buffers"});
    benchmark->Args({16, 16, 8, 4});
    benchmark->Args({640, 480, 8, 4});
    benchmark->Args({2448, 2048, 8, 4});
    benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
}
BENCHMARK(FramesWithChunks)->Apply(ChunkArgs);

// Several cameras at once, 640x480 Mono8 with pacing off and 4 buffers each, every one on its
// own stream with its own consumer thread, all of them in one producer. Frames lost are the gaps
// in each camera's frame IDs; CPU is the whole process's per frame delivered.
void Cameras(benchmark::State& state) {
    struct Camera {
        const char* interfaceId;
        const char* deviceId;
    };
    constexpr Camera kCameras[] = {{"SimGEV0", "KVR-GEV-1001"},
                                   {"SimU3V0", "KVR-U3V-2001"},
                                   {"SimGEV0", "KVR-GEV-1002"},
                                   {"SimU3V0", "KVR-U3V-2002"}};
    constexpr auto kWindow = std::chrono::milliseconds(1500);
    const Format format{640, 480, Sim::PixelFormat::kMono8};
    const auto count = static_cast<size_t>(state.range(0));
    OpenSystem system(false);
    std::vector<std::unique_ptr<CameraStream>> cameras;
    for (size_t i = 0; i < count; ++i) {
        cameras.push_back(std::make_unique<CameraStream>(system, kCameras[i].interfaceId,
                                                         kCameras[i].deviceId, format, 4, 30.0));
        cameras.back()->QueueAll();
        cameras.back()->Start();
    }
    for (auto _ : state) {
        std::vector<uint64_t> frames(count);
        std::vector<uint64_t> lost(count);
        std::atomic<bool> measuring{false};
        std::atomic<bool> done{false};
        std::vector<std::thread> consumers;
        for (size_t i = 0; i < count; ++i) {
            consumers.emplace_back([&, i] {
                CameraStream& camera = *cameras[i];
                uint64_t last = camera.NextFrame();
                while (!measuring) last = camera.NextFrame();
                while (!done) {
                    const uint64_t frameId = camera.NextFrame();
                    lost[i] += frameId - last - 1;
                    last = frameId;
                    ++frames[i];
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const double cpuBefore = ProcessCpuSeconds();
        const Clock::time_point start = Clock::now();
        measuring = true;
        std::this_thread::sleep_for(kWindow);
        done = true;
        const double wall = Seconds(Clock::now() - start);
        const double cpu = ProcessCpuSeconds() - cpuBefore;
        for (std::thread& consumer : consumers) consumer.join();
        uint64_t allFrames = 0;
        uint64_t allLost = 0;
        for (size_t i = 0; i < count; ++i) {
            allFrames += frames[i];
            allLost += lost[i];
        }
        state.counters["frames_per_s"] = static_cast<double>(allFrames) / wall;
        state.counters["cpu_us_per_frame"] = cpu * 1e6 / static_cast<double>(allFrames);
        state.counters["lost_per_frame"] =
            static_cast<double>(allLost) / static_cast<double>(allFrames);
        state.SetIterationTime(wall);
    }
}
BENCHMARK(Cameras)->ArgName("cameras")->Arg(1)->Arg(4)->UseManualTime()->Iterations(1)->Unit(
    benchmark::kMillisecond);

// Single export calls on a stream that acquires, paced at 1000 fps into a held buffer's
// neighbours, so the acquisition thread is busy beside the calls.
void BufferInfoCall(benchmark::State& state) {
    OpenCamera camera({640, 480, Sim::PixelFormat::kMono8}, 4, true, 1000.0);
    camera.QueueAll();
    camera.Start();
    const BUFFER_HANDLE held = camera.Wait(3000);
    for (auto _ : state) benchmark::DoNotOptimize(camera.FrameId(held));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BufferInfoCall)->UseRealTime();

// DSQueueBuffer of a delivered buffer, timed in batches; the flush that makes them delivered
// again is not timed.
void QueueBufferCall(benchmark::State& state) {
    constexpr uint32_t kBatch = 256;
    OpenCamera camera({16, 16, Sim::PixelFormat::kMono8}, kBatch, true, 1.0);
    camera.Start();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        for (BUFFER_HANDLE buffer : camera.Buffers()) camera.Queue(buffer);
        state.SetIterationTime(Seconds(Clock::now() - start) / kBatch);
        camera.DiscardAll();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(QueueBufferCall)->UseManualTime();

// An event call: one handle lookup and a counter read, the frame path's cheapest export.
void EventInfoCall(benchmark::State& state) {
    OpenCamera camera({640, 480, Sim::PixelFormat::kMono8}, 4, true, 1000.0);
    camera.QueueAll();
    camera.Start();
    for (auto _ : state) benchmark::DoNotOptimize(camera.FiredCount());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EventInfoCall)->UseRealTime();

// A consumer polling with a timeout of 0 while no buffer is delivered: the wait only looks.
void EmptyPollCall(benchmark::State& state) {
    OpenCamera camera({16, 16, Sim::PixelFormat::kMono8}, 1, true, 1.0);
    camera.Start();
    for (auto _ : state) benchmark::DoNotOptimize(camera.WaitResult(0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EmptyPollCall)->UseRealTime();

// The reference for the single calls: a memset of 64 bytes, so the ratio travels across machines.
void MemsetOf64Bytes(benchmark::State& state) {
    char bytes[64];
    for (auto _ : state) {
        std::memset(bytes, static_cast<int>(state.iterations()), sizeof bytes);
        benchmark::DoNotOptimize(bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemsetOf64Bytes)->UseRealTime();

// Records the latency of many wakes: the waiter stamps the moment it returns, the waker the
// moment it starts waking; the mean is the iteration time, the worst a counter.
class Latencies {
public:
    void Add(Clock::duration latency) {
        const double seconds = Seconds(latency);
        worst_ = std::max(worst_, seconds);
        samples_.push_back(seconds);
    }
    void Report(benchmark::State& state) {
        std::sort(samples_.begin(), samples_.end());
        state.counters["median_us"] = samples_.empty() ? 0.0 : samples_[samples_.size() / 2] * 1e6;
        state.counters["max_us"] = worst_ * 1e6;
    }

private:
    double worst_ = 0;
    std::vector<double> samples_;
};

// A waiter that wakes once per round and stamps the moment it has returned.
class Waiter {
public:
    template <class Wait>
    explicit Waiter(Wait wait)
        : thread_([this, wait] {
              for (;;) {
                  {
                      std::unique_lock lock(mutex_);
                      go_.wait(lock, [&] { return rounds_ > done_ || quit_; });
                      if (quit_) return;
                  }
                  waiting_ = true;
                  wait();
                  const Clock::time_point woken = Clock::now();
                  std::lock_guard lock(mutex_);
                  woken_ = woken;
                  ++done_;
                  finished_.notify_one();
              }
          }) {}
    ~Waiter() {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        go_.notify_one();
        thread_.join();
    }
    // Starts one wait and returns once the waiter is about to block in it.
    void Begin() {
        waiting_ = false;
        {
            std::lock_guard lock(mutex_);
            ++rounds_;
        }
        go_.notify_one();
        while (!waiting_) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Clock::time_point End() {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return done_ == rounds_; });
        return woken_;
    }

private:
    std::mutex mutex_;
    std::condition_variable go_;
    std::condition_variable finished_;
    uint64_t rounds_ = 0;
    uint64_t done_ = 0;
    bool quit_ = false;
    std::atomic<bool> waiting_{false};
    Clock::time_point woken_;
    std::thread thread_;
};

// EventKill while a consumer waits without limit on a stream that acquires into held buffers.
void KillToWaiter(benchmark::State& state) {
    OpenCamera camera({640, 480, Sim::PixelFormat::kMono8}, 4, false);
    camera.Start();
    Latencies latencies;
    GC_ERROR result = GC_ERR_SUCCESS;
    Waiter waiter([&] { result = camera.WaitResult(GENTL_INFINITE); });
    for (auto _ : state) {
        waiter.Begin();
        const Clock::time_point kill = Clock::now();
        camera.Kill();
        const Clock::duration latency = waiter.End() - kill;
        if (result != GC_ERR_ABORT) state.SkipWithError("the wait did not end with GC_ERR_ABORT");
        latencies.Add(latency);
        state.SetIterationTime(Seconds(latency));
    }
    latencies.Report(state);
}
BENCHMARK(KillToWaiter)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

// The reference: a plain condition-variable wake, notified after the lock is left.
void ConditionVariableWake(benchmark::State& state) {
    std::mutex mutex;
    std::condition_variable wake;
    bool woken = false;
    Latencies latencies;
    Waiter waiter([&] {
        std::unique_lock lock(mutex);
        wake.wait(lock, [&] { return woken; });
        woken = false;
    });
    for (auto _ : state) {
        waiter.Begin();
        const Clock::time_point start = Clock::now();
        {
            std::lock_guard lock(mutex);
            woken = true;
        }
        wake.notify_one();
        const Clock::duration latency = waiter.End() - start;
        latencies.Add(latency);
        state.SetIterationTime(Seconds(latency));
    }
    latencies.Report(state);
}
BENCHMARK(ConditionVariableWake)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

// DSStopAcquisition at a moment a grab waits for its image, at the given frame rate.
void StopLatency(benchmark::State& state) {
    const double framesPerSecond = static_cast<double>(state.range(0));
    OpenCamera camera({640, 480, Sim::PixelFormat::kMono8}, 4, true, framesPerSecond);
    Latencies latencies;
    uint32_t round = 0;
    for (auto _ : state) {
        camera.DiscardAll();
        camera.QueueAll();
        camera.Start();
        // A different moment of the frame period every round.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (round++ * 7919) % 20000));
        const Clock::time_point start = Clock::now();
        camera.Stop();
        const Clock::duration latency = Clock::now() - start;
        latencies.Add(latency);
        state.SetIterationTime(Seconds(latency));
    }
    latencies.Report(state);
}
BENCHMARK(StopLatency)
    ->Arg(30)
    ->Arg(10)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

// Share of one core the whole process uses over one second: a consumer of a stream paced at
// 10 fps, or a consumer that holds every buffer of a stream with pacing off. Underruns are
// what the stream counted meanwhile.
void StreamCpu(benchmark::State& state, bool holdEveryBuffer) {
    OpenCamera camera({640, 480, Sim::PixelFormat::kMono8}, 4, !holdEveryBuffer,
                      holdEveryBuffer ? 30.0 : 10.0);
    camera.QueueAll();
    camera.Start();
    if (holdEveryBuffer)
        for (size_t i = 0; i < camera.Buffers().size(); ++i) camera.Wait(3000);
    for (auto _ : state) {
        const uint64_t underrunsBefore = camera.Underruns();
        const double cpuBefore = ProcessCpuSeconds();
        const Clock::time_point start = Clock::now();
        const Clock::time_point end = start + std::chrono::seconds(1);
        while (Clock::now() < end) {
            if (holdEveryBuffer) {
                std::this_thread::sleep_until(end);
            } else {
                BUFFER_HANDLE buffer = nullptr;
                if (camera.WaitResult(100, &buffer) == GC_ERR_SUCCESS) camera.Queue(buffer);
            }
        }
        const double wall = Seconds(Clock::now() - start);
        state.counters["cpu_share"] = (ProcessCpuSeconds() - cpuBefore) / wall;
        state.counters["underruns_per_s"] =
            static_cast<double>(camera.Underruns() - underrunsBefore) / wall;
        state.SetIterationTime(wall);
    }
}
BENCHMARK_CAPTURE(StreamCpu, paced_10fps, false)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(StreamCpu, every_buffer_held_30fps, true)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
