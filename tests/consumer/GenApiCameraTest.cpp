// The simulated camera as an outside GenApi consumer uses it: aravis's GenApi engine evaluates
// the camera's description over GCReadPort/GCWritePort, sets triggers, acquisition modes and
// chunk data by name, and the images arrive through the producer's stream, their chunks
// described by the buffer information and DSGetBufferChunkData.
#include <arv.h>

#include <cstring>
#include <map>

#include "ConsumerFixture.h"
#include "tests/common/GenApiFeatureAccess.h"
#include "tools/GenApiPortDevice.h"

namespace consumer {
namespace {

// The ID, offset and data of each chunk, walked back from the payload's end as a parser does.
struct ParsedChunk {
    uint32_t id = 0;
    size_t offset = 0;
    size_t length = 0;
};

uint64_t Load(const uint8_t* bytes, size_t size, bool bigEndian) {
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value = value << 8 | bytes[bigEndian ? i : size - 1 - i];
    return value;
}

std::vector<ParsedChunk> ParseTrailers(const uint8_t* payload, size_t filled, bool bigEndian) {
    std::vector<ParsedChunk> chunks;
    size_t end = filled;
    while (end >= 8) {
        const auto id = static_cast<uint32_t>(Load(payload + end - 8, 4, bigEndian));
        const auto length = static_cast<size_t>(Load(payload + end - 4, 4, bigEndian));
        if (length > end - 8) break;
        end -= 8 + length;
        chunks.insert(chunks.begin(), {id, end, length});
    }
    EXPECT_EQ(end, 0u) << "the trailers do not cover the payload";
    return chunks;
}

class GenApiCameraTest : public ConsumerStreamTest, protected ::Testing::GenApiFeatureAccess {
protected:
    ArvGc* Engine() override { return gc.get(); }

    void Open(const char* deviceId, const char* interfaceId) {
        ASSERT_NO_FATAL_FAILURE(OpenCameraStream(deviceId, interfaceId));
        xml = ReadDescription(cam.port);
        const PORT_HANDLE port = cam.port;
        const auto access = [port](bool write) {
            return [port, write](uint64_t at, void* data, size_t size) {
                const GC_ERROR result = write ? Gentl().GCWritePort(port, at, data, &size)
                                              : Gentl().GCReadPort(port, at, data, &size);
                return result == GC_ERR_SUCCESS ? std::string() : LastErrorText();
            };
        };
        device = MakeGenApiPortDevice(access(false), access(true));
        gc = ParseDescription(device.get(), xml);
        ASSERT_NE(gc, nullptr);
    }

    void SetUp() override {
        ConsumerTest::SetUp();
        Open(kCam1001, kGevInterface);
    }

    void TearDown() override {
        gc.reset();
        device.reset();
        ConsumerTest::TearDown();
    }

    // A delivered buffer, given back to the stream after the check.
    uint64_t NextFrameId() {
        const Delivery delivery = NextBuffer(newBuffer);
        EXPECT_EQ(delivery.result, GC_ERR_SUCCESS) << LastErrorText();
        if (delivery.result != GC_ERR_SUCCESS) return 0;
        const uint64_t id = FrameIdOf(delivery.buffer);
        EXPECT_EQ(gentl.DSQueueBuffer(ds, delivery.buffer), GC_ERR_SUCCESS);
        return id;
    }

    // No image comes: the stream stays empty for a while.
    void ExpectNoImage() { EXPECT_EQ(NextBuffer(newBuffer, 200).result, GC_ERR_TIMEOUT); }

    std::string xml;
    ArvDevicePtr device;
    ArvGcPtr gc;
};

TEST_F(GenApiCameraTest, FrameTriggersMakeOneImageEachAndNoneWithout) {
    SetEntry("TriggerSelector", "FrameStart");
    SetEntry("TriggerMode", "On");
    SetEntry("TriggerSource", "Software");
    AllocAndQueue(ds, 4, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ExpectNoImage();
    uint64_t last = 0;
    for (int i = 0; i < 6; ++i) {
        Execute("TriggerSoftware");
        const uint64_t id = NextFrameId();
        if (last != 0) {
            EXPECT_EQ(id, last + 1);
        }
        last = id;
    }
    ExpectNoImage();

    // A line: a pulse is one rising and one falling edge.
    SetEntry("TriggerSource", "Line0");
    Sim::PulseLine(kCam1001, 0);
    EXPECT_EQ(NextFrameId(), ++last);
    ExpectNoImage();
    SetEntry("TriggerActivation", "AnyEdge");
    Sim::PulseLine(kCam1001, 0);
    EXPECT_EQ(NextFrameId(), ++last);
    EXPECT_EQ(NextFrameId(), ++last);
    // Another line, or a software trigger of a line-triggered camera, fires nothing.
    Sim::PulseLine(kCam1001, 1);
    Execute("TriggerSoftware");
    ExpectNoImage();
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_EQ(Counter(STREAM_INFO_NUM_DELIVERED), 9u);
}

TEST_F(GenApiCameraTest, AnAcquisitionStartTriggerHoldsTheImagesBackUntilItFires) {
    SetEntry("TriggerSelector", "AcquisitionStart");
    SetEntry("TriggerMode", "On");
    AllocAndQueue(ds, 4, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ExpectNoImage();
    Execute("TriggerSoftware");
    const uint64_t first = NextFrameId();
    EXPECT_EQ(NextFrameId(), first + 1);
    EXPECT_EQ(NextFrameId(), first + 2);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
}

TEST_F(GenApiCameraTest, SingleFrameAndMultiFrameAcquisitionsEndByThemselves) {
    AllocAndQueue(ds, 8, PayloadSize(ds));
    for (const auto& [mode, images] : {std::pair{"SingleFrame", 1}, {"MultiFrame", 5}}) {
        SCOPED_TRACE(mode);
        SetEntry("AcquisitionMode", mode);
        SetInteger("AcquisitionFrameCount", 5);
        ASSERT_EQ(Start(), GC_ERR_SUCCESS);
        for (int i = 0; i < images; ++i) EXPECT_NE(NextFrameId(), 0u);
        ExpectNoImage();
        EXPECT_TRUE(Eventually([] { return !Sim::GetCameraStatus(kCam1001).acquiring; }));
        ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    }
}

TEST_F(GenApiCameraTest, CameraEventsArriveWithTheirData) {
    const EVENT_HANDLE events = RegisterEvent(cam.port, EVENT_REMOTE_DEVICE);
    for (const char* event : {"FrameStart", "ExposureEnd", "AcquisitionEnd"}) {
        SetEntry("EventSelector", event);
        SetEntry("EventNotification", "On");
    }
    // The description binds each event's data to the port of its event ID.
    EXPECT_NE(xml.find("<Port Name=\"EventExposureEndPort\" NameSpace=\"Custom\">\n"
                       "    <EventID>9010</EventID>"),
              std::string::npos);
    EXPECT_EQ(Integer("EventExposureEnd"), 0x9010);
    SetFloat("ExposureTime", 2000);
    SetEntry("AcquisitionMode", "MultiFrame");
    SetInteger("AcquisitionFrameCount", 2);
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    std::vector<std::pair<uint64_t, uint64_t>> frames;  // frame ID, timestamp
    for (int i = 0; i < 2; ++i) {
        const Delivery delivery = NextBuffer(newBuffer);
        ASSERT_EQ(delivery.result, GC_ERR_SUCCESS);
        frames.emplace_back(FrameIdOf(delivery.buffer),
                            Value<uint64_t>(BufInfo(ds, delivery.buffer, BUFFER_INFO_TIMESTAMP),
                                            INFO_DATATYPE_UINT64));
    }
    struct Expected {
        uint32_t id;
        uint64_t frameId;
        uint64_t timestamp;
    };
    const std::vector<Expected> expected = {
        {0x9011, frames[0].first, frames[0].second},
        {0x9010, frames[0].first, frames[0].second + 2'000'000},
        {0x9011, frames[1].first, frames[1].second},
        {0x9010, frames[1].first, frames[1].second + 2'000'000},
        {0x9012, frames[1].first, 0},
    };
    size_t seen = 0;
    while (seen < expected.size()) {
        unsigned char bytes[24] = {};
        size_t size = sizeof bytes;
        ASSERT_EQ(gentl.EventGetData(events, bytes, &size, kLongWaitMs), GC_ERR_SUCCESS)
            << LastErrorText();
        uint32_t id = 0;
        std::memcpy(&id, bytes, sizeof id);
        if (id == Sim::kEventAcquisitionStart || id == Sim::kEventAcquisitionStop) continue;
        // What a GenApi event adapter gets: timestamp, then frame ID.
        uint64_t value[2] = {};
        INFO_DATATYPE type = 0;
        size = sizeof value;
        ASSERT_EQ(gentl.EventGetDataInfo(events, bytes, 24, EVENT_DATA_VALUE, &type, value, &size),
                  GC_ERR_SUCCESS);
        const Expected& next = expected[seen++];
        EXPECT_EQ(id, next.id);
        EXPECT_EQ(value[1], next.frameId) << std::hex << id;
        if (next.timestamp != 0) {
            EXPECT_EQ(value[0], next.timestamp) << std::hex << id;
        }
    }
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
}

// DeviceReset takes the camera away as a power cycle does: the device's error event and the
// stream's tell, a wait ends, the port fails; once back the camera is listed and opens again,
// counting its frames from 1.
TEST_F(GenApiCameraTest, ADeviceResetLosesTheCameraUntilItIsOpenedAgain) {
    const EVENT_HANDLE deviceErrors = RegisterEvent(cam.dev, EVENT_ERROR);
    AllocAndQueue(ds, 3, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_NE(NextFrameId(), 0u);
    Execute("DeviceReset");

    EXPECT_EQ(NextError(deviceErrors), ErrorEntry(GC_ERR_IO, "Control of the camera was lost"));
    EXPECT_EQ(WaitPastDeliveredBuffers(), GC_ERR_ERROR);
    uint32_t width = 0;
    size_t size = sizeof width;
    EXPECT_NE(gentl.GCReadPort(cam.port, Sim::CameraRegister::kWidth, &width, &size),
              GC_ERR_SUCCESS);
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(CloseDevice(cam.dev), GC_ERR_SUCCESS);

    const auto listed = [&] {
        uint32_t count = 0;
        gentl.IFUpdateDeviceList(cam.iface, nullptr, 100);
        gentl.IFGetNumDevices(cam.iface, &count);
        return count == 2;
    };
    ASSERT_TRUE(Eventually(listed));
    gc.reset();
    device.reset();
    Open(kCam1001, kGevInterface);
    EXPECT_EQ(Integer("Width"), 640);
    AllocAndQueue(ds, 2, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    EXPECT_EQ(NextFrameId(), 1u);
    EXPECT_EQ(Stop(), GC_ERR_SUCCESS);
}

class ChunkDataTest : public GenApiCameraTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ConsumerTest::SetUp();
        if (GetParam())
            Open(kCam1001, kGevInterface);
        else
            Open(kCam2001, kU3vInterface);
    }
    bool BigEndian() const { return GetParam(); }
};

TEST_P(ChunkDataTest, ChunksCarryTheImagesIdTimestampAndSettings) {
    SetInteger("Width", 320);
    SetInteger("Height", 200);
    SetInteger("OffsetX", 16);
    SetInteger("OffsetY", 8);
    SetEntry("PixelFormat", "Mono16");
    SetFloat("ExposureTime", 4000);
    SetFloat("Gain", 3.5);
    const int64_t imageOnly = Integer("PayloadSize");
    EXPECT_EQ(imageOnly, 320 * 200 * 2);
    SetBoolean("ChunkModeActive", true);
    // The image chunk alone: the payload grows by its trailer.
    EXPECT_EQ(Integer("PayloadSize"), imageOnly + 8);
    const char* chunks[] = {"Timestamp", "FrameID", "ExposureTime", "Gain",       "Width",
                            "Height",    "OffsetX", "OffsetY",      "PixelFormat"};
    for (const char* chunk : chunks) {
        SetEntry("ChunkSelector", chunk);
        SetBoolean("ChunkEnable", true);
    }
    const int64_t payloadSize = Integer("PayloadSize");
    EXPECT_EQ(payloadSize, imageOnly + 8 + 4 * (8 + 8) + 5 * (4 + 8));
    EXPECT_EQ(PayloadSize(ds), size_t(payloadSize));
    // The description binds every chunk feature to the port of its chunk.
    EXPECT_NE(xml.find("<Port Name=\"ChunkTimestampPort\" NameSpace=\"Custom\">\n"
                       "    <ChunkID>4B560001</ChunkID>"),
              std::string::npos);

    AllocAndQueue(ds, 2, payloadSize);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    const Delivery delivery = NextBuffer(newBuffer);
    ASSERT_EQ(delivery.result, GC_ERR_SUCCESS);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    const BUFFER_HANDLE buffer = delivery.buffer;
    EXPECT_TRUE(Flag(BufInfo(ds, buffer, BUFFER_INFO_CONTAINS_CHUNKDATA)));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_PAYLOADTYPE), INFO_DATATYPE_SIZET),
              size_t{PAYLOAD_TYPE_CHUNK_DATA});
    const auto filled =
        Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_SIZE_FILLED), INFO_DATATYPE_SIZET);
    EXPECT_EQ(filled, size_t(payloadSize));
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_DELIVERED_CHUNKPAYLOADSIZE),
                            INFO_DATATYPE_SIZET),
              filled);
    const auto layoutId =
        Value<uint64_t>(BufInfo(ds, buffer, BUFFER_INFO_CHUNKLAYOUTID), INFO_DATATYPE_UINT64);
    EXPECT_NE(layoutId, 0u);
    const auto base = static_cast<const uint8_t*>(
        Value<void*>(BufInfo(ds, buffer, BUFFER_INFO_BASE), INFO_DATATYPE_PTR));

    // The producer's list and the trailers agree.
    const std::vector<ParsedChunk> parsed = ParseTrailers(base, filled, BigEndian());
    ASSERT_EQ(parsed.size(), 10u);
    size_t count = 0;
    ASSERT_EQ(gentl.DSGetBufferChunkData(ds, buffer, nullptr, &count), GC_ERR_SUCCESS);
    ASSERT_EQ(count, parsed.size());
    std::vector<SINGLE_CHUNK_DATA> listed(count);
    count = 3;
    EXPECT_EQ(gentl.DSGetBufferChunkData(ds, buffer, listed.data(), &count),
              GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(count, parsed.size());
    ASSERT_EQ(gentl.DSGetBufferChunkData(ds, buffer, listed.data(), &count), GC_ERR_SUCCESS);
    std::map<uint64_t, ParsedChunk> byId;
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(listed[i].ChunkID, parsed[i].id);
        EXPECT_EQ(size_t(listed[i].ChunkOffset), parsed[i].offset);
        EXPECT_EQ(listed[i].ChunkLength, parsed[i].length);
        byId[parsed[i].id] = parsed[i];
    }
    // The image comes first.
    EXPECT_EQ(parsed[0].id, Sim::Chunk::kImageChunkId);
    EXPECT_EQ(parsed[0].offset, 0u);
    EXPECT_EQ(parsed[0].length, size_t(imageOnly));

    const auto chunkValue = [&](uint32_t chunk) {
        const ParsedChunk& found = byId.at(Sim::Chunk::kChunkIdBase + chunk);
        return Load(base + found.offset, found.length, BigEndian());
    };
    const auto chunkFloat = [&](uint32_t chunk) {
        const uint64_t bits = chunkValue(chunk);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    };
    EXPECT_EQ(chunkValue(Sim::Chunk::kFrameID), FrameIdOf(buffer));
    EXPECT_EQ(chunkValue(Sim::Chunk::kTimestamp),
              Value<uint64_t>(BufInfo(ds, buffer, BUFFER_INFO_TIMESTAMP), INFO_DATATYPE_UINT64));
    EXPECT_EQ(chunkFloat(Sim::Chunk::kExposureTime), 4000.0);
    EXPECT_EQ(chunkFloat(Sim::Chunk::kGain), 3.5);
    EXPECT_EQ(chunkValue(Sim::Chunk::kWidth), 320u);
    EXPECT_EQ(chunkValue(Sim::Chunk::kHeight), 200u);
    EXPECT_EQ(chunkValue(Sim::Chunk::kOffsetX), 16u);
    EXPECT_EQ(chunkValue(Sim::Chunk::kOffsetY), 8u);
    EXPECT_EQ(chunkValue(Sim::Chunk::kPixelFormat), Sim::PixelFormat::kMono16);
    EXPECT_EQ(Value<size_t>(BufInfo(ds, buffer, BUFFER_INFO_XOFFSET), INFO_DATATYPE_SIZET), 16u);

    // Another set of chunks is another layout.
    SetEntry("ChunkSelector", "Gain");
    SetBoolean("ChunkEnable", false);
    ASSERT_EQ(gentl.DSQueueBuffer(ds, buffer), GC_ERR_SUCCESS);
    // Images of the first acquisition still waiting go back to be filled again.
    ASSERT_EQ(gentl.DSFlushQueue(ds, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    const Delivery next = NextBuffer(newBuffer);
    ASSERT_EQ(next.result, GC_ERR_SUCCESS);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    EXPECT_NE(
        Value<uint64_t>(BufInfo(ds, next.buffer, BUFFER_INFO_CHUNKLAYOUTID), INFO_DATATYPE_UINT64),
        layoutId);
    ASSERT_EQ(gentl.DSGetBufferChunkData(ds, next.buffer, nullptr, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 9u);
}

TEST_P(ChunkDataTest, WithoutChunkModeThereAreNoChunks) {
    AllocAndQueue(ds, 1, PayloadSize(ds));
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    const Delivery delivery = NextBuffer(newBuffer);
    ASSERT_EQ(delivery.result, GC_ERR_SUCCESS);
    EXPECT_FALSE(Flag(BufInfo(ds, delivery.buffer, BUFFER_INFO_CONTAINS_CHUNKDATA)));
    EXPECT_EQ(
        Value<size_t>(BufInfo(ds, delivery.buffer, BUFFER_INFO_PAYLOADTYPE), INFO_DATATYPE_SIZET),
        size_t{PAYLOAD_TYPE_IMAGE});
    size_t count = 7;
    EXPECT_EQ(gentl.DSGetBufferChunkData(ds, delivery.buffer, nullptr, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, ChunkDataTest, ::testing::Values(true, false),
                         [](const auto& info) {
                             return info.param ? "GigEVisionBigEndian" : "Usb3VisionLittleEndian";
                         });

}  // namespace
}  // namespace consumer
