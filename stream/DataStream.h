// The data stream module behind a DS_HANDLE: the camera stream, the announced buffers and
// their queues, the acquisition thread, stream information and the stream's events.
#pragma once

#include <memory>
#include <string>

#include "camlib/CamLib.h"
#include "common/ICommonBase.h"
#include "common/NodeMap.h"
#include "events/EventError.h"
#include "stream/AcquisitionEngine.h"
#include "stream/BufferQueues.h"
#include "stream/EventNewBuffer.h"

namespace GenICam::Client {

class CDevice;

class CDataStream final : public ICommonBase {
public:
    // Opens the camera stream of that ID; "Unable to open Stream" when the camera refuses.
    CDataStream(std::string id, CDevice& device);
    ~CDataStream() override;

    GenTL::BUFFER_HANDLE AnnounceBuffer(void* base, size_t size, void* userPointer);
    GenTL::BUFFER_HANDLE AllocAndAnnounceBuffer(size_t size, void* userPointer);
    void RevokeBuffer(GenTL::BUFFER_HANDLE buffer, void** base, void** userPointer);
    void QueueBuffer(GenTL::BUFFER_HANDLE buffer);
    void FlushQueue(GenTL::ACQ_QUEUE_TYPE operation);
    void StartAcquisition(GenTL::ACQ_START_FLAGS flags, uint64_t imageCount);
    void StopAcquisition();
    void GetInfo(GenTL::STREAM_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size);
    void GetBufferInfo(GenTL::BUFFER_HANDLE buffer, GenTL::BUFFER_INFO_CMD command,
                       GenTL::INFO_DATATYPE* type, void* value, size_t* size);
    void GetBufferChunkData(GenTL::BUFFER_HANDLE buffer, GenTL::SINGLE_CHUNK_DATA* list,
                            size_t* count);
    GenTL::BUFFER_HANDLE GetBufferID(uint32_t index);
    // Destroys the stream.
    void Close();
    // Hands out the front of the output queue as new-buffer event data (handle, user pointer);
    // without a buffer, only the size of that data once a buffer is there.
    GenTL::GC_ERROR WaitNewBuffer(void* buffer, size_t* size, uint64_t timeoutMs);
    void AbortWait();
    uint64_t NumFired() const { return queues_.NumEverDelivered(); }
    const std::string& GetID() const { return id_; }
    CDevice& GetDevice() const { return device_; }

    // The stream's node map: its counters, each the DSGetInfo value, and its buffer handling
    // mode.
    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;
    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;
    void RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) override;
    void UnregisterEvent(GenTL::EVENT_TYPE eventType) override;

private:
    // False when there is nothing to report yet.
    BufferQueues::Front ReportNewBuffer(void* buffer, size_t* size);
    NodeMap MakeNodeMap();
    static Tevold::CamStream* OpenCameraStream(CDevice& device, const std::string& id);
    template <class T>
    void CopyCameraParameter(GenTL::STREAM_INFO_CMD command, uint32_t parameter, T initial,
                             GenTL::INFO_DATATYPE valueType, GenTL::INFO_DATATYPE* type,
                             void* buffer, size_t* size);

    const std::string id_;
    const int32_t index_;
    CDevice& device_;
    Tevold::CamStream* const camera_;
    BufferQueues queues_;
    CEventError errorEvent_;
    AcquisitionEngine engine_;
    CDataStreamEventNewBuffer newBufferEvent_;
    const NodeMap nodeMap_;
};

}  // namespace GenICam::Client
