// Remote-device events: what the camera reports through the device-event callback, queued
// for the application as 24-byte records (event ID, reserved 0, timestamp, the event's data).
// EVENT_DATA_VALUE gives the record's last 16 bytes, timestamp and data, the layout the
// camera's event ports describe.
#pragma once

#include <atomic>
#include <cstdint>

#include "events/EventQueue.h"

namespace GenICam::Client {

struct DevEventEntry {
    static constexpr size_t kDataSize = 24;

    uint32_t eventId = 0;
    uint64_t timestamp = 0;
    uint64_t data = 0;

    size_t DataSize() const { return kDataSize; }
    void CopyTo(void* buffer, size_t* size) const;
};

class CEventDevice final : public CEventQueue<DevEventEntry> {
public:
    // Retired here, while the whole object still answers the calls it waits for.
    ~CEventDevice() override { RetireHandle(); }

    // Counted whether or not the event is registered; queued only while it is.
    void PostDeviceEvent(uint32_t eventId, uint64_t timestamp, uint64_t data = 0);

    void GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size) override;
    void GetDataInfo(const void* inBuffer, size_t inSize, GenTL::EVENT_DATA_INFO_CMD command,
                     GenTL::INFO_DATATYPE* type, void* outBuffer, size_t* outSize) override;

protected:
    GenTL::EVENT_TYPE EventType() const override { return GenTL::EVENT_REMOTE_DEVICE; }
    uint64_t FiredCount() const override { return fired_.load(); }

private:
    std::atomic<uint16_t> fired_{0};
};

}  // namespace GenICam::Client
