// Loads and unloads the producer as an application that opens and closes it many times does:
// each cycle dlopens the .cti (and with it the camera library), acquires from a camera with a
// thread waiting for buffers without limit, calls GCCloseLib with everything still open, and
// dlcloses. The waiter must be released with an abort, the library must really leave the
// process, and nothing may stay allocated (run it under valgrind or LeakSanitizer).
//
// Usage: kavrin_unload_cycles CTI [CYCLES]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <utility>

#include "tools/GenTLProducer.h"

namespace {

using namespace GenTL;
using namespace Kavrin::Tools;

bool Check(GC_ERROR result, const char* call) {
    if (result == GC_ERR_SUCCESS) return true;
    std::fprintf(stderr, "%s failed: %d\n", call, result);
    return false;
}

bool IsMapped(const std::string& path) {
    std::ifstream maps("/proc/self/maps");
    const std::string name = path.substr(path.rfind('/') + 1);
    for (std::string line; std::getline(maps, line);)
        if (line.find(name) != std::string::npos) return true;
    return false;
}

// One session: a camera acquiring into queued buffers, a waiter, GCCloseLib with all open.
bool Session(GenTLProducer& gentl) {
    TL_HANDLE tl = nullptr;
    IF_HANDLE iface = nullptr;
    DEV_HANDLE dev = nullptr;
    DS_HANDLE ds = nullptr;
    EVENT_HANDLE newBuffer = nullptr;
    if (!Check(gentl.GCInitLib(), "GCInitLib") || !Check(gentl.TLOpen(&tl), "TLOpen") ||
        !Check(gentl.TLUpdateInterfaceList(tl, nullptr, 100), "TLUpdateInterfaceList") ||
        !Check(gentl.TLOpenInterface(tl, "SimGEV0", &iface), "TLOpenInterface") ||
        !Check(gentl.IFUpdateDeviceList(iface, nullptr, 100), "IFUpdateDeviceList") ||
        !Check(gentl.IFOpenDevice(iface, "KVR-GEV-1001", DEVICE_ACCESS_CONTROL, &dev),
               "IFOpenDevice") ||
        !Check(gentl.DevOpenDataStream(dev, "DS0", &ds), "DevOpenDataStream") ||
        !Check(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, &newBuffer), "GCRegisterEvent"))
        return false;
    for (int i = 0; i < 3; ++i) {
        BUFFER_HANDLE buffer = nullptr;
        if (!Check(gentl.DSAllocAndAnnounceBuffer(ds, size_t{1} << 20, nullptr, &buffer),
                   "DSAllocAndAnnounceBuffer") ||
            !Check(gentl.DSQueueBuffer(ds, buffer), "DSQueueBuffer"))
            return false;
    }
    if (!Check(gentl.DSStartAcquisition(ds, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
               "DSStartAcquisition"))
        return false;
    GC_ERROR ended = GC_ERR_SUCCESS;
    std::promise<void> tookOne;
    std::thread waiter([&] {
        // Takes the buffers and keeps them, so that a wait lasts until the close.
        EVENT_NEW_BUFFER_DATA data{};
        size_t size = sizeof data;
        bool first = true;
        do {
            size = sizeof data;
            ended = gentl.EventGetData(newBuffer, &data, &size, GENTL_INFINITE);
            if (std::exchange(first, false)) tookOne.set_value();
        } while (ended == GC_ERR_SUCCESS);
    });
    // The stream delivers while the library is closed under it.
    tookOne.get_future().wait();
    gentl.GCCloseLib();
    waiter.join();
    // The close ends a wait in progress with an abort; a call the waiter begins once the close
    // has gone further finds the stream's handle gone, or, after the close, the library closed.
    if (ended != GC_ERR_ABORT && ended != GC_ERR_INVALID_HANDLE &&
        ended != GC_ERR_NOT_INITIALIZED) {
        std::fprintf(stderr, "the waiter ended with %d\n", ended);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CTI [CYCLES]\n", argv[0]);
        return 2;
    }
    const std::string cti = argv[1];
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 10;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        {
            GenTLProducer gentl(cti);
            if (!Session(gentl)) return 1;
        }
        if (IsMapped(cti)) {
            std::fprintf(stderr, "cycle %d: the library is still loaded after dlclose\n", cycle);
            return 1;
        }
    }
    std::printf("%d load/unload cycles\n", cycles);
    return 0;
}
