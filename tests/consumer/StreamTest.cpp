// The data stream without images: its information, buffer announcement, queueing, flushing and
// revoking, what a buffer that was never filled reports, and the buffer exports not offered.
#include "ConsumerFixture.h"

namespace consumer {
namespace {

using ConsumerStream = ConsumerStreamTest;

TEST_F(ConsumerStream, StreamInformationWithItsTypesAndSizes) {
    EXPECT_EQ(Text(DSInfo(ds, STREAM_INFO_ID)), "DS0");
    EXPECT_EQ(Text(DSInfo(ds, STREAM_INFO_TLTYPE)), "Mixed");
    EXPECT_FALSE(Grabbing());
    EXPECT_EQ(Started(), 0);
    for (const STREAM_INFO_CMD command :
         {STREAM_INFO_NUM_DELIVERED, STREAM_INFO_NUM_UNDERRUN, STREAM_INFO_DEFINES_PAYLOADSIZE}) {
        EXPECT_EQ(Value<uint64_t>(DSInfo(ds, command), INFO_DATATYPE_UINT64), 0u) << command;
    }
    for (const STREAM_INFO_CMD command :
         {STREAM_INFO_NUM_ANNOUNCED, STREAM_INFO_NUM_QUEUED, STREAM_INFO_NUM_AWAIT_DELIVERY}) {
        EXPECT_EQ(StreamCount(ds, command), 0u) << command;
    }
    const STREAM_INFO_CMD refusedCommands[] = {STREAM_INFO_PAYLOAD_SIZE,
                                               STREAM_INFO_BUF_ANNOUNCE_MIN, 1000, -1};
    for (const STREAM_INFO_CMD refused : refusedCommands) {
        EXPECT_EQ(Failure(DSInfo(ds, refused).result),
                  Failed(GC_ERR_INVALID_PARAMETER,
                         "Invalid stream info command " + std::to_string(refused)));
    }

    // The custom commands (payload, pixel format, width, height) follow the camera's settings.
    auto custom = [&] {
        return std::vector<uint64_t>{Value<uint64_t>(DSInfo(ds, 1001), INFO_DATATYPE_UINT64),
                                     Value<uint64_t>(DSInfo(ds, 1002), INFO_DATATYPE_UINT64),
                                     Value<uint32_t>(DSInfo(ds, 1003), INFO_DATATYPE_UINT32),
                                     Value<uint32_t>(DSInfo(ds, 1004), INFO_DATATYPE_UINT32)};
    };
    EXPECT_EQ(custom(), (std::vector<uint64_t>{Sim::kDefaultWidth * Sim::kDefaultHeight,
                                               Sim::PixelFormat::kMono8, Sim::kDefaultWidth,
                                               Sim::kDefaultHeight}));
    WriteRegister<uint32_t>(cam.port, Reg::kWidth, 320);
    WriteRegister<uint32_t>(cam.port, Reg::kPixelFormat, Sim::PixelFormat::kRGB8);
    EXPECT_EQ(custom(),
              (std::vector<uint64_t>{320u * Sim::kDefaultHeight * 3, Sim::PixelFormat::kRGB8, 320u,
                                     Sim::kDefaultHeight}));
}

TEST_F(ConsumerStream, AnnounceQueueAndRevoke) {
    std::vector<unsigned char> memory(4096);
    int userTag = 0;
    BUFFER_HANDLE own = nullptr;
    ASSERT_EQ(gentl.DSAnnounceBuffer(ds, memory.data(), memory.size(), &userTag, &own),
              GC_ERR_SUCCESS);
    const BUFFER_HANDLE allocated = Alloc(ds, 1024, reinterpret_cast<void*>(0x42));
    ASSERT_NE(allocated, nullptr);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 2u);
    EXPECT_EQ(Value<void*>(BufInfo(ds, own, BUFFER_INFO_BASE), INFO_DATATYPE_PTR), memory.data());
    EXPECT_EQ(Value<size_t>(BufInfo(ds, own, BUFFER_INFO_SIZE), INFO_DATATYPE_SIZET),
              memory.size());
    EXPECT_EQ(Value<void*>(BufInfo(ds, own, BUFFER_INFO_USER_PTR), INFO_DATATYPE_PTR), &userTag);
    void* const base = Value<void*>(BufInfo(ds, allocated, BUFFER_INFO_BASE), INFO_DATATYPE_PTR);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(Value<size_t>(BufInfo(ds, allocated, BUFFER_INFO_SIZE), INFO_DATATYPE_SIZET), 1024u);
    std::memset(base, 0xEE, 1024);  // the library's memory is the application's to write
    EXPECT_EQ(gentl.DSAllocAndAnnounceBuffer(ds, 64, nullptr, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(gentl.DSAnnounceBuffer(ds, memory.data(), memory.size(), nullptr, nullptr),
              GC_ERR_INVALID_PARAMETER);

    BUFFER_HANDLE found = nullptr;
    ASSERT_EQ(gentl.DSGetBufferID(ds, 1, &found), GC_ERR_SUCCESS);
    EXPECT_EQ(found, allocated);
    EXPECT_EQ(Failure(gentl.DSGetBufferID(ds, 2, &found)),
              Failed(GC_ERR_INVALID_ID, "Invalid Buffer Index 2"));
    EXPECT_EQ(gentl.DSGetBufferID(ds, 0, nullptr), GC_ERR_INVALID_PARAMETER);

    // Handles that are not buffers of this stream are refused.
    ASSERT_EQ(gentl.DSQueueBuffer(ds, allocated), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 1u);
    EXPECT_TRUE(Flag(BufInfo(ds, allocated, BUFFER_INFO_IS_QUEUED)));
    const Camera other = OpenCamera(kCam1002);
    ASSERT_TRUE(other);
    const DS_HANDLE otherDs = OpenStream(other.dev);
    const BUFFER_HANDLE foreign = AllocAndQueue(otherDs, 1, 64)[0];
    for (const BUFFER_HANDLE stranger : {foreign, ds, BUFFER_HANDLE{}, kGarbage}) {
        EXPECT_EQ(gentl.DSQueueBuffer(ds, stranger), GC_ERR_INVALID_HANDLE) << stranger;
        EXPECT_EQ(BufInfo(ds, stranger, BUFFER_INFO_SIZE).result, GC_ERR_INVALID_HANDLE)
            << stranger;
    }
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, foreign, nullptr, nullptr), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 1u);
    EXPECT_EQ(StreamCount(otherDs, STREAM_INFO_NUM_QUEUED), 1u);

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
    EXPECT_EQ(Failure(gentl.DSRevokeBuffer(ds, allocated, nullptr, nullptr)),
              Failed(GC_ERR_ERROR, "Buffer queued"));
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSRevokeBuffer(ds, allocated, nullptr, nullptr), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 0u);
    EXPECT_EQ(gentl.DSGetBufferID(ds, 0, &found), GC_ERR_INVALID_ID);
}

// The flush operations' order rules are unit-tested on the queues; this shows each operation and
// the new-buffer event's own answers reach them through the C interface.
TEST_F(ConsumerStream, FlushesAndTheNewBufferEvent) {
    std::vector<BUFFER_HANDLE> buffers;
    for (int i = 0; i < 3; ++i)
        buffers.push_back(Alloc(ds, 64, reinterpret_cast<void*>(0x100 + i)));
    for (const BUFFER_HANDLE b : buffers) ASSERT_EQ(gentl.DSQueueBuffer(ds, b), GC_ERR_SUCCESS);
    EXPECT_EQ(Failure(NextBuffer(newBuffer, 0).result), Failed(GC_ERR_TIMEOUT, "Timeout"));

    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 0u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 3u);
    EXPECT_EQ(Value<uint32_t>(EventInfo(newBuffer, EVENT_NUM_IN_QUEUE), INFO_DATATYPE_UINT32), 3u);
    const Delivery first = NextBuffer(newBuffer, 0);
    ASSERT_EQ(first.result, GC_ERR_SUCCESS);
    EXPECT_EQ(first.buffer, buffers[0]);
    EXPECT_EQ(first.user, reinterpret_cast<void*>(0x100));
    EXPECT_TRUE(Flag(BufInfo(ds, buffers[0], BUFFER_INFO_NEW_DATA)));
    // A NULL buffer only reports the 16 bytes the data needs; the next buffer stays queued.
    size_t size = 0;
    EXPECT_EQ(gentl.EventGetData(newBuffer, nullptr, &size, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(size, sizeof(EVENT_NEW_BUFFER_DATA));
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 2u);

    // Everything back to input; unknown operations change nothing; the output discard empties.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(ds, 1000), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 3u);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_OUTPUT_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);

    // Unqueued back to input, then out, then flushed by the event: the buffers must not come.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_QUEUED), 3u);
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(gentl.EventFlush(newBuffer), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_EQ(NextBuffer(newBuffer, 0).result, GC_ERR_TIMEOUT);
    EXPECT_EQ(StreamCount(ds, STREAM_INFO_NUM_ANNOUNCED), 3u);
}

TEST_F(ConsumerStream, BufferThatWasNeverFilledAndWhatIsNotOffered) {
    const BUFFER_HANDLE buffer = Alloc(ds, PayloadSize(ds));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET), 0u);
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_IS_INCOMPLETE)));
    for (const BUFFER_INFO_CMD command :
         {BUFFER_INFO_IMAGEPRESENT, BUFFER_INFO_NEW_DATA, BUFFER_INFO_IS_QUEUED,
          BUFFER_INFO_IS_ACQUIRING, BUFFER_INFO_CONTAINS_CHUNKDATA}) {
        EXPECT_FALSE(Flag(BufInfo(ds, buffer, command))) << command;
    }
    EXPECT_EQ(Text(BufInfo(ds, buffer, BUFFER_INFO_TLTYPE)), "Mixed");
    EXPECT_EQ(BufInfo(ds, buffer, 999).result, GC_ERR_INVALID_PARAMETER);

    // A buffer without chunk data lists no chunks.
    SINGLE_CHUNK_DATA chunk{};
    size_t chunks = 1;
    EXPECT_EQ(gentl.DSGetBufferChunkData(ds, buffer, nullptr, &chunks), GC_ERR_SUCCESS);
    EXPECT_EQ(chunks, 0u);
    chunks = 1;
    EXPECT_EQ(gentl.DSGetBufferChunkData(ds, buffer, &chunk, &chunks), GC_ERR_SUCCESS);
    EXPECT_EQ(chunks, 0u);

    // Newer buffer layouts and batched accesses are not offered: each answers "not implemented".
    uint32_t count = 0;
    INFO_DATATYPE type = 0;
    uint64_t value = 0;
    size_t size = sizeof value;
    DS_BUFFER_INFO_STACKED stacked{BUFFER_INFO_SIZE, 0, &value, sizeof value, 0};
    void* segment = &value;
    BUFFER_HANDLE composite = nullptr;
    PORT_REGISTER_STACK_ENTRY entry{Reg::kWidth, &value, sizeof value};
    size_t entries = 1;
    const std::pair<const char*, std::function<GC_ERROR()>> notOffered[] = {
        {"DSGetNumBufferParts", [&] { return gentl.DSGetNumBufferParts(ds, buffer, &count); }},
        {"DSGetBufferPartInfo",
         [&] {
             return gentl.DSGetBufferPartInfo(ds, buffer, 0, BUFFER_PART_INFO_BASE, &type, &value,
                                              &size);
         }},
        {"DSGetNumFlows", [&] { return gentl.DSGetNumFlows(ds, &count); }},
        {"DSGetNumBufferSegments",
         [&] { return gentl.DSGetNumBufferSegments(ds, buffer, &count); }},
        {"DSGetBufferInfoStacked",
         [&] { return gentl.DSGetBufferInfoStacked(ds, buffer, &stacked, 1); }},
        {"GCReadPortStacked", [&] { return gentl.GCReadPortStacked(cam.port, &entry, &entries); }},
        {"GCWritePortStacked",
         [&] { return gentl.GCWritePortStacked(cam.port, &entry, &entries); }},
        {"DSAnnounceCompositeBuffer",
         [&] {
             return gentl.DSAnnounceCompositeBuffer(ds, 1, &segment, &size, nullptr, &composite);
         }},
    };
    for (const auto& [name, call] : notOffered) EXPECT_EQ(call(), GC_ERR_NOT_IMPLEMENTED) << name;
}

}  // namespace
}  // namespace consumer
