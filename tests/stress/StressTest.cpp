// Eight threads, each with a camera of its own, open a device and a stream, acquire with a
// waiter thread, and close again in varying orders (kill and stop first, close the device
// under a running acquisition, close the stream and reopen it at once, which the allocator
// likes to place at the old address). Between their own steps they call into the handles the
// other threads hold right now, which may be closing or closed. Every call must answer with a
// GenTL code; a crash, a hang or a sanitizer report fails the run. Run it under ASan with
// ASAN_OPTIONS=quarantine_size_mb=0 so freed memory is reused at once and no stale handle can
// hide behind the quarantine.
//
// Usage: kavrin_stress CTI [CYCLES]   (cycles in all, shared by the threads)
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tevold/SimControl.h"
#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;
using namespace Kavrin::Tools;
namespace Sim = Tevold::Sim;

constexpr int kThreads = 8;
constexpr size_t kBufferSize = 64 * 1024;

// The handles a worker holds at the moment, for the others to poke at.
struct Published {
    std::atomic<void*> device{nullptr};
    std::atomic<void*> stream{nullptr};
    std::atomic<void*> buffer{nullptr};
    std::atomic<void*> event{nullptr};
};

std::array<Published, kThreads> published;
std::atomic<int> cyclesLeft{0};
std::atomic<int> failures{0};

void Fail(int worker, const char* call, GC_ERROR result) {
    std::fprintf(stderr, "worker %d: %s gave %d\n", worker, call, result);
    ++failures;
}

// A call on a handle that another thread may close at any moment: it works or the handle is
// refused, and nothing else.
void ExpectWorksOrRefused(int worker, const char* call, GC_ERROR result) {
    switch (result) {
        case GC_ERR_SUCCESS:
        case GC_ERR_INVALID_HANDLE:
        case GC_ERR_INVALID_PARAMETER:  // a buffer of another stream, revoked meanwhile
        case GC_ERR_RESOURCE_IN_USE:
        case GC_ERR_ERROR:  // "Buffer queued" and the like
            return;
        default:
            Fail(worker, call, result);
    }
}

class Worker {
public:
    Worker(GenTLProducer& gentl, IF_HANDLE iface, int index)
        : gentl_(gentl),
          iface_(iface),
          index_(index),
          random_(static_cast<unsigned>(index) * 7919u) {}

    void Run() {
        while (cyclesLeft.fetch_sub(1) > 0) Cycle();
    }

private:
    void Cycle() {
        const std::string id = "KVR-GEV-" + std::to_string(1001 + index_);
        DEV_HANDLE dev = nullptr;
        if (Must("IFOpenDevice",
                 gentl_.IFOpenDevice(iface_, id.c_str(), DEVICE_ACCESS_CONTROL, &dev)))
            return;
        DS_HANDLE ds = OpenStream(dev);
        if (ds == nullptr) return;
        // Closing and reopening at once puts the new stream where the old one was.
        if (Pick(3) == 0) {
            Must("DSClose", gentl_.DSClose(ds));
            ds = OpenStream(dev);
            if (ds == nullptr) return;
        }
        EVENT_HANDLE newBuffer = nullptr;
        Must("GCRegisterEvent", gentl_.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &newBuffer));
        published[index_].event = newBuffer;
        Must("DSStartAcquisition",
             gentl_.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE));
        std::thread waiter([&] { TakeFrames(ds, newBuffer); });
        for (int i = 0; i < 5; ++i) PokeAnother();
        switch (Pick(3)) {
            case 0:  // the order consumers use
                Must("DSStopAcquisition", gentl_.DSStopAcquisition(ds, ACQ_STOP_FLAGS_DEFAULT));
                Must("EventKill", gentl_.EventKill(newBuffer));
                waiter.join();
                Unpublish();
                Must("DSClose", gentl_.DSClose(ds));
                Must("DevClose", gentl_.DevClose(dev));
                return;
            case 1:  // the device under a running acquisition and a waiting thread
                Unpublish();
                Must("DevClose", gentl_.DevClose(dev));
                waiter.join();
                return;
            default:  // the stream first, still acquiring
                Unpublish();
                Must("DSClose", gentl_.DSClose(ds));
                waiter.join();
                Must("DevClose", gentl_.DevClose(dev));
                return;
        }
    }

    DS_HANDLE OpenStream(DEV_HANDLE dev) {
        DS_HANDLE ds = nullptr;
        if (Must("DevOpenDataStream", gentl_.DevOpenDataStream(dev, "DS0", &ds))) return nullptr;
        for (int i = 0; i < 3; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            Must("DSAllocAndAnnounceBuffer",
                 gentl_.DSAllocAndAnnounceBuffer(ds, kBufferSize, nullptr, &buffer));
            Must("DSQueueBuffer", gentl_.DSQueueBuffer(ds, buffer));
            published[index_].buffer = buffer;
        }
        published[index_].device = dev;
        published[index_].stream = ds;
        return ds;
    }

    // The waiter: frames until its wait is aborted or its event goes away.
    void TakeFrames(DS_HANDLE ds, EVENT_HANDLE event) {
        for (;;) {
            EVENT_NEW_BUFFER_DATA data{};
            size_t size = sizeof data;
            const GC_ERROR result = gentl_.EventGetData(event, &data, &size, GENTL_INFINITE);
            if (result == GC_ERR_ABORT || result == GC_ERR_INVALID_HANDLE) return;
            if (result != GC_ERR_SUCCESS) return Fail(index_, "EventGetData", result);
            ExpectWorksOrRefused(index_, "DSQueueBuffer",
                                 gentl_.DSQueueBuffer(ds, data.BufferHandle));
        }
    }

    // Calls on whatever another worker holds right now.
    void PokeAnother() {
        Published& other = published[Pick(kThreads)];
        void* stream = other.stream.load();
        void* buffer = other.buffer.load();
        uint64_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        ExpectWorksOrRefused(
            index_, "DSGetBufferInfo",
            gentl_.DSGetBufferInfo(stream, buffer, BUFFER_INFO_FRAMEID, &type, &value, &size));
        size = sizeof value;
        ExpectWorksOrRefused(
            index_, "DSGetInfo",
            gentl_.DSGetInfo(stream, STREAM_INFO_NUM_DELIVERED, &type, &value, &size));
        ExpectWorksOrRefused(index_, "DSQueueBuffer", gentl_.DSQueueBuffer(stream, buffer));
        size = sizeof value;
        ExpectWorksOrRefused(
            index_, "EventGetInfo",
            gentl_.EventGetInfo(other.event.load(), EVENT_NUM_FIRED, &type, &value, &size));
        char text[64];
        size = sizeof text;
        ExpectWorksOrRefused(
            index_, "DevGetInfo",
            gentl_.DevGetInfo(other.device.load(), DEVICE_INFO_ID, &type, text, &size));
        std::this_thread::yield();
    }

    void Unpublish() {
        published[index_].event = nullptr;
        published[index_].stream = nullptr;
        published[index_].buffer = nullptr;
        published[index_].device = nullptr;
    }

    // True when the call failed.
    bool Must(const char* call, GC_ERROR result) {
        if (result == GC_ERR_SUCCESS) return false;
        Fail(index_, call, result);
        return true;
    }

    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    GenTLProducer& gentl_;
    IF_HANDLE iface_;
    int index_;
    std::minstd_rand random_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CTI [CYCLES]\n", argv[0]);
        return 2;
    }
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 200;
    cyclesLeft = cycles;
    Sim::Configure(Sim::MakeWorldConfig(1, kThreads));
    Sim::SetPacing(false);
    GenTLProducer gentl(argv[1]);
    TL_HANDLE tl = nullptr;
    IF_HANDLE iface = nullptr;
    if (gentl.GCInitLib() != GC_ERR_SUCCESS || gentl.TLOpen(&tl) != GC_ERR_SUCCESS ||
        gentl.TLUpdateInterfaceList(tl, nullptr, 100) != GC_ERR_SUCCESS ||
        gentl.TLOpenInterface(tl, "SimGEV0", &iface) != GC_ERR_SUCCESS ||
        gentl.IFUpdateDeviceList(iface, nullptr, 100) != GC_ERR_SUCCESS) {
        std::fprintf(stderr, "cannot open the simulated interface\n");
        return 1;
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&gentl, iface, i] { Worker(gentl, iface, i).Run(); });
    for (auto& thread : threads) thread.join();
    gentl.GCCloseLib();
    std::printf("%d cycles on %d threads, %d failures\n", cycles, kThreads, failures.load());
    return failures == 0 ? 0 : 1;
}
