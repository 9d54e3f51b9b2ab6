#include "stream/DataStream.h"

#include <cstdlib>

#include "KavrinTL.h"
#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/PortIdentity.h"
#include "device/Device.h"

namespace GenICam::Client {

namespace {
constexpr uint32_t kDescriptionAddress = 0x200;
constexpr uint64_t kRegisterBase = 0x10000;
// The acquisition fills any single announced buffer.
constexpr int64_t kAnnounceBufferMinimum = 1;
constexpr size_t kStreamIdPrefixLength = 2;  // "DS"

int32_t StreamIndex(const std::string& id) {
    return id.size() > kStreamIdPrefixLength ? std::atoi(id.c_str() + kStreamIdPrefixLength) : 0;
}

GenTL::BUFFER_HANDLE HandleOf(CBufferInfo* buffer) { return buffer->Handle(); }
}  // namespace

Tevold::CamStream* CDataStream::OpenCameraStream(CDevice& device, const std::string& id) {
    Tevold::CamStream* stream = nullptr;
    if (device.Camera().OpenStream(id.c_str(), &stream) < 0 || stream == nullptr)
        GENICAM_THROW(RuntimeException, "Unable to open Stream");
    return stream;
}

CDataStream::CDataStream(std::string id, CDevice& device)
    : id_(std::move(id)),
      index_(StreamIndex(id_)),
      device_(device),
      camera_(OpenCameraStream(device, id_)),
      engine_(queues_, *camera_, errorEvent_),
      newBufferEvent_(*this),
      nodeMap_(MakeNodeMap()) {}

CDataStream::~CDataStream() {
    RetireHandle();
    newBufferEvent_.RetireHandle();
    errorEvent_.RetireHandle();
    try {
        engine_.Stop();
    } catch (...) {
        // The stream goes away whatever the camera says about stopping.
    }
    camera_->CloseStream();
    queues_.RevokeAll();
}

void CDataStream::Close() { device_.CloseDataStream(this); }

GenTL::BUFFER_HANDLE CDataStream::AnnounceBuffer(void* base, size_t size, void* userPointer) {
    return HandleOf(
        queues_.Announce(std::make_unique<CBufferInfo>(base, size, userPointer, false)));
}

GenTL::BUFFER_HANDLE CDataStream::AllocAndAnnounceBuffer(size_t size, void* userPointer) {
    void* base = std::malloc(size == 0 ? 1 : size);
    if (base == nullptr) GENICAM_THROW(RuntimeException, "Unable to allocate the buffer");
    std::unique_ptr<CBufferInfo> buffer;
    try {
        buffer = std::make_unique<CBufferInfo>(base, size, userPointer, true);
    } catch (...) {
        std::free(base);
        throw;
    }
    // From here the buffer object owns the memory, also if announcing fails.
    return HandleOf(queues_.Announce(std::move(buffer)));
}

void CDataStream::RevokeBuffer(GenTL::BUFFER_HANDLE buffer, void** base, void** userPointer) {
    queues_.Revoke(buffer, base, userPointer);
}

void CDataStream::QueueBuffer(GenTL::BUFFER_HANDLE buffer) { queues_.Queue(buffer); }

void CDataStream::FlushQueue(GenTL::ACQ_QUEUE_TYPE operation) { queues_.Flush(operation); }

void CDataStream::StartAcquisition(GenTL::ACQ_START_FLAGS, uint64_t imageCount) {
    engine_.Start(imageCount);
}

void CDataStream::StopAcquisition() { engine_.Stop(); }

GenTL::BUFFER_HANDLE CDataStream::GetBufferID(uint32_t index) {
    return HandleOf(&queues_.At(index));
}

void CDataStream::GetBufferInfo(GenTL::BUFFER_HANDLE buffer, GenTL::BUFFER_INFO_CMD command,
                                GenTL::INFO_DATATYPE* type, void* value, size_t* size) {
    queues_.Announced(buffer).GetBufferInfo(command, type, value, size);
}

void CDataStream::GetBufferChunkData(GenTL::BUFFER_HANDLE buffer, GenTL::SINGLE_CHUNK_DATA* list,
                                     size_t* count) {
    queues_.Announced(buffer).GetChunkData(list, count);
}

void CDataStream::AbortWait() { queues_.AbortWait(); }

GenTL::GC_ERROR CDataStream::WaitNewBuffer(void* buffer, size_t* size, uint64_t timeoutMs) {
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    if (buffer != nullptr && *size < sizeof(GenTL::EVENT_NEW_BUFFER_DATA))
        GENICAM_THROW(InvalidParameterException, "Invalid Buffer Size");
    const WaitDeadline deadline(timeoutMs);
    // A wake-up that finds neither a buffer nor an abort (a requeue or a flush emptied the
    // output queue, or another waiter came first) waits on for the rest of the time. Once the
    // acquisition has failed no buffer will come: the wait ends at once.
    for (;;) {
        switch (ReportNewBuffer(buffer, size)) {
            case BufferQueues::Front::Buffer:
                return GenTL::GC_ERR_SUCCESS;
            case BufferQueues::Front::Aborted:
                return GenTL::GC_ERR_ABORT;
            case BufferQueues::Front::Empty:
                if (engine_.Failed()) return GenTL::GC_ERR_ERROR;
                break;
        }
        if (!queues_.NewBufferSignal().Wait(deadline))
            return engine_.Failed() ? GenTL::GC_ERR_ERROR : GenTL::GC_ERR_TIMEOUT;
    }
}

BufferQueues::Front CDataStream::ReportNewBuffer(void* buffer, size_t* size) {
    // A size query takes nothing: the buffer stays for the call that follows it.
    if (buffer == nullptr) {
        const BufferQueues::Front front = queues_.PeekDelivered();
        if (front == BufferQueues::Front::Buffer) *size = sizeof(GenTL::EVENT_NEW_BUFFER_DATA);
        return front;
    }
    return queues_.TakeDelivered([&](CBufferInfo& front) {
        GenTL::EVENT_NEW_BUFFER_DATA data{HandleOf(&front), front.UserPointer()};
        CopyInfoValue(buffer, size, nullptr, GenTL::INFO_DATATYPE_UNKNOWN, &data, sizeof data);
    });
}

template <class T>
void CDataStream::CopyCameraParameter(GenTL::STREAM_INFO_CMD command, uint32_t parameter, T initial,
                                      GenTL::INFO_DATATYPE valueType, GenTL::INFO_DATATYPE* type,
                                      void* buffer, size_t* size) {
    T value = initial;
    size_t valueSize = sizeof value;
    const Tevold::CamResult result = camera_->GetParameter(parameter, &value, &valueSize);
    // The custom commands report a parameter the camera cannot give; the standard ones do not.
    if (command >= GenTL::STREAM_INFO_CUSTOM_ID && result != 0)
        GENICAM_THROW(InvalidParameterException, "Invalid stream info command %d", command);
    CopyInfoNumber(buffer, size, type, valueType, value);
}

void CDataStream::GetInfo(GenTL::STREAM_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                          size_t* size) {
    constexpr uint32_t kUnset32 = 0xFFFFFFFF;
    switch (command) {
        case GenTL::STREAM_INFO_ID:
            return CopyInfoString(buffer, size, type, id_);
        case GenTL::STREAM_INFO_NUM_DELIVERED:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  engine_.Delivered());
        case GenTL::STREAM_INFO_NUM_UNDERRUN:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  engine_.Underruns());
        case GenTL::STREAM_INFO_NUM_ANNOUNCED:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                                  static_cast<uint32_t>(queues_.NumAnnounced()));
        case GenTL::STREAM_INFO_NUM_QUEUED:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                                  static_cast<uint32_t>(queues_.NumQueued()));
        case GenTL::STREAM_INFO_NUM_AWAIT_DELIVERY:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                                  static_cast<uint32_t>(queues_.NumAwaitingDelivery()));
        case GenTL::STREAM_INFO_NUM_STARTED:
            return CopyCameraParameter<int64_t>(command, Tevold::kParamFramesStarted, 0,
                                                GenTL::INFO_DATATYPE_INT64, type, buffer, size);
        case GenTL::STREAM_INFO_IS_GRABBING:
            return CopyInfoBool8(buffer, size, type, engine_.IsGrabbing());
        case GenTL::STREAM_INFO_DEFINES_PAYLOADSIZE:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamDefinesPayloadSize, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case GenTL::STREAM_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, TLTypeName());
        case KAVRIN_STREAM_INFO_PAYLOAD_SIZE:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPayloadSize, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_PIXEL_FORMAT:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPixelFormat, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_WIDTH:
            return CopyCameraParameter<uint32_t>(command, Tevold::kParamWidth, kUnset32,
                                                 GenTL::INFO_DATATYPE_UINT32, type, buffer, size);
        case KAVRIN_STREAM_INFO_PACKETS_RECEIVED:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPacketsReceived, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_PACKETS_MISSING:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPacketsMissing, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_PACKETS_RESENT:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPacketsResent, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_PACKETS_IGNORED:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamPacketsIgnored, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_RESEND_REQUESTS:
            return CopyCameraParameter<uint64_t>(command, Tevold::kParamResendRequests, 0,
                                                 GenTL::INFO_DATATYPE_UINT64, type, buffer, size);
        case KAVRIN_STREAM_INFO_HEIGHT:
            return CopyCameraParameter<uint32_t>(command, Tevold::kParamHeight, kUnset32,
                                                 GenTL::INFO_DATATYPE_UINT32, type, buffer, size);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid stream info command %d", command);
    }
}

NodeMap CDataStream::MakeNodeMap() {
    using Feature = NodeMapFeature;
    using Mode = BufferHandlingMode;
    const std::string info = "StreamInformation";
    const std::string control = "BufferHandlingControl";
    // Every value is the one DSGetInfo gives.
    const auto query = [this](GenTL::STREAM_INFO_CMD command) {
        return [this, command](GenTL::INFO_DATATYPE* type, void* buffer, size_t* size) {
            GetInfo(command, type, buffer, size);
        };
    };
    const auto number = [query](GenTL::STREAM_INFO_CMD command) {
        return [query = query(command)] { return InfoNumber(query); };
    };
    // The transport's packet counters; a stream that counts no packets (DSGetInfo refuses
    // them) shows 0.
    const auto packets = [number](int command) {
        return [read = number(static_cast<GenTL::STREAM_INFO_CMD>(command))]() -> int64_t {
            try {
                return read();
            } catch (const InvalidParameterException&) {
                return 0;
            }
        };
    };
    std::vector<Feature> features{
        Feature::Text(info, "StreamID", "ID of the stream",
                      [query] { return InfoText(query(GenTL::STREAM_INFO_ID)); }),
        Feature::Choice(
            info, "StreamType", "Transport layer type of the stream", TLTypeEntries(),
            [query] { return TLTypeEntry(InfoText(query(GenTL::STREAM_INFO_TLTYPE))); }),
        Feature::Number(info, "StreamAnnouncedBufferCount", "Buffers announced",
                        number(GenTL::STREAM_INFO_NUM_ANNOUNCED)),
        Feature::Number(info, "StreamAnnounceBufferMinimum", "Fewest buffers the stream needs",
                        [] { return kAnnounceBufferMinimum; }),
        Feature::Number(info, "StreamInputBufferCount", "Buffers in the input queue",
                        number(GenTL::STREAM_INFO_NUM_QUEUED)),
        Feature::Number(info, "StreamOutputBufferCount", "Filled buffers waiting to be delivered",
                        number(GenTL::STREAM_INFO_NUM_AWAIT_DELIVERY)),
        Feature::Number(info, "StreamDeliveredFrameCount",
                        "Buffers filled since the acquisition started",
                        number(GenTL::STREAM_INFO_NUM_DELIVERED)),
        Feature::Number(info, "StreamLostFrameCount",
                        "Images lost for want of a buffer or discarded by the handling mode",
                        number(GenTL::STREAM_INFO_NUM_UNDERRUN)),
        Feature::Number(info, "StreamStartedFrameCount",
                        "Images the camera started since the acquisition started",
                        number(GenTL::STREAM_INFO_NUM_STARTED)),
        Feature::Flag(info, "StreamIsGrabbing", "Whether the stream acquires",
                      [number = number(GenTL::STREAM_INFO_IS_GRABBING)] { return number() != 0; }),
        Feature::Number(
            info, "PayloadSize", "Bytes of one image",
            number(static_cast<GenTL::STREAM_INFO_CMD>(KAVRIN_STREAM_INFO_PAYLOAD_SIZE))),
        Feature::Number(info, "StreamReceivedPacketCount",
                        "Stream packets received, resent ones included",
                        packets(KAVRIN_STREAM_INFO_PACKETS_RECEIVED)),
        Feature::Number(info, "StreamMissingPacketCount", "Stream packets that never arrived",
                        packets(KAVRIN_STREAM_INFO_PACKETS_MISSING)),
        Feature::Number(info, "StreamResentPacketCount",
                        "Stream packets the camera sent again on request",
                        packets(KAVRIN_STREAM_INFO_PACKETS_RESENT)),
        Feature::Number(info, "StreamIgnoredPacketCount",
                        "Stream packets of no image being received",
                        packets(KAVRIN_STREAM_INFO_PACKETS_IGNORED)),
        Feature::Number(info, "StreamResendRequestCount",
                        "Packet resend requests sent to the camera",
                        packets(KAVRIN_STREAM_INFO_RESEND_REQUESTS)),
        Feature::Choice(
            control, "StreamBufferHandlingMode",
            "How filled buffers reach the consumer; set while the stream does not acquire",
            {{"OldestFirst", static_cast<int64_t>(Mode::OldestFirst)},
             {"OldestFirstOverwrite", static_cast<int64_t>(Mode::OldestFirstOverwrite)},
             {"NewestOnly", static_cast<int64_t>(Mode::NewestOnly)}},
            [this] { return static_cast<int64_t>(engine_.HandlingMode()); })
            .Writable([this](int64_t mode) { engine_.SetHandlingMode(static_cast<Mode>(mode)); })
            .LockedBy("StreamIsGrabbing"),
    };
    return NodeMap({"TLDataStreamRegs.xml", "StreamPort", "TLDataStream",
                    "2b7e5d93-6f4a-4c18-9e3b-7a1d8c5f0e17", "f6a29c84-7b3e-4d51-a0c2-3e8f5b7d1a18",
                    kDescriptionAddress, kRegisterBase},
                   std::move(features));
}

void CDataStream::Read(uint64_t address, void* buffer, size_t* size) {
    nodeMap_.Read(address, buffer, size);
}

void CDataStream::Write(uint64_t address, const void* buffer, size_t* size) {
    nodeMap_.Write(address, buffer, size);
}

void CDataStream::GetURL(char* url, size_t* size) { CopyModuleUrl(url, size, nodeMap_.Url(), 0); }

void CDataStream::GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                              void* buffer, size_t* size) {
    // The ID travels with a spare zero byte after its terminator.
    std::string id = "DS" + std::to_string(index_);
    id.push_back('\0');
    const PortIdentity identity{id,           VendorName(),   ModelName(),
                                TLTypeName(), "TLDataStream", FormatVersion(GetModuleVersion()),
                                "StreamPort"};
    identity.Answer(command, type, buffer, size);
}

void CDataStream::RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) {
    switch (eventType) {
        case GenTL::EVENT_ERROR:
            errorEvent_.Enable();
            *event = errorEvent_.Handle();
            return;
        case GenTL::EVENT_NEW_BUFFER:
            // A fresh registration forgets kills aimed at an earlier one.
            queues_.ForgetAborts();
            *event = newBufferEvent_.Handle();
            return;
        default:
            GENICAM_THROW(InvalidParameterException, "Event ID %ld not implemented",
                          static_cast<long>(eventType));
    }
}

void CDataStream::UnregisterEvent(GenTL::EVENT_TYPE eventType) {
    switch (eventType) {
        case GenTL::EVENT_ERROR:
            return errorEvent_.Disable();
        case GenTL::EVENT_NEW_BUFFER:
            // A thread still waiting on the event would otherwise wait for nothing.
            return queues_.AbortWait();
        default:
            GENICAM_THROW(InvalidParameterException, "Event ID %ld not implemented",
                          static_cast<long>(eventType));
    }
}

}  // namespace GenICam::Client
