// A consumer built the way third-party consumers are: its own function-pointer types with the
// calling convention the standard GenTL header gives them (stdcall on 32-bit x86), every export
// taken with dlsym, one camera opened and 100 frames streamed. On 32-bit x86 a cdecl export
// called through these pointers would unbalance the stack on every call.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
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

struct StandardConsumer {
    StandardFunction<> GCInitLib;
    StandardFunction<> GCCloseLib;
    StandardFunction<TL_HANDLE*> TLOpen;
    StandardFunction<TL_HANDLE> TLClose;
    StandardFunction<TL_HANDLE, bool8_t*, uint64_t> TLUpdateInterfaceList;
    StandardFunction<TL_HANDLE, uint32_t, char*, size_t*> TLGetInterfaceID;
    StandardFunction<TL_HANDLE, const char*, IF_HANDLE*> TLOpenInterface;
    StandardFunction<IF_HANDLE> IFClose;
    StandardFunction<IF_HANDLE, bool8_t*, uint64_t> IFUpdateDeviceList;
    StandardFunction<IF_HANDLE, uint32_t, char*, size_t*> IFGetDeviceID;
    StandardFunction<IF_HANDLE, const char*, DEVICE_ACCESS_FLAGS, DEV_HANDLE*> IFOpenDevice;
    StandardFunction<DEV_HANDLE> DevClose;
    StandardFunction<DEV_HANDLE, uint32_t, char*, size_t*> DevGetDataStreamID;
    StandardFunction<DEV_HANDLE, const char*, DS_HANDLE*> DevOpenDataStream;
    StandardFunction<DS_HANDLE> DSClose;
    StandardFunction<DS_HANDLE, STREAM_INFO_CMD, INFO_DATATYPE*, void*, size_t*> DSGetInfo;
    StandardFunction<DS_HANDLE, size_t, void*, BUFFER_HANDLE*> DSAllocAndAnnounceBuffer;
    StandardFunction<DS_HANDLE, BUFFER_HANDLE> DSQueueBuffer;
    StandardFunction<DS_HANDLE, BUFFER_HANDLE, void**, void**> DSRevokeBuffer;
    StandardFunction<DS_HANDLE, ACQ_QUEUE_TYPE> DSFlushQueue;
    StandardFunction<DS_HANDLE, ACQ_START_FLAGS, uint64_t> DSStartAcquisition;
    StandardFunction<DS_HANDLE, ACQ_STOP_FLAGS> DSStopAcquisition;
    StandardFunction<DS_HANDLE, BUFFER_HANDLE, BUFFER_INFO_CMD, INFO_DATATYPE*, void*, size_t*>
        DSGetBufferInfo;
    StandardFunction<EVENTSRC_HANDLE, EVENT_TYPE, EVENT_HANDLE*> GCRegisterEvent;
    StandardFunction<EVENTSRC_HANDLE, EVENT_TYPE> GCUnregisterEvent;
    StandardFunction<EVENT_HANDLE, void*, size_t*, uint64_t> EventGetData;
};

// Our header declares every export with the standard call type.
#define KAVRIN_SAME_CALL_TYPE(name)                                                               \
    static_assert(std::is_same_v<decltype(&GenTL::name), decltype(StandardConsumer::name)>,      \
                  #name " must have the standard call type")
KAVRIN_SAME_CALL_TYPE(GCInitLib);
KAVRIN_SAME_CALL_TYPE(TLOpen);
KAVRIN_SAME_CALL_TYPE(IFOpenDevice);
KAVRIN_SAME_CALL_TYPE(DSGetBufferInfo);
KAVRIN_SAME_CALL_TYPE(EventGetData);
#undef KAVRIN_SAME_CALL_TYPE

struct LibraryCloser {
    void operator()(void* library) const { dlclose(library); }
};

template <class Function>
void Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    ASSERT_NE(function, nullptr) << name;
}

std::string FirstId(StandardFunction<void*, uint32_t, char*, size_t*> getId, void* parent) {
    char id[256] = {};
    size_t size = sizeof id;
    EXPECT_EQ(getId(parent, 0, id, &size), GC_ERR_SUCCESS);
    return id;
}

constexpr uint64_t kFrames = 100;
constexpr size_t kBuffers = 8;
constexpr uint64_t kWaitMs = 5000;

TEST(StandardCallConsumer, OpensACameraAndStreamsHundredFrames) {
    Tevold::Sim::Reset();
    // Images as fast as buffers come back: frame IDs may skip, but they only ever grow.
    Tevold::Sim::SetPacing(false);
    const std::unique_ptr<void, LibraryCloser> library(dlopen(KAVRIN_CTI_PATH, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(library, nullptr) << dlerror();
    StandardConsumer gentl{};
#define KAVRIN_RESOLVE(name) ASSERT_NO_FATAL_FAILURE(Resolve(library.get(), #name, gentl.name))
    KAVRIN_RESOLVE(GCInitLib);
    KAVRIN_RESOLVE(GCCloseLib);
    KAVRIN_RESOLVE(TLOpen);
    KAVRIN_RESOLVE(TLClose);
    KAVRIN_RESOLVE(TLUpdateInterfaceList);
    KAVRIN_RESOLVE(TLGetInterfaceID);
    KAVRIN_RESOLVE(TLOpenInterface);
    KAVRIN_RESOLVE(IFClose);
    KAVRIN_RESOLVE(IFUpdateDeviceList);
    KAVRIN_RESOLVE(IFGetDeviceID);
    KAVRIN_RESOLVE(IFOpenDevice);
    KAVRIN_RESOLVE(DevClose);
    KAVRIN_RESOLVE(DevGetDataStreamID);
    KAVRIN_RESOLVE(DevOpenDataStream);
    KAVRIN_RESOLVE(DSClose);
    KAVRIN_RESOLVE(DSGetInfo);
    KAVRIN_RESOLVE(DSAllocAndAnnounceBuffer);
    KAVRIN_RESOLVE(DSQueueBuffer);
    KAVRIN_RESOLVE(DSRevokeBuffer);
    KAVRIN_RESOLVE(DSFlushQueue);
    KAVRIN_RESOLVE(DSStartAcquisition);
    KAVRIN_RESOLVE(DSStopAcquisition);
    KAVRIN_RESOLVE(DSGetBufferInfo);
    KAVRIN_RESOLVE(GCRegisterEvent);
    KAVRIN_RESOLVE(GCUnregisterEvent);
    KAVRIN_RESOLVE(EventGetData);
#undef KAVRIN_RESOLVE

    ASSERT_EQ(gentl.GCInitLib(), GC_ERR_SUCCESS);
    TL_HANDLE tl = nullptr;
    ASSERT_EQ(gentl.TLOpen(&tl), GC_ERR_SUCCESS);
    bool8_t changed = false;
    ASSERT_EQ(gentl.TLUpdateInterfaceList(tl, &changed, 1000), GC_ERR_SUCCESS);
    IF_HANDLE iface = nullptr;
    ASSERT_EQ(gentl.TLOpenInterface(tl, FirstId(gentl.TLGetInterfaceID, tl).c_str(), &iface), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.IFUpdateDeviceList(iface, &changed, 1000), GC_ERR_SUCCESS);
    DEV_HANDLE device = nullptr;
    ASSERT_EQ(gentl.IFOpenDevice(iface, FirstId(gentl.IFGetDeviceID, iface).c_str(), DEVICE_ACCESS_CONTROL,
                                 &device),
              GC_ERR_SUCCESS);
    DS_HANDLE stream = nullptr;
    ASSERT_EQ(gentl.DevOpenDataStream(device, FirstId(gentl.DevGetDataStreamID, device).c_str(), &stream),
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
        ASSERT_EQ(gentl.DSAllocAndAnnounceBuffer(stream, payload, &tags[i], &buffers[i]), GC_ERR_SUCCESS);
        ASSERT_EQ(gentl.DSQueueBuffer(stream, buffers[i]), GC_ERR_SUCCESS);
    }
    EVENT_HANDLE newBuffer = nullptr;
    ASSERT_EQ(gentl.GCRegisterEvent(stream, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);

    uint64_t lastFrameId = 0;
    for (uint64_t frame = 0; frame < kFrames; ++frame) {
        EVENT_NEW_BUFFER_DATA data{};
        size = sizeof data;
        ASSERT_EQ(gentl.EventGetData(newBuffer, &data, &size, kWaitMs), GC_ERR_SUCCESS) << "frame " << frame;
        ASSERT_EQ(size, 2 * sizeof(void*));
        const auto found = std::find(buffers.begin(), buffers.end(), data.BufferHandle);
        ASSERT_NE(found, buffers.end()) << "frame " << frame;
        EXPECT_EQ(data.pUserPointer, &tags[static_cast<size_t>(found - buffers.begin())]);

        // SIZET is pointer-sized: 4 bytes on 32-bit x86.
        size_t filled = 0;
        size = sizeof filled;
        ASSERT_EQ(gentl.DSGetBufferInfo(stream, data.BufferHandle, BUFFER_INFO_SIZE_FILLED, &type, &filled, &size),
                  GC_ERR_SUCCESS);
        EXPECT_EQ(type, INFO_DATATYPE_SIZET);
        EXPECT_EQ(size, sizeof(size_t));
        EXPECT_EQ(filled, payload);
        uint64_t frameId = 0;
        size = sizeof frameId;
        ASSERT_EQ(gentl.DSGetBufferInfo(stream, data.BufferHandle, BUFFER_INFO_FRAMEID, &type, &frameId, &size),
                  GC_ERR_SUCCESS);
        if (frame > 0) {
            EXPECT_GT(frameId, lastFrameId);
        }
        lastFrameId = frameId;
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
