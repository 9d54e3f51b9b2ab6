// libFuzzer harness: each input is a program of export calls. Handles come from a pool that
// holds what earlier calls returned (also after they were closed) and handles made up from the
// input; commands, sizes, buffers and timeouts come from the input, and the simulated cameras'
// faults are switched on and off by it. Every input ends with GCCloseLib, which must leave
// nothing behind. Buffers passed are always as large as the size the call is told, as the
// GenTL contract asks of a consumer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "GenTL.h"
#include "tevold/SimControl.h"

namespace {

using namespace GenTL;
namespace Sim = Tevold::Sim;

constexpr size_t kScratch = 512;
constexpr size_t kMaxAllocation = size_t{1} << 20;
constexpr size_t kPoolSize = 16;

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Done() const { return offset_ >= size_; }
    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    uint32_t U32() {
        return Byte() | uint32_t{Byte()} << 8 | uint32_t{Byte()} << 16 | uint32_t{Byte()} << 24;
    }
    uint64_t U64() { return U32() | uint64_t{U32()} << 32; }
    template <class T>
    const T& Choose(const std::vector<T>& values) {
        return values[Byte() % values.size()];
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

// Memory the harness announces as the application's own; it outlives every stream.
alignas(64) uint8_t userMemory[4][64 * 1024];

class Session {
public:
    explicit Session(Input& in) : in_(in) {}

    void Run() {
        if (in_.Byte() % 8 != 0) GCInitLib();
        while (!in_.Done()) Step();
        GCCloseLib();
        Sim::ClearFaults();
    }

private:
    void* Handle() {
        switch (in_.Byte() % 8) {
            case 0:
                return nullptr;
            case 1:
                return reinterpret_cast<void*>(static_cast<uintptr_t>(in_.U64()));
            case 2:
                return scratch_.data();
            case 3: {
                void* known = pool_[in_.Byte() % kPoolSize];
                return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(known) +
                                               (in_.Byte() % 3) - 1);
            }
            default:
                return pool_[in_.Byte() % kPoolSize];
        }
    }

    void Keep(void* handle) {
        if (handle != nullptr) pool_[next_++ % kPoolSize] = handle;
    }

    // A buffer, or none, with a size variable that never claims more than the buffer holds.
    void* Buffer() { return in_.Byte() % 4 == 0 ? nullptr : scratch_.data(); }
    size_t* Size() {
        if (in_.Byte() % 8 == 0) return nullptr;
        size_ = in_.Byte() % 3 == 0 ? kScratch : in_.Byte() % (kScratch + 1);
        return &size_;
    }
    INFO_DATATYPE* Type() { return in_.Byte() % 4 == 0 ? nullptr : &type_; }
    int32_t Command() {
        const uint8_t pick = in_.Byte();
        if (pick % 4 == 0) return static_cast<int32_t>(in_.U32());
        return pick % 2 == 0 ? pick % 48 : 1000 + pick % 6;
    }
    const char* Text() {
        static const std::vector<const char*> texts = {"SimGEV0",
                                                       "GEV::SimGEV0",
                                                       "simu3v0",
                                                       "KVR-GEV-1001",
                                                       "KVR-GEV-1002",
                                                       "KVR-U3V-2001",
                                                       "SN->KS1001",
                                                       "USERNAME->",
                                                       "::",
                                                       "",
                                                       "DS0",
                                                       "DS1",
                                                       "GEV::KVR-GEV-1001::x",
                                                       nullptr};
        return in_.Choose(texts);
    }
    uint64_t Timeout() { return in_.Byte() % 4; }

    void InjectFault() {
        if (in_.Byte() % 3 == 0) return Sim::ClearFaults();
        Sim::Fault fault;
        fault.operation = static_cast<Sim::Operation>(in_.Byte() % 12);
        static const std::vector<Tevold::CamResult> results = {-1001, -1002, -1005, -1010,
                                                               -1011, -1014, 0};
        fault.result = in_.Choose(results);
        fault.times = in_.Byte() % 4 == 0 ? Sim::kUntilCleared : 1 + in_.Byte() % 3;
        Sim::InjectFault(fault);
    }

    void Step() {
        void* out = nullptr;
        bool8_t changed = 0;
        uint32_t count = 0;
        switch (in_.Byte() % 44) {
            case 0:
                GCInitLib();
                break;
            case 1:
                GCCloseLib();
                break;
            case 2:
                GCGetInfo(Command(), Type(), Buffer(), Size());
                break;
            case 3: {
                GC_ERROR code = 0;
                GCGetLastError(in_.Byte() % 2 ? &code : nullptr, static_cast<char*>(Buffer()),
                               Size());
                break;
            }
            case 4:
                if (TLOpen(in_.Byte() % 8 ? reinterpret_cast<TL_HANDLE*>(&out) : nullptr) == 0)
                    Keep(out);
                break;
            case 5:
                TLClose(Handle());
                break;
            case 6:
                TLGetInfo(Handle(), Command(), Type(), Buffer(), Size());
                break;
            case 7:
                TLGetNumInterfaces(Handle(), in_.Byte() % 8 ? &count : nullptr);
                break;
            case 8:
                TLGetInterfaceID(Handle(), in_.Byte() % 4, static_cast<char*>(Buffer()), Size());
                break;
            case 9:
                TLGetInterfaceInfo(Handle(), Text(), Command(), Type(), Buffer(), Size());
                break;
            case 10:
                if (TLOpenInterface(Handle(), Text(), &out) == 0) Keep(out);
                break;
            case 11:
                TLUpdateInterfaceList(Handle(), in_.Byte() % 2 ? &changed : nullptr, Timeout());
                break;
            case 12:
                IFClose(Handle());
                break;
            case 13:
                IFGetInfo(Handle(), Command(), Type(), Buffer(), Size());
                break;
            case 14:
                IFGetNumDevices(Handle(), in_.Byte() % 8 ? &count : nullptr);
                break;
            case 15:
                IFGetDeviceID(Handle(), in_.Byte() % 4, static_cast<char*>(Buffer()), Size());
                break;
            case 16:
                IFUpdateDeviceList(Handle(), in_.Byte() % 2 ? &changed : nullptr, Timeout());
                break;
            case 17:
                IFGetDeviceInfo(Handle(), Text(), Command(), Type(), Buffer(), Size());
                break;
            case 18:
                if (IFOpenDevice(Handle(), Text(), in_.Byte() % 8, &out) == 0) Keep(out);
                break;
            case 19:
                if (DevGetPort(Handle(), &out) == 0) Keep(out);
                break;
            case 20:
                DevGetNumDataStreams(Handle(), in_.Byte() % 8 ? &count : nullptr);
                break;
            case 21:
                DevGetDataStreamID(Handle(), in_.Byte() % 3, static_cast<char*>(Buffer()), Size());
                break;
            case 22:
                if (DevOpenDataStream(Handle(), Text(), &out) == 0) Keep(out);
                break;
            case 23:
                DevGetInfo(Handle(), Command(), Type(), Buffer(), Size());
                break;
            case 24:
                DevClose(Handle());
                break;
            case 25: {
                uint8_t* memory = in_.Byte() % 8 == 0 ? nullptr : userMemory[in_.Byte() % 4];
                if (DSAnnounceBuffer(Handle(), memory,
                                     memory ? in_.U32() % sizeof userMemory[0] : in_.Byte(),
                                     nullptr, &out) == 0)
                    Keep(out);
                break;
            }
            case 26:
                if (DSAllocAndAnnounceBuffer(Handle(), in_.U32() % kMaxAllocation, nullptr, &out) ==
                    0)
                    Keep(out);
                break;
            case 27:
                DSFlushQueue(Handle(), in_.Byte() % 7);
                break;
            case 28:
                DSStartAcquisition(Handle(), in_.Byte() % 2,
                                   in_.Byte() % 2 ? GENTL_INFINITE : in_.Byte());
                break;
            case 29:
                DSStopAcquisition(Handle(), in_.Byte() % 2);
                break;
            case 30:
                DSGetInfo(Handle(), Command(), Type(), Buffer(), Size());
                break;
            case 31:
                if (DSGetBufferID(Handle(), in_.Byte() % 6, &out) == 0) Keep(out);
                break;
            case 32:
                DSClose(Handle());
                break;
            case 33: {
                void* base = nullptr;
                void* user = nullptr;
                DSRevokeBuffer(Handle(), Handle(), in_.Byte() % 2 ? &base : nullptr,
                               in_.Byte() % 2 ? &user : nullptr);
                break;
            }
            case 34:
                DSQueueBuffer(Handle(), Handle());
                break;
            case 35:
                DSGetBufferInfo(Handle(), Handle(), Command(), Type(), Buffer(), Size());
                break;
            case 36: {
                void* port = Handle();
                const uint64_t address = in_.Byte() % 2 ? in_.U64() : in_.Byte() * 4u;
                if (in_.Byte() % 2)
                    GCReadPort(port, address, Buffer(), Size());
                else
                    GCWritePort(port, address, Buffer(), Size());
                break;
            }
            case 37: {
                void* port = Handle();
                switch (in_.Byte() % 4) {
                    case 0:
                        GCGetPortURL(port, static_cast<char*>(Buffer()), Size());
                        break;
                    case 1:
                        GCGetPortInfo(port, Command(), Type(), Buffer(), Size());
                        break;
                    case 2:
                        GCGetNumPortURLs(port, in_.Byte() % 8 ? &count : nullptr);
                        break;
                    default:
                        GCGetPortURLInfo(port, in_.Byte() % 2, Command(), Type(), Buffer(), Size());
                        break;
                }
                break;
            }
            case 38:
                if (GCRegisterEvent(Handle(), in_.Byte() % 8, &out) == 0) Keep(out);
                break;
            case 39:
                GCUnregisterEvent(Handle(), in_.Byte() % 8);
                break;
            case 40:
                EventGetData(Handle(), Buffer(), Size(), Timeout());
                break;
            case 41: {
                void* event = Handle();
                switch (in_.Byte() % 4) {
                    case 0:
                        EventGetInfo(event, Command(), Type(), Buffer(), Size());
                        break;
                    case 1:
                        EventGetDataInfo(event, in_.Byte() % 4 ? inScratch_.data() : nullptr,
                                         in_.Byte() % 64, Command(), Type(), Buffer(), Size());
                        break;
                    case 2:
                        EventFlush(event);
                        break;
                    default:
                        EventKill(event);
                        break;
                }
                break;
            }
            case 42: {
                void* child = Handle();
                switch (in_.Byte() % 3) {
                    case 0:
                        if (IFGetParentTL(child, &out) == 0) Keep(out);
                        break;
                    case 1:
                        if (DevGetParentIF(child, &out) == 0) Keep(out);
                        break;
                    default:
                        if (DSGetParentDev(child, &out) == 0) Keep(out);
                        break;
                }
                break;
            }
            default:
                InjectFault();
                break;
        }
    }

    Input& in_;
    std::array<void*, kPoolSize> pool_{};
    size_t next_ = 0;
    std::array<uint8_t, kScratch> scratch_{};
    std::array<uint8_t, 64> inScratch_{};
    size_t size_ = 0;
    INFO_DATATYPE type_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Sim::SetPacing(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    Session(in).Run();
    return 0;
}
