// A consumer built the way third-party consumers are: its own function-pointer types with the
// calling convention the standard GenTL header gives them (stdcall on 32-bit x86), every export
// taken with dlsym, one camera opened and 100 frames streamed (what a frame holds is the frame
// road's test). On 32-bit x86 a cdecl export called through these pointers would unbalance the
// stack on every call.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "GenTL.h"
#include "tevold/SimControl.h"

namespace consumer {
namespace {

using namespace GenTL;

// Spelled out here rather than taken from GC_CALLTYPE, so that a wrong call type in our header
// cannot hide itself.
#if defined(__i386__)
#define STANDARD_GC_CALLTYPE __attribute__((stdcall))
#else
#define STANDARD_GC_CALLTYPE
#endif

template <class... Args>
using StandardFunction = GC_ERROR(STANDARD_GC_CALLTYPE*)(Args...);

// Every export the consumer takes, with its parameter types.
#define STANDARD_CONSUMER_FUNCTIONS(X)                                                            \
    X(GCInitLib, )                                                                                \
    X(GCCloseLib, )                                                                               \
    X(TLOpen, TL_HANDLE*)                                                                         \
    X(TLClose, TL_HANDLE)                                                                         \
    X(TLUpdateInterfaceList, TL_HANDLE, bool8_t*, uint64_t)                                       \
    X(TLGetInterfaceID, TL_HANDLE, uint32_t, char*, size_t*)                                      \
    X(TLOpenInterface, TL_HANDLE, const char*, IF_HANDLE*)                                        \
    X(IFClose, IF_HANDLE)                                                                         \
    X(IFUpdateDeviceList, IF_HANDLE, bool8_t*, uint64_t)                                          \
    X(IFGetDeviceID, IF_HANDLE, uint32_t, char*, size_t*)                                         \
    X(IFOpenDevice, IF_HANDLE, const char*, DEVICE_ACCESS_FLAGS, DEV_HANDLE*)                     \
    X(DevClose, DEV_HANDLE)                                                                       \
    X(DevGetDataStreamID, DEV_HANDLE, uint32_t, char*, size_t*)                                   \
    X(DevOpenDataStream, DEV_HANDLE, const char*, DS_HANDLE*)                                     \
    X(DSClose, DS_HANDLE)                                                                         \
    X(DSGetInfo, DS_HANDLE, STREAM_INFO_CMD, INFO_DATATYPE*, void*, size_t*)                      \
    X(DSAllocAndAnnounceBuffer, DS_HANDLE, size_t, void*, BUFFER_HANDLE*)                         \
    X(DSQueueBuffer, DS_HANDLE, BUFFER_HANDLE)                                                    \
    X(DSRevokeBuffer, DS_HANDLE, BUFFER_HANDLE, void**, void**)                                   \
    X(DSFlushQueue, DS_HANDLE, ACQ_QUEUE_TYPE)                                                    \
    X(DSStartAcquisition, DS_HANDLE, ACQ_START_FLAGS, uint64_t)                                   \
    X(DSStopAcquisition, DS_HANDLE, ACQ_STOP_FLAGS)                                               \
    X(DSGetBufferInfo, DS_HANDLE, BUFFER_HANDLE, BUFFER_INFO_CMD, INFO_DATATYPE*, void*, size_t*) \
    X(GCRegisterEvent, EVENTSRC_HANDLE, EVENT_TYPE, EVENT_HANDLE*)                                \
    X(GCUnregisterEvent, EVENTSRC_HANDLE, EVENT_TYPE)                                             \
    X(EventGetData, EVENT_HANDLE, void*, size_t*, uint64_t)

struct StandardConsumer {
#define KAVRIN_DECLARE(name, ...) StandardFunction<__VA_ARGS__> name;
    STANDARD_CONSUMER_FUNCTIONS(KAVRIN_DECLARE)
#undef KAVRIN_DECLARE
};

// Our header declares every one of them with the standard call type.
#define KAVRIN_SAME_CALL_TYPE(name, ...)                                                    \
    static_assert(std::is_same_v<decltype(&GenTL::name), decltype(StandardConsumer::name)>, \
                  #name " must have the standard call type");
STANDARD_CONSUMER_FUNCTIONS(KAVRIN_SAME_CALL_TYPE)
#undef KAVRIN_SAME_CALL_TYPE

std::string FirstId(StandardFunction<void*, uint32_t, char*, size_t*> getId, void* parent) {
    char id[256] = {};
    size_t size = sizeof id;
    EXPECT_EQ(getId(parent, 0, id, &size), GC_ERR_SUCCESS);
    return id;
}

// A cdecl export called as stdcall leaves its arguments on the caller's stack, which a frame
// pointer may hide from one call to the next. DSGetBufferInfo left behind on every turn of a loop
// (24 bytes) overflows a thread stack this small long before the loop ends; with matching call
// types the stack stays where it was.
constexpr size_t kSmallStack = 256 * 1024;
constexpr int kStackCalls = 40000;

struct BufferInfoCalls {
    decltype(StandardConsumer::DSGetBufferInfo) getBufferInfo;
    DS_HANDLE stream;
    BUFFER_HANDLE buffer;
    int succeeded = 0;
};

void* CallBufferInfoRepeatedly(void* argument) {
    auto& calls = *static_cast<BufferInfoCalls*>(argument);
    for (int i = 0; i < kStackCalls; ++i) {
        size_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
        if (calls.getBufferInfo(calls.stream, calls.buffer, BUFFER_INFO_SIZE, &type, &value,
                                &size) == GC_ERR_SUCCESS)
            ++calls.succeeded;
    }
    return nullptr;
}

int SucceededOnSmallStack(BufferInfoCalls calls) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kSmallStack);
    pthread_t thread;
    const int created = pthread_create(&thread, &attributes, CallBufferInfoRepeatedly, &calls);
    pthread_attr_destroy(&attributes);
    if (created != 0) return -1;
    pthread_join(thread, nullptr);
    return calls.succeeded;
}

constexpr uint64_t kFrames = 100;
constexpr size_t kBuffers = 8;
constexpr uint64_t kWaitMs = 5000;

TEST(StandardCallConsumer, OpensACameraAndStreamsHundredFrames) {
    Tevold::Sim::Reset();
    Tevold::Sim::SetPacing(false);
    // Loaded for good, as in the rest of the suite, which shares this process with it.
    void* const library = dlopen(KAVRIN_CTI_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    StandardConsumer gentl{};
#define KAVRIN_RESOLVE(name, ...)                                               \
    gentl.name = reinterpret_cast<decltype(gentl.name)>(dlsym(library, #name)); \
    ASSERT_NE(gentl.name, nullptr) << #name;
    STANDARD_CONSUMER_FUNCTIONS(KAVRIN_RESOLVE)
#undef KAVRIN_RESOLVE

    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);
    bool8_t changed = false;
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 1000), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, FirstId(gentl.TLGetInterfaceID, tl).c_str(), &iface),
              GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 1000), GC_ERR_SUCCESS);
    DEV_HANDLE device = nullptr;
    ASSERT_EQ(gentl.IFOpenDevice(iface, FirstId(gentl.IFGetDeviceID, iface).c_str(),
                                 DEVICE_ACCESS_CONTROL, &device),
              GC_ERR_SUCCESS);
    DS_HANDLE stream = nullptr;
    ASSERT_EQ(
        gentl.DevOpenDataStream(device, FirstId(gentl.DevGetDataStreamID, device).c_str(), &stream),
        GC_ERR_SUCCESS);

    // The camera library's payload size (stream command 1001) is 64-bit on every target.
    uint64_t payloadSize = 0;
    size_t size = sizeof payloadSize;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    ASSERT_EQ(gentl.DSGetInfo(stream, 1001, &type, &payloadSize, &size), GC_ERR_SUCCESS);
    ASSERT_EQ(type, INFO_DATATYPE_UINT64);
    const auto payload = static_cast<size_t>(payloadSize);
    ASSERT_GT(payload, 0u);

    std::vector<BUFFER_HANDLE> buffers(kBuffers);
    std::vector<int> tags(kBuffers);
    for (size_t i = 0; i < kBuffers; ++i) {
        ASSERT_EQ(gentl.DSAllocAndAnnounceBuffer(stream, payload, &tags[i], &buffers[i]),
                  GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSQueueBuffer(stream, buffers[i]), GC_ERR_SUCCESS);
    }
    EXPECT_EQ(SucceededOnSmallStack({gentl.DSGetBufferInfo, stream, buffers[0]}), kStackCalls);

    EVENT_HANDLE newBuffer = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(stream, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
              GC_ERR_SUCCESS);

    for (uint64_t frame = 0; frame < kFrames; ++frame) {
        EVENT_NEW_BUFFER_DATA data{};
        size = sizeof data;
        ASSERT_EQ(gentl.EventGetData(newBuffer, &data, &size, kWaitMs), GC_ERR_SUCCESS)
            << "frame " << frame;
        ASSERT_EQ(size, 2 * sizeof(void*));
        const auto found = std::find(buffers.begin(), buffers.end(), data.BufferHandle);
        ASSERT_NE(found, buffers.end()) << "frame " << frame;
        EXPECT_EQ(data.pUserPointer, &tags[static_cast<size_t>(found - buffers.begin())]);
        ASSERT_EQ(gentl.DSQueueBuffer(stream, data.BufferHandle), GC_ERR_SUCCESS);
    }

    EXPECT_EQ(gentl.DSStopAcquisition(stream, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(stream, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCUnregisterEvent(stream, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    for (BUFFER_HANDLE buffer : buffers) {
        EXPECT_EQ(gentl.DSRevokeBuffer(stream, buffer, nullptr, nullptr), GC_ERR_SUCCESS);
    }
    EXPECT_EQ(gentl.DSClose(stream), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DevClose(device), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.IFClose(iface), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.TLClose(tl), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.GCCloseLib(), GC_ERR_SUCCESS);
}

}  // namespace
}  // namespace consumer
