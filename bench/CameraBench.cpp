// How fast the simulated camera fills images, beside what the memory itself manages: GrabImage
// should come close to memset, since it does nothing but write each image once.
#include "camlib/CamLib.h"
#include "tevold/SimControl.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kWidth = 2448;
constexpr uint32_t kHeight = 2048;
constexpr size_t kImageBytes = size_t{kWidth} * kHeight;

// A simulated camera streaming full-size Mono8 images as fast as they are asked for.
class StreamingCamera {
public:
    StreamingCamera()
    {
        namespace Sim = Tevold::Sim;
        Sim::Reset();
        Sim::SetPacing(false);
        ready_ = GetSystem(&system_) == 0 && system_->ConnectInterface("SimGEV0", &iface_) == 0 &&
                 iface_->ConnectDevice("KVR-GEV-1001", &device_) == 0 &&
                 Write(Sim::CameraRegister::kWidth, kWidth) &&
                 Write(Sim::CameraRegister::kHeight, kHeight) &&
                 Write(Sim::CameraRegister::kPixelFormat, Sim::PixelFormat::kMono8) &&
                 device_->OpenStream("DS0", &stream_) == 0 && stream_->StartGrab(0, -1) == 0;
    }

    ~StreamingCamera()
    {
        if (stream_ != nullptr) {
            stream_->CloseStream();
        }
        if (device_ != nullptr) {
            device_->CloseDevice();
        }
        if (iface_ != nullptr) {
            iface_->CloseInterface();
        }
        if (system_ != nullptr) {
            system_->ReleaseSystem();
        }
        Tevold::Sim::Reset();
    }

    bool Ready() const { return ready_; }
    Tevold::CamStream& Stream() { return *stream_; }

private:
    bool Write(uint64_t address, uint32_t value)
    {
        size_t size = sizeof value;
        return device_->WriteRegister(address, &value, &size) == 0;
    }

    Tevold::CamSystem* system_ = nullptr;
    Tevold::CamInterface* iface_ = nullptr;
    Tevold::CamDevice* device_ = nullptr;
    Tevold::CamStream* stream_ = nullptr;
    bool ready_ = false;
};

void BM_Memset(benchmark::State& state)
{
    std::vector<uint8_t> destination(kImageBytes);
    uint8_t value = 0;
    for (auto _ : state) {
        std::memset(destination.data(), ++value, destination.size());
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_Memset);

void BM_Memcpy(benchmark::State& state)
{
    std::vector<uint8_t> source(kImageBytes, 0x5A);
    std::vector<uint8_t> destination(kImageBytes);
    for (auto _ : state) {
        std::memcpy(destination.data(), source.data(), destination.size());
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_Memcpy);

void BM_GrabImageMono8(benchmark::State& state)
{
    StreamingCamera camera;
    if (!camera.Ready()) {
        state.SkipWithError("simulated camera not ready");
        return;
    }
    std::vector<uint8_t> destination(kImageBytes);
    Tevold::CamImageInfo info;
    for (auto _ : state) {
        if (camera.Stream().GrabImage(destination.data(), destination.size(), 1000, &info) != 0) {
            state.SkipWithError("GrabImage failed");
            break;
        }
        benchmark::DoNotOptimize(destination.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kImageBytes));
}
BENCHMARK(BM_GrabImageMono8);

}  // namespace

BENCHMARK_MAIN();
