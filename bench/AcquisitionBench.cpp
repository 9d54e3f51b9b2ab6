// Throughput of the producer as a consumer sees it: frames through the C ABI from a simulated
// camera with pacing off, and the cost of one export call with its handle checks.
#include <benchmark/benchmark.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "tevold/SimControl.h"
#include "tevold/SimRegisterMap.h"
#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;

void Check(GC_ERROR result, const char* call) {
    if (result != GC_ERR_SUCCESS) throw std::runtime_error(std::string(call) + " failed: " + std::to_string(result));
}

// One camera opened through the C ABI, acquiring into queued buffers.
class OpenCamera {
public:
    OpenCamera(uint32_t width, uint32_t height, uint32_t buffers) : gentl_(KAVRIN_CTI_PATH) {
        Tevold::Sim::Reset();
        Tevold::Sim::SetPacing(false);
        Check(gentl_.GCInitLib(), "GCInitLib");
        Check(gentl_.TLOpen(&system_), "TLOpen");
        Check(gentl_.TLUpdateInterfaceList(system_, nullptr, 100), "TLUpdateInterfaceList");
        Check(gentl_.TLOpenInterface(system_, "SimGEV0", &iface_), "TLOpenInterface");
        Check(gentl_.IFUpdateDeviceList(iface_, nullptr, 100), "IFUpdateDeviceList");
        Check(gentl_.IFOpenDevice(iface_, "KVR-GEV-1001", DEVICE_ACCESS_CONTROL, &device_), "IFOpenDevice");
        PORT_HANDLE port = nullptr;
        Check(gentl_.DevGetPort(device_, &port), "DevGetPort");
        WriteRegister(port, Tevold::Sim::CameraRegister::kWidth, width);
        WriteRegister(port, Tevold::Sim::CameraRegister::kHeight, height);
        Check(gentl_.DevOpenDataStream(device_, "DS0", &stream_), "DevOpenDataStream");
        payloadSize_ = size_t{width} * height;
        for (uint32_t i = 0; i < buffers; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            Check(gentl_.DSAllocAndAnnounceBuffer(stream_, payloadSize_, nullptr, &buffer), "DSAllocAndAnnounceBuffer");
            Check(gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer");
            buffers_.push_back(buffer);
        }
        Check(gentl_.GCRegisterEvent(stream_, EVENT_NEW_BUFFER, &newBuffer_), "GCRegisterEvent");
        Check(gentl_.DSStartAcquisition(stream_, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), "DSStartAcquisition");
    }

    ~OpenCamera() {
        gentl_.DSStopAcquisition(stream_, ACQ_STOP_FLAGS_DEFAULT);
        gentl_.DevClose(device_);
        gentl_.GCCloseLib();
    }

    // Waits for the next filled buffer and gives it back to the acquisition.
    void NextFrame() {
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        Check(gentl_.EventGetData(newBuffer_, &data, &size, 3000), "EventGetData");
        Check(gentl_.DSQueueBuffer(stream_, data.BufferHandle), "DSQueueBuffer");
    }

    uint64_t FrameId(BUFFER_HANDLE buffer) {
        uint64_t frameId = 0;
        size_t size = sizeof frameId;
        INFO_DATATYPE type = 0;
        Check(gentl_.DSGetBufferInfo(stream_, buffer, BUFFER_INFO_FRAMEID, &type, &frameId, &size), "DSGetBufferInfo");
        return frameId;
    }

    // Queues a buffer that is queued already: the call's own work is a lookup and a state test.
    void RequeueQueued(BUFFER_HANDLE buffer) { Check(gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer"); }

    // Looks at the new-buffer event without waiting or taking anything.
    uint64_t FiredCount() {
        uint64_t fired = 0;
        size_t size = sizeof fired;
        INFO_DATATYPE type = 0;
        Check(gentl_.EventGetInfo(newBuffer_, EVENT_NUM_FIRED, &type, &fired, &size), "EventGetInfo");
        return fired;
    }

    void StopAcquisition() { Check(gentl_.DSStopAcquisition(stream_, ACQ_STOP_FLAGS_DEFAULT), "DSStopAcquisition"); }
    void QueueAll() {
        for (BUFFER_HANDLE buffer : buffers_) Check(gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer");
    }

    size_t PayloadSize() const { return payloadSize_; }
    BUFFER_HANDLE FirstBuffer() const { return buffers_.front(); }

private:
    void WriteRegister(PORT_HANDLE port, uint64_t address, uint32_t value) {
        size_t size = sizeof value;
        Check(gentl_.GCWritePort(port, address, &value, &size), "GCWritePort");
    }

    GenTLProducer gentl_;
    TL_HANDLE system_ = nullptr;
    IF_HANDLE iface_ = nullptr;
    DEV_HANDLE device_ = nullptr;
    DS_HANDLE stream_ = nullptr;
    EVENT_HANDLE newBuffer_ = nullptr;
    std::vector<BUFFER_HANDLE> buffers_;
    size_t payloadSize_ = 0;
};

void AcquireFrames(benchmark::State& state) {
    OpenCamera camera(static_cast<uint32_t>(state.range(0)), static_cast<uint32_t>(state.range(1)), 4);
    for (auto _ : state) camera.NextFrame();
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * camera.PayloadSize()));
    state.SetLabel("frames through EventGetData + DSQueueBuffer");
}
BENCHMARK(AcquireFrames)->Args({2448, 2048})->Args({640, 480})->UseRealTime()->Unit(benchmark::kMicrosecond);

void MemcpyOfOneFrame(benchmark::State& state) {
    const size_t bytes = size_t{2448} * 2048;
    std::vector<char> from(bytes, 1);
    std::vector<char> to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(MemcpyOfOneFrame)->Unit(benchmark::kMicrosecond);

// One export call: initialisation check, two handle leases, the answer and its copy.
void BufferInfoQuery(benchmark::State& state) {
    OpenCamera camera(640, 480, 4);
    const BUFFER_HANDLE buffer = camera.FirstBuffer();
    for (auto _ : state) benchmark::DoNotOptimize(camera.FrameId(buffer));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BufferInfoQuery);

// The handle lookups of the frame path, without the work of a delivery: a stream and a buffer
// handle, and an event handle. Measured beside a 64-byte memset so the ratio travels across machines.
void QueueQueuedBuffer(benchmark::State& state) {
    OpenCamera camera(640, 480, 4);
    camera.StopAcquisition();
    camera.QueueAll();
    const BUFFER_HANDLE buffer = camera.FirstBuffer();
    for (auto _ : state) camera.RequeueQueued(buffer);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(QueueQueuedBuffer);

void EventInfoQuery(benchmark::State& state) {
    OpenCamera camera(640, 480, 4);
    for (auto _ : state) benchmark::DoNotOptimize(camera.FiredCount());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(EventInfoQuery);

void MemsetOf64Bytes(benchmark::State& state) {
    char bytes[64];
    for (auto _ : state) {
        std::memset(bytes, static_cast<int>(state.iterations()), sizeof bytes);
        benchmark::DoNotOptimize(bytes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(MemsetOf64Bytes);

}  // namespace

BENCHMARK_MAIN();
