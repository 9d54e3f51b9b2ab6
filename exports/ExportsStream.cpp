// The DS* exports: the data stream module and its buffers.
#include "device/Device.h"
#include "exports/ExportFrame.h"
#include "stream/DataStream.h"

using namespace GenICam::Client;

namespace GenTL {

namespace {
CDataStream& StreamCast(DS_HANDLE handle) { return Export::HandleCast<CDataStream>(handle); }

// The buffer must be a live buffer object; which stream it belongs to is the stream's to check.
BUFFER_HANDLE BufferCast(BUFFER_HANDLE handle) {
    Export::HandleCast<CBufferInfo>(handle);
    return handle;
}

GC_ERROR Unsupported(const char* what) {
    return Export::Frame(
        [&] { GENICAM_THROW(NotImplementedException, "%s is not supported", what); });
}
}  // namespace

GC_ERROR DSAnnounceBuffer(DS_HANDLE hDataStream, void* pBuffer, size_t iSize, void* pPrivate,
                          BUFFER_HANDLE* phBuffer) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        BUFFER_HANDLE& handle = Export::Required(phBuffer);
        handle = stream.AnnounceBuffer(pBuffer, iSize, pPrivate);
    });
}

GC_ERROR DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void* pPrivate,
                                  BUFFER_HANDLE* phBuffer) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        BUFFER_HANDLE& handle = Export::Required(phBuffer);
        handle = stream.AllocAndAnnounceBuffer(iSize, pPrivate);
    });
}

GC_ERROR DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation) {
    return Export::Frame([&] { StreamCast(hDataStream).FlushQueue(iOperation); });
}

GC_ERROR DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags,
                            uint64_t iNumToAcquire) {
    return Export::Frame(
        [&] { StreamCast(hDataStream).StartAcquisition(iStartFlags, iNumToAcquire); });
}

GC_ERROR DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS) {
    return Export::Frame([&] { StreamCast(hDataStream).StopAcquisition(); });
}

GC_ERROR DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                   void* pBuffer, size_t* piSize) {
    return Export::Frame(
        [&] { StreamCast(hDataStream).GetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE* phBuffer) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        BUFFER_HANDLE& handle = Export::Required(phBuffer);
        handle = stream.GetBufferID(iIndex);
    });
}

GC_ERROR DSClose(DS_HANDLE hDataStream) {
    return Export::Frame([&] { Export::ClaimForClose(StreamCast(hDataStream)).Close(); });
}

GC_ERROR DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void** pBuffer,
                        void** pPrivate) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        stream.RevokeBuffer(BufferCast(hBuffer), pBuffer, pPrivate);
    });
}

GC_ERROR DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        stream.QueueBuffer(BufferCast(hBuffer));
    });
}

GC_ERROR DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd,
                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        stream.GetBufferInfo(BufferCast(hBuffer), iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE* phDevice) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        Export::Required(phDevice) = stream.GetDevice().Handle();
    });
}

GC_ERROR DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                              SINGLE_CHUNK_DATA* pChunkData, size_t* piNumChunks) {
    return Export::Frame([&] {
        CDataStream& stream = StreamCast(hDataStream);
        stream.GetBufferChunkData(BufferCast(hBuffer), pChunkData, piNumChunks);
    });
}

GC_ERROR DSGetNumBufferParts(DS_HANDLE, BUFFER_HANDLE, uint32_t*) {
    return Unsupported("Multi-part data");
}

GC_ERROR DSGetBufferPartInfo(DS_HANDLE, BUFFER_HANDLE, uint32_t, BUFFER_PART_INFO_CMD,
                             INFO_DATATYPE*, void*, size_t*) {
    return Unsupported("Multi-part data");
}

GC_ERROR DSAnnounceCompositeBuffer(DS_HANDLE, size_t, void**, size_t*, void*, BUFFER_HANDLE*) {
    return Unsupported("Composite buffers");
}

GC_ERROR DSGetBufferInfoStacked(DS_HANDLE, BUFFER_HANDLE, DS_BUFFER_INFO_STACKED*, size_t) {
    return Unsupported("Stacked buffer information");
}

GC_ERROR DSGetBufferPartInfoStacked(DS_HANDLE, BUFFER_HANDLE, DS_BUFFER_PART_INFO_STACKED*,
                                    size_t) {
    return Unsupported("Multi-part data");
}

GC_ERROR DSGetNumFlows(DS_HANDLE, uint32_t*) { return Unsupported("Flows"); }

GC_ERROR DSGetFlowInfo(DS_HANDLE, uint32_t, FLOW_INFO_CMD, INFO_DATATYPE*, void*, size_t*) {
    return Unsupported("Flows");
}

GC_ERROR DSGetNumBufferSegments(DS_HANDLE, BUFFER_HANDLE, uint32_t*) {
    return Unsupported("Segments");
}

GC_ERROR DSGetBufferSegmentInfo(DS_HANDLE, BUFFER_HANDLE, uint32_t, SEGMENT_INFO_CMD,
                                INFO_DATATYPE*, void*, size_t*) {
    return Unsupported("Segments");
}

}  // namespace GenTL
