// The EVENT_NEW_BUFFER object of a data stream. It keeps no entries of its own: its queue is
// the stream's output queue, and every operation is passed on to the stream.
#pragma once

#include "events/EventObj.h"

namespace GenICam::Client {

class CDataStream;

class CDataStreamEventNewBuffer final : public CEventObj {
public:
    explicit CDataStreamEventNewBuffer(CDataStream& stream) : stream_(stream) {}
    ~CDataStreamEventNewBuffer() override { RetireHandle(); }

    GenTL::GC_ERROR GetData(void* buffer, size_t* size, uint64_t timeoutMs) override;
    void GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size) override;
    void GetDataInfo(const void* inBuffer, size_t inSize, GenTL::EVENT_DATA_INFO_CMD command,
                     GenTL::INFO_DATATYPE* type, void* outBuffer, size_t* outSize) override;
    void Flush() override;
    void Kill() override;

private:
    CDataStream& stream_;
};

}  // namespace GenICam::Client
