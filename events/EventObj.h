// The object behind every EVENT_HANDLE. Its handle is a token, published when the event is
// first handed out and retired before the event goes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GenTL.h"
#include "common/HandleRegistry.h"

namespace GenICam::Client {

class CEventObj {
public:
    CEventObj() = default;
    virtual ~CEventObj();
    CEventObj(const CEventObj&) = delete;
    CEventObj& operator=(const CEventObj&) = delete;

    // Takes the oldest event; returns GC_ERR_SUCCESS or the "no event" results that
    // EventGetData passes on (timeout, no data, error, abort); other failures raise.
    virtual GenTL::GC_ERROR GetData(void* buffer, size_t* size, uint64_t timeoutMs) = 0;
    virtual void GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                         size_t* size) = 0;
    virtual void GetDataInfo(const void* inBuffer, size_t inSize,
                             GenTL::EVENT_DATA_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                             void* outBuffer, size_t* outSize) = 0;
    virtual void Flush() = 0;
    // Ends one waiting GetData with an abort at once; with nobody waiting, the next GetData.
    virtual void Kill() = 0;

    // Refuses new calls through this event's handle and kills the waits still inside until
    // they have left. The most derived event class does this first in its destructor, before
    // any part of the object is torn down, and owners before they tear down what it reaches.
    void RetireHandle();

    // The handle the application gets; the first call publishes it.
    void* Handle() { return handle_.Get(HandleRegistry::Kind::Event, this); }

private:
    PublishedHandle handle_;
};

}  // namespace GenICam::Client
