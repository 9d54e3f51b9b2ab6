// Error events of devices and data streams: code and text records. A data stream posts one
// when its camera stream fails, a device when control of its camera is lost.
#pragma once

#include <atomic>
#include <string>

#include "events/EventQueue.h"

namespace GenICam::Client {

struct ErrorEventEntry {
    GenTL::GC_ERROR code = GenTL::GC_ERR_SUCCESS;
    std::string text;

    // The code, the text and its terminating zero.
    size_t DataSize() const { return sizeof code + text.size() + 1; }
    void CopyTo(void* buffer, size_t* size) const;
};

class CEventError final : public CEventQueue<ErrorEventEntry> {
public:
    // Retired here, while the whole object still answers the calls it waits for.
    ~CEventError() override { RetireHandle(); }

    // Counted whether or not anybody registered the event; queued only if somebody did.
    void PostError(GenTL::GC_ERROR code, std::string text);

    void GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size) override;
    void GetDataInfo(const void* inBuffer, size_t inSize, GenTL::EVENT_DATA_INFO_CMD command,
                     GenTL::INFO_DATATYPE* type, void* outBuffer, size_t* outSize) override;

protected:
    GenTL::EVENT_TYPE EventType() const override { return GenTL::EVENT_ERROR; }
    uint64_t FiredCount() const override { return fired_.load(); }

private:
    std::atomic<uint64_t> fired_{0};
};

}  // namespace GenICam::Client
