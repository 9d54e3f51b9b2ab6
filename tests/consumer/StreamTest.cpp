// The data stream without images: its information and port, buffer announcement, queueing,
// flushing and revoking, and what a buffer that was never filled reports.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

namespace Reg = Sim::CameraRegister;

class ConsumerStream : public ConsumerTest {
protected:
    void SetUp() override {
        ConsumerTest::SetUp();
        cam = OpenCamera();
        ASSERT_TRUE(cam);
        ds = OpenStream(cam.dev);
        ASSERT_NE(ds, nullptr);
    }

    BUFFER_HANDLE Announce(void* memory, size_t size, void* user) {
        BUFFER_HANDLE buffer = nullptr;
        EXPECT_EQ(gentl.DSAnnounceBuffer(ds, memory, size, user, &buffer), GC_ERR_SUCCESS) << LastErrorText();
        return buffer;
    }

    BUFFER_HANDLE Alloc(size_t size, void* user = nullptr) {
        BUFFER_HANDLE buffer = nullptr;
        EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, size, user, &buffer), GC_ERR_SUCCESS) << LastErrorText();
        return buffer;
    }

    // The buffers the new-buffer event hands out, in order, until it has none.
    std::vector<BUFFER_HANDLE> Drain(EVENT_HANDLE event) {
        std::vector<BUFFER_HANDLE> delivered;
        for (;;) {
            const Delivery next = NextBuffer(event, 0);
            if (next.result != GC_ERR_SUCCESS) break;
            delivered.push_back(next.buffer);
        }
        return delivered;
    }

    Camera cam;
    DS_HANDLE ds = nullptr;
};

TEST_F(ConsumerStream, StreamInformation) {
    EXPECT_EQ(Text(DSInfo(ds, STREAM_INFO_ID)), "DS0");
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_DELIVERED), INFO_DATATYPE_UINT64), 0u);
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, STREAM_INFO_NUM_UNDERRUN), INFO_DATATYPE_UINT64), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_EQ(Value<int64_t>(DSInfo(ds, STREAM_INFO_NUM_STARTED), INFO_DATATYPE_INT64), 0);
    EXPECT_FALSE(Flag(DSInfo(ds, STREAM_INFO_IS_GRABBING)));
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, STREAM_INFO_DEFINES_PAYLOADSIZE), INFO_DATATYPE_UINT64), 0u);
    EXPECT_EQ(Text(DSInfo(ds, STREAM_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64), Sim::kDefaultWidth * Sim::kDefaultHeight);
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, 1002), INFO_DATATYPE_UINT64), Sim::PixelFormat::kMono8);
    EXPECT_EQ(Value<uint32_t>(DSInfo(ds, 1003), INFO_DATATYPE_UINT32), Sim::kDefaultWidth);
    EXPECT_EQ(Value<uint32_t>(DSInfo(ds, 1004), INFO_DATATYPE_UINT32), Sim::kDefaultHeight);
    const std::vector<STREAM_INFO_CMD> refusedCommands = {STREAM_INFO_PAYLOAD_SIZE,
                                                          STREAM_INFO_BUF_ANNOUNCE_MIN, 1000, -1};
    for (const STREAM_INFO_CMD refused : refusedCommands) {
        EXPECT_EQ(Failure(DSInfo(ds, refused).result),
                  Failed(GC_ERR_INVALID_PARAMETER, "Invalid stream info command " + std::to_string(refused)));
    }

    // The custom commands follow the camera's settings.
    WriteRegister<uint32_t>(cam.port, Reg::kWidth, 320);
    WriteRegister<uint32_t>(cam.port, Reg::kPixelFormat, Sim::PixelFormat::kRGB8);
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64), 320u * Sim::kDefaultHeight * 3);
    EXPECT_EQ(Value<uint64_t>(DSInfo(ds, 1002), INFO_DATATYPE_UINT64), Sim::PixelFormat::kRGB8);
    EXPECT_EQ(Value<uint32_t>(DSInfo(ds, 1003), INFO_DATATYPE_UINT32), 320u);

    // A count asked with room for 8 bytes still comes back as 4.
    uint64_t wide = ~0ull;
    size_t size = sizeof wide;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(gentl.DSGetInfo(ds, STREAM_INFO_NUM_ANNOUNCED, &type, &wide, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(type, INFO_DATATYPE_UINT32);
}

TEST_F(ConsumerStream, StreamPortAndEvents) {
    EXPECT_EQ(PortUrl(ds), "Local:TLDataStreamRegs.xml;200;0");
    size_t size = 0;
    ASSERT_EQ(gentl.GCGetPortURL(ds, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 33u);
    char id[16] = {};
    INFO_DATATYPE type = 0;
    size = sizeof id;
    ASSERT_EQ(gentl.GCGetPortInfo(ds, PORT_INFO_ID, &type, id, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_STRING);
    EXPECT_STREQ(id, "DS0");
    EXPECT_EQ(Text(PortInfo(ds, PORT_INFO_MODULE)), "TLDataStream");
    EXPECT_EQ(Text(PortInfo(ds, PORT_INFO_PORTNAME)), "StreamPort");
    EXPECT_EQ(Text(PortInfo(ds, PORT_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(Text(PortInfo(ds, PORT_INFO_VERSION)), "1.0.0.0");
    EXPECT_TRUE(Flag(PortInfo(ds, PORT_INFO_ACCESS_READ)));
    EXPECT_EQ(PortInfo(ds, 13).result, GC_ERR_INVALID_PARAMETER);
    uint32_t value = 0x77;
    size = sizeof value;
    EXPECT_EQ(gentl.GCReadPort(ds, 0x200, &value, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(value, 0x77u);

    const EVENT_HANDLE event = RegisterEvent(ds, EVENT_NEW_BUFFER);
    EXPECT_NE(event, nullptr);
    EVENT_HANDLE other = nullptr;
    EXPECT_EQ(Failure(gentl.GCRegisterEvent(ds, EVENT_FEATURE_INVALIDATE, &other)),
              Failed(GC_ERR_INVALID_PARAMETER, "Event ID 2 not implemented"));
    EXPECT_EQ(gentl.GCRegisterEvent(ds, EVENT_NEW_BUFFER, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.GCUnregisterEvent(ds, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
}

TEST_F(ConsumerStream, AnnounceLookUpAndRevoke) {
    std::vector<unsigned char> memory(4096);
    int userTag = 0;
    const BUFFER_HANDLE own = Announce(memory.data(), memory.size(), &userTag);
    const BUFFER_HANDLE allocated = Alloc(1024, reinterpret_cast<void*>(0x42));
    ASSERT_NE(own, nullptr);
    ASSERT_NE(allocated, nullptr);
    EXPECT_NE(own, allocated);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 2u);

    EXPECT_EQ(Value<void*>(BufInfo(ds, own, BUFFER_INFO_BASE), INFO_DATATYPE_PTR), memory.data());
    EXPECT_EQ(Value<size_t>(BufInfo(ds, own, BUFFER_INFO_SIZE), INFO_DATATYPE_SIZET), memory.size());
    EXPECT_EQ(Value<void*>(BufInfo(ds, own, BUFFER_INFO_USER_PTR), INFO_DATATYPE_PTR), &userTag);
    void* const base = Value<void*>(BufInfo(ds, allocated, BUFFER_INFO_BASE), INFO_DATATYPE_PTR);
    EXPECT_NE(base, nullptr);
    EXPECT_EQ(Value<size_t>(BufInfo(ds, allocated, BUFFER_INFO_SIZE), INFO_DATATYPE_SIZET), 1024u);
    std::memset(base, 0xEE, 1024);  // the library's memory is the application's to write

    BUFFER_HANDLE found = nullptr;
    ASSERT_EQ(gentl.DSGetBufferID(ds, 0, &found), GC_ERR_SUCCESS);
    EXPECT_EQ(found, own);
    ASSERT_EQ(gentl.DSGetBufferID(ds, 1, &found), GC_ERR_SUCCESS);
    EXPECT_EQ(found, allocated);
    EXPECT_EQ(Failure(gentl.DSGetBufferID(ds, 2, &found)), Failed(GC_ERR_INVALID_ID, "Invalid Buffer Index 2"));
    EXPECT_EQ(gentl.DSGetBufferID(ds, 0, nullptr), GC_ERR_INVALID_PARAMETER);

    // Revoking hands back memory and user pointer, and index 0 names the next remaining buffer.
    void* revokedBase = nullptr;
    void* revokedUser = nullptr;
    ASSERT_EQ(gentl.DSRevokeBuffer(ds, own, &revokedBase, &revokedUser), GC_ERR_SUCCESS);
    EXPECT_EQ(revokedBase, memory.data());
    EXPECT_EQ(revokedUser, &userTag);
    ASSERT_EQ(gentl.DSGetBufferID(ds, 0, &found), GC_ERR_SUCCESS);
    EXPECT_EQ(found, allocated);
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, own, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(BufInfo(ds, own, BUFFER_INFO_SIZE).result, GC_ERR_INVALID_HANDLE);

    // A queued buffer stays until the queues let it go.
    ASSERT_EQ(gentl.DSQueueBuffer(ds, allocated), GC_ERR_SUCCESS);
    EXPECT_EQ(Failure(gentl.DSRevokeBuffer(ds, allocated, nullptr, nullptr)), Failed(GC_ERR_ERROR, "Buffer queued"));
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, allocated, nullptr, &revokedUser), GC_ERR_SUCCESS);
    EXPECT_EQ(revokedUser, reinterpret_cast<void*>(0x42));
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 0u);
    EXPECT_EQ(gentl.DSGetBufferID(ds, 0, &found), GC_ERR_INVALID_ID);

    EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, 64, nullptr, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.DSAnnounceBuffer(ds, memory.data(), memory.size(), nullptr, nullptr), GC_ERR_INVALID_PARAMETER);
}

TEST_F(ConsumerStream, QueueingChecksItsBuffers) {
    const BUFFER_HANDLE buffer = Alloc(PayloadSize(ds));
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 1u);
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_QUEUED)));

    // Handles that are not buffers of this stream are refused.
    const Camera other = OpenCamera(kCam1002);
    ASSERT_TRUE(other);
    const DS_HANDLE otherDs = OpenStream(other.dev);
    const BUFFER_HANDLE foreign = AllocAndQueue(otherDs, 1, 64)[0];
    EXPECT_EQ(gentl.DSQueueBuffer(ds, foreign), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSQueueBuffer(ds, ds), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSQueueBuffer(ds, nullptr), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSQueueBuffer(ds, reinterpret_cast<void*>(0x1234)), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(BufInfo(ds, ds, BUFFER_INFO_SIZE).result, GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, foreign, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 1u);
    EXPECT_EQ(StreamCount(otherDs, STREAM_INFO_NUM_QUEUED), 1u);
}

TEST_F(ConsumerStream, FlushOperationsMoveBuffersInOrder) {
    std::vector<BUFFER_HANDLE> buffers;
    for (int i = 0; i < 3; ++i) buffers.push_back(Alloc(64, reinterpret_cast<void*>(0x100 + i)));
    for (const BUFFER_HANDLE b : buffers) ASSERT_EQ(gentl.DSQueueBuffer(ds, b), GC_ERR_SUCCESS);
    const EVENT_HANDLE event = RegisterEvent(ds, EVENT_NEW_BUFFER);

    // Input to output: all three are reported in queue order, with their user pointers.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 3u);
    EXPECT_FALSE(Flag(BufInfo(ds, buffers[0], BUFFER_INFO_IS_QUEUED)));
    for (int i = 0; i < 3; ++i) {
        const Delivery next = NextBuffer(event, 0);
        ASSERT_EQ(next.result, GC_ERR_SUCCESS) << i;
        EXPECT_EQ(next.buffer, buffers[i]);
        EXPECT_EQ(next.user, reinterpret_cast<void*>(0x100 + i));
        EXPECT_TRUE(Flag(BufInfo(ds, buffers[i], BUFFER_INFO_NEW_DATA)));
    }
    EXPECT_EQ(NextBuffer(event, 0).result, GC_ERR_TIMEOUT);

    // All to input: the output queue first, then the unqueued ones in announcement order.
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffers[2]), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 3u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Drain(event), (std::vector<BUFFER_HANDLE>{buffers[2], buffers[0], buffers[1]}));

    // Unqueued to input skips a buffer that waits in the output queue.
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffers[1]), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 2u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);

    // Unknown operations change nothing; output discard drops what awaits delivery.
    EXPECT_EQ(gentl.DSFlushQueue(ds, 5), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(ds, 1000), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 2u);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_OUTPUT_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 2u);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 3u);
    for (const BUFFER_HANDLE b : buffers) EXPECT_EQ(gentl.DSRevokeBuffer(ds, b, nullptr, nullptr), GC_ERR_SUCCESS);
}

TEST_F(ConsumerStream, BufferThatWasNeverFilled) {
    const BUFFER_HANDLE buffer = Alloc(PayloadSize(ds));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET), 0u);
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_INCOMPLETE)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IMAGEPRESENT)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_NEW_DATA)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_QUEUED)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_ACQUIRING)));
    EXPECT_FALSE(Flag(BufInfo(ds, buffer, BUFFER_INFO_CONTAINS_CHUNKDATA)));
    EXPECT_EQ(Text(BufInfo(ds, buffer, BUFFER_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(BufInfo(ds, buffer, 999).result, GC_ERR_INVALID_PARAMETER);

    EXPECT_EQ(PortUrl(buffer), "Local:TLBufferRegs.xml;100;0");
    EXPECT_EQ(Text(PortInfo(buffer, PORT_INFO_ID)), "Buffer0");
    EXPECT_EQ(Text(PortInfo(buffer, PORT_INFO_MODULE)), "TLBuffer");
    EXPECT_EQ(Text(PortInfo(buffer, PORT_INFO_PORTNAME)), "BufferPort");
    EXPECT_EQ(Text(PortInfo(buffer, PORT_INFO_VERSION)), "1.0");
    EVENT_HANDLE event = nullptr;
    EXPECT_EQ(gentl.GCRegisterEvent(buffer, EVENT_NEW_BUFFER, &event), GC_ERR_NOT_IMPLEMENTED);

    // Chunks, parts, segments and composite buffers are not offered.
    uint32_t parts = 0;
    SINGLE_CHUNK_DATA chunk{};
    size_t chunks = 1;
    INFO_DATATYPE type = 0;
    size_t size = 8;
    uint64_t value = 0;
    EXPECT_EQ(gentl.DSGetBufferChunkData(ds, buffer, &chunk, &chunks), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(gentl.DSGetNumBufferParts(ds, buffer, &parts), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(gentl.DSGetBufferPartInfo(ds, buffer, 0, BUFFER_PART_INFO_BASE, &type, &value, &size),
              GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(gentl.DSGetNumFlows(ds, &parts), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(gentl.DSGetNumBufferSegments(ds, buffer, &parts), GC_ERR_NOT_IMPLEMENTED);
    DS_BUFFER_INFO_STACKED stacked{BUFFER_INFO_SIZE, 0, &value, sizeof value, 0};
    EXPECT_EQ(gentl.DSGetBufferInfoStacked(ds, buffer, &stacked, 1), GC_ERR_NOT_IMPLEMENTED);
    void* segment = &value;
    size_t segmentSize = sizeof value;
    BUFFER_HANDLE composite = nullptr;
    EXPECT_EQ(gentl.DSAnnounceCompositeBuffer(ds, 1, &segment, &segmentSize, nullptr, &composite),
              GC_ERR_NOT_IMPLEMENTED);
}

}  // namespace
}  // namespace consumer
