#include "tools/FrameGrabber.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "KavrinTL.h"
#include "tools/DeviceDescription.h"
#include "tools/FrameSaver.h"
#include "tools/GenTLError.h"
#include "tools/GenTLInfo.h"
#include "tools/OpenedStream.h"
#include "tools/SoftwareTrigger.h"

namespace Kavrin::Tools {

using namespace GenTL;

namespace {

uint64_t StreamInfo(GenTLProducer& gentl, DS_HANDLE stream, STREAM_INFO_CMD command) {
    return InfoNumber(gentl, "DSGetInfo", [&](INFO_DATATYPE* type, void* buffer, size_t* size) {
        return gentl.DSGetInfo(stream, command, type, buffer, size);
    });
}

uint64_t BufferInfo(GenTLProducer& gentl, DS_HANDLE stream, BUFFER_HANDLE buffer,
                    BUFFER_INFO_CMD command) {
    return InfoNumber(gentl, "DSGetBufferInfo",
                      [&](INFO_DATATYPE* type, void* value, size_t* size) {
                          return gentl.DSGetBufferInfo(stream, buffer, command, type, value, size);
                      });
}

// The packet counters of a stream of this project's producer (include/KavrinTL.h): another
// producer's custom commands mean something else. None for a stream that counts no packets.
std::optional<PacketCounts> PacketCountsOf(GenTLProducer& gentl, DS_HANDLE stream) {
    char model[64] = {};
    size_t size = sizeof model;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    if (gentl.GCGetInfo(TL_INFO_MODEL, &type, model, &size) != GC_ERR_SUCCESS ||
        std::string(model) != "KavrinTL")
        return std::nullopt;
    const auto counter = [&](int command) {
        return StreamInfo(gentl, stream, static_cast<STREAM_INFO_CMD>(command));
    };
    try {
        return PacketCounts{counter(KAVRIN_STREAM_INFO_PACKETS_RECEIVED),
                            counter(KAVRIN_STREAM_INFO_PACKETS_MISSING),
                            counter(KAVRIN_STREAM_INFO_PACKETS_RESENT),
                            counter(KAVRIN_STREAM_INFO_PACKETS_IGNORED),
                            counter(KAVRIN_STREAM_INFO_RESEND_REQUESTS)};
    } catch (const GenTLError&) {
        return std::nullopt;
    }
}

// One open data stream with its buffers and new-buffer event; its destructor undoes whatever
// was set up, in the order consumers use, ignoring failures of a device that may be gone.
class Acquisition {
public:
    Acquisition(OpenedDevice& device, CameraFeatures& features)
        : gentl_(device.GenTL()), features_(features), opened_(device), stream_(opened_.Handle()) {}

    ~Acquisition() {
        if (started_) {
            if (features_.Has("AcquisitionStop"))
                Ignore([&] { features_.Execute("AcquisitionStop"); });
            gentl_.DSStopAcquisition(stream_, ACQ_STOP_FLAGS_DEFAULT);
        }
        if (locked_) Ignore([&] { features_.SetInteger("TLParamsLocked", 0); });
        if (event_ != nullptr) gentl_.GCUnregisterEvent(stream_, EVENT_NEW_BUFFER);
        gentl_.DSFlushQueue(stream_, ACQ_QUEUE_ALL_DISCARD);
        for (BUFFER_HANDLE buffer : buffers_)
            gentl_.DSRevokeBuffer(stream_, buffer, nullptr, nullptr);
    }

    Acquisition(const Acquisition&) = delete;
    Acquisition& operator=(const Acquisition&) = delete;

    DS_HANDLE Stream() const { return stream_; }
    EVENT_HANDLE Event() const { return event_; }

    // The bytes one image needs: the stream's own size when it defines one, else the camera's.
    size_t PayloadSize() {
        if (StreamInfo(gentl_, stream_, STREAM_INFO_DEFINES_PAYLOADSIZE) != 0) {
            return static_cast<size_t>(StreamInfo(gentl_, stream_, STREAM_INFO_PAYLOAD_SIZE));
        }
        return static_cast<size_t>(features_.Integer("PayloadSize"));
    }

    // Through the stream's own node map, as GenApi consumers choose the mode.
    void SetBufferMode(const std::string& mode) {
        uint32_t urls = 0;
        if (gentl_.GCGetNumPortURLs(stream_, &urls) != GC_ERR_SUCCESS || urls == 0)
            throw std::runtime_error("the producer's data stream has no node map to set " + mode +
                                     " in");
        CameraFeatures streamFeatures(gentl_, stream_, DownloadDescription(gentl_, stream_).xml);
        streamFeatures.Apply("StreamBufferHandlingMode=" + mode);
    }

    void Prepare(uint32_t count) {
        const size_t payloadSize = PayloadSize();
        for (uint32_t i = 0; i < count; ++i) {
            BUFFER_HANDLE buffer = nullptr;
            CheckGenTL(gentl_,
                       gentl_.DSAllocAndAnnounceBuffer(stream_, payloadSize, nullptr, &buffer),
                       "DSAllocAndAnnounceBuffer");
            buffers_.push_back(buffer);
            CheckGenTL(gentl_, gentl_.DSQueueBuffer(stream_, buffer), "DSQueueBuffer");
        }
        CheckGenTL(gentl_, gentl_.GCRegisterEvent(stream_, EVENT_NEW_BUFFER, &event_),
                   "GCRegisterEvent");
    }

    void Start() {
        // The transport layer relies on the image format staying as it is while it streams.
        if (features_.Has("TLParamsLocked")) {
            features_.SetInteger("TLParamsLocked", 1);
            locked_ = true;
        }
        CheckGenTL(gentl_,
                   gentl_.DSStartAcquisition(stream_, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE),
                   "DSStartAcquisition");
        started_ = true;
        if (features_.Has("AcquisitionStart")) features_.Execute("AcquisitionStart");
    }

private:
    template <typename Step>
    static void Ignore(Step step) {
        try {
            step();
        } catch (const std::exception&) {
            // Tearing down after a failure; the failure that matters was already reported.
        }
    }

    GenTLProducer& gentl_;
    CameraFeatures& features_;
    // Closed after the destructor's body has taken everything else back.
    OpenedStream opened_;
    const DS_HANDLE stream_;
    EVENT_HANDLE event_ = nullptr;
    std::vector<BUFFER_HANDLE> buffers_;
    bool locked_ = false;
    bool started_ = false;
};

// A module's error event, for as long as the grab runs: a device or a stream that posts an entry
// there lost its camera. A producer without error events on the module gives none.
class ErrorEvent {
public:
    ErrorEvent(GenTLProducer& gentl, void* module) : gentl_(gentl), module_(module) {
        if (gentl_.GCRegisterEvent(module_, EVENT_ERROR, &event_) != GC_ERR_SUCCESS)
            event_ = nullptr;
    }
    ~ErrorEvent() {
        if (event_ != nullptr) gentl_.GCUnregisterEvent(module_, EVENT_ERROR);
    }
    ErrorEvent(const ErrorEvent&) = delete;
    ErrorEvent& operator=(const ErrorEvent&) = delete;

    // The text of the next entry within timeoutMs, if one comes.
    std::optional<std::string> Next(uint64_t timeoutMs) {
        if (event_ == nullptr) return std::nullopt;
        char entry[512] = {};
        size_t size = sizeof entry - 1;
        if (gentl_.EventGetData(event_, entry, &size, timeoutMs) != GC_ERR_SUCCESS ||
            size <= sizeof(GC_ERROR))
            return std::nullopt;
        return std::string(entry + sizeof(GC_ERROR));
    }

private:
    GenTLProducer& gentl_;
    void* module_;
    EVENT_HANDLE event_ = nullptr;
};

// How long a failed wait looks for the device's word that its camera was lost: the device
// tells soon after the stream ends.
constexpr uint64_t kLossWordWaitMs = 1000;

// The interrupt action for as long as the new-buffer event it kills is registered.
class InterruptAction {
public:
    InterruptAction(InterruptWatcher& interrupts, std::function<void()> action)
        : interrupts_(interrupts) {
        interrupts_.SetAction(std::move(action));
    }
    ~InterruptAction() { interrupts_.SetAction({}); }
    InterruptAction(const InterruptAction&) = delete;
    InterruptAction& operator=(const InterruptAction&) = delete;

private:
    InterruptWatcher& interrupts_;
};

// The image of a delivered buffer as the producer describes it.
Frame DeliveredFrame(GenTLProducer& gentl, DS_HANDLE stream, BUFFER_HANDLE buffer) {
    const auto info = [&](BUFFER_INFO_CMD command) {
        return BufferInfo(gentl, stream, buffer, command);
    };
    Frame frame;
    // Producers older than GenTL 1.2 know no image offset: their images start at the base.
    uint64_t offset = 0;
    try {
        offset = info(BUFFER_INFO_IMAGEOFFSET);
    } catch (const GenTLError&) {
    }
    frame.data =
        reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(info(BUFFER_INFO_BASE))) + offset;
    frame.size = static_cast<size_t>(info(BUFFER_INFO_SIZE_FILLED));
    frame.width = static_cast<size_t>(info(BUFFER_INFO_WIDTH));
    frame.height = static_cast<size_t>(info(BUFFER_INFO_HEIGHT));
    frame.pixelFormat = info(BUFFER_INFO_PIXELFORMAT);
    frame.frameId = info(BUFFER_INFO_FRAMEID);
    try {
        frame.timestamp = info(BUFFER_INFO_TIMESTAMP);
    } catch (const GenTLError&) {
        // Not every producer stamps its buffers.
    }
    return frame;
}

// A delivered buffer's chunks as the producer finds them, each feature read from its chunk.
std::vector<std::pair<std::string, std::string>> ChunkValues(GenTLProducer& gentl, DS_HANDLE stream,
                                                             BUFFER_HANDLE buffer,
                                                             AttachedDataFeatures& features) {
    size_t count = 0;
    CheckGenTL(gentl, gentl.DSGetBufferChunkData(stream, buffer, nullptr, &count),
               "DSGetBufferChunkData");
    std::vector<SINGLE_CHUNK_DATA> chunks(count);
    CheckGenTL(gentl, gentl.DSGetBufferChunkData(stream, buffer, chunks.data(), &count),
               "DSGetBufferChunkData");
    chunks.resize(count);
    const auto* base = reinterpret_cast<const uint8_t*>(
        static_cast<uintptr_t>(BufferInfo(gentl, stream, buffer, BUFFER_INFO_BASE)));
    std::vector<std::pair<std::string, std::string>> values;
    for (const auto& chunk : chunks) {
        for (const auto& name : features.ChunkFeatures(chunk.ChunkID))
            values.emplace_back(name,
                                features.Read(name, base + chunk.ChunkOffset, chunk.ChunkLength));
    }
    return values;
}

}  // namespace

FrameGrabber::FrameGrabber(OpenedDevice& device, CameraFeatures& features,
                           InterruptWatcher& interrupts)
    : device_(device), features_(features), interrupts_(interrupts) {}

GrabOutcome FrameGrabber::Run(const GrabRequest& request,
                              const std::function<void(const GrabStatistics&)>& progress) {
    GenTLProducer& gentl = device_.GenTL();
    GrabOutcome outcome;
    try {
        std::optional<FrameSaver> saver;
        if (request.writer != nullptr) saver.emplace(*request.writer, request.buffers);
        ErrorEvent deviceErrors(gentl, device_.Handle());
        Acquisition acquisition(device_, features_);
        if (!request.bufferMode.empty()) acquisition.SetBufferMode(request.bufferMode);
        acquisition.Prepare(request.buffers);
        const EVENT_HANDLE event = acquisition.Event();
        const DS_HANDLE stream = acquisition.Stream();
        ErrorEvent streamErrors(gentl, stream);
        const InterruptAction kill(interrupts_, [&gentl, event] { gentl.EventKill(event); });
        acquisition.Start();
        // Destroyed before the acquisition stops: no trigger comes after the stop.
        std::optional<SoftwareTrigger> trigger;
        if (request.triggerRate > 0)
            trigger.emplace(gentl, device_.RemotePort(), *request.description, request.triggerRate);
        uint64_t saved = 0;
        while (outcome.statistics.Frames() < request.frames && !interrupts_.Interrupted()) {
            EVENT_NEW_BUFFER_DATA data{};
            size_t size = sizeof data;
            const GC_ERROR result = gentl.EventGetData(event, &data, &size, request.timeoutMs);
            if (result == GC_ERR_ABORT && interrupts_.Interrupted()) break;
            if (result != GC_ERR_SUCCESS && result != GC_ERR_ABORT) {
                // The stream tells first that its acquisition ended, the device why.
                std::optional<std::string> lost = streamErrors.Next(0);
                if (const auto word = deviceErrors.Next(lost ? 0 : kLossWordWaitMs)) lost = word;
                if (lost) throw std::runtime_error("camera lost: " + *lost);
                if (trigger) trigger->ThrowFailure();
            }
            CheckGenTL(gentl, result, "EventGetData");
            const uint64_t frameId =
                BufferInfo(gentl, stream, data.BufferHandle, BUFFER_INFO_FRAMEID);
            std::optional<uint64_t> timestampNs;
            try {
                timestampNs =
                    BufferInfo(gentl, stream, data.BufferHandle, BUFFER_INFO_TIMESTAMP_NS);
            } catch (const GenTLError&) {
                // Producers older than GenTL 1.4 give no time in nanoseconds.
            }
            // An incomplete buffer need not describe an image; it is counted, not stored.
            if (BufferInfo(gentl, stream, data.BufferHandle, BUFFER_INFO_IS_INCOMPLETE) != 0) {
                outcome.statistics.Count(
                    frameId, BufferInfo(gentl, stream, data.BufferHandle, BUFFER_INFO_SIZE_FILLED),
                    true, timestampNs);
            } else {
                const Frame frame = DeliveredFrame(gentl, stream, data.BufferHandle);
                outcome.statistics.Count(frameId, frame.size, false, timestampNs);
                if (request.chunks != nullptr)
                    request.onChunks(
                        frameId, ChunkValues(gentl, stream, data.BufferHandle, *request.chunks));
                if (saver) saver->Save(frame, ++saved);
            }
            CheckGenTL(gentl, gentl.DSQueueBuffer(stream, data.BufferHandle), "DSQueueBuffer");
            progress(outcome.statistics);
        }
        outcome.statistics.SetUnderruns(StreamInfo(gentl, stream, STREAM_INFO_NUM_UNDERRUN));
        outcome.statistics.SetPackets(PacketCountsOf(gentl, stream));
        if (saver) saver->Finish();
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    outcome.interrupted = interrupts_.Interrupted();
    return outcome;
}

}  // namespace Kavrin::Tools
