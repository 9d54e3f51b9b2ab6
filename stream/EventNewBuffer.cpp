#include "stream/EventNewBuffer.h"

#include <cstring>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "stream/DataStream.h"

namespace GenICam::Client {

GenTL::GC_ERROR CDataStreamEventNewBuffer::GetData(void* buffer, size_t* size, uint64_t timeoutMs) {
    return stream_.WaitNewBuffer(buffer, size, timeoutMs);
}

void CDataStreamEventNewBuffer::GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                                        void* buffer, size_t* size) {
    switch (command) {
        case GenTL::EVENT_EVENT_TYPE:
            return CopyInfoInt32(buffer, size, type, GenTL::EVENT_NEW_BUFFER);
        case GenTL::EVENT_NUM_IN_QUEUE:
            return stream_.GetInfo(GenTL::STREAM_INFO_NUM_AWAIT_DELIVERY, type, buffer, size);
        case GenTL::EVENT_NUM_FIRED:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  stream_.NumFired());
        case GenTL::EVENT_SIZE_MAX:
        case GenTL::EVENT_INFO_DATA_SIZE_MAX:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_SIZET,
                                  sizeof(GenTL::EVENT_NEW_BUFFER_DATA));
        default:
            GENICAM_THROW(NotImplementedException, "Event info cmd %ld not implemented",
                          static_cast<long>(command));
    }
}

void CDataStreamEventNewBuffer::GetDataInfo(const void* inBuffer, size_t inSize,
                                            GenTL::EVENT_DATA_INFO_CMD command,
                                            GenTL::INFO_DATATYPE* type, void* outBuffer,
                                            size_t* outSize) {
    if (inBuffer == nullptr || inSize < sizeof(GenTL::EVENT_NEW_BUFFER_DATA))
        GENICAM_THROW(InvalidParameterException, "In buffer too small");
    GenTL::EVENT_NEW_BUFFER_DATA data;
    std::memcpy(&data, inBuffer, sizeof data);
    switch (command) {
        case GenTL::EVENT_DATA_ID:
            return CopyInfoNumber(outBuffer, outSize, type, GenTL::INFO_DATATYPE_PTR,
                                  data.BufferHandle);
        case GenTL::EVENT_DATA_VALUE:
            return CopyInfoNumber(outBuffer, outSize, type, GenTL::INFO_DATATYPE_PTR,
                                  data.pUserPointer);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid Event Data Info ID %d", command);
    }
}

void CDataStreamEventNewBuffer::Flush() { stream_.FlushQueue(GenTL::ACQ_QUEUE_OUTPUT_DISCARD); }

void CDataStreamEventNewBuffer::Kill() { stream_.AbortWait(); }

}  // namespace GenICam::Client
