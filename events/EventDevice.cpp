#include "events/EventDevice.h"

#include <cstring>

namespace GenICam::Client {

namespace {
// Fills in an 8-byte answer; a buffer too small for it learns the size it needs.
void CopyWide(void* buffer, size_t* size, GenTL::INFO_DATATYPE* type,
              GenTL::INFO_DATATYPE valueType, uint64_t value) {
    if (*size < sizeof value) {
        *size = sizeof value;
        GENICAM_THROW(InvalidParameterException, "In buffer too small");
    }
    CopyInfoValue(buffer, size, type, valueType, &value, sizeof value);
}
}  // namespace

void DevEventEntry::CopyTo(void* buffer, size_t* size) const {
    if (buffer == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid buffer");
    if (*size < kDataSize) GENICAM_THROW(InvalidParameterException, "Invalid buffer Size");
    unsigned char record[kDataSize] = {};
    std::memcpy(record, &eventId, sizeof eventId);
    std::memcpy(record + 8, &timestamp, sizeof timestamp);
    std::memcpy(record + 16, &data, sizeof data);
    std::memcpy(buffer, record, sizeof record);
    *size = kDataSize;
}

void CEventDevice::PostDeviceEvent(uint32_t eventId, uint64_t timestamp, uint64_t data) {
    fired_.fetch_add(1);
    auto entry = std::make_shared<DevEventEntry>();
    entry->eventId = eventId;
    entry->timestamp = timestamp;
    entry->data = data;
    Push(std::move(entry));
}

void CEventDevice::GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                           size_t* size) {
    if (buffer == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid buffer handle");
    if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    switch (command) {
        case GenTL::EVENT_EVENT_TYPE: {
            if (*size < sizeof(int32_t)) {
                *size = sizeof(int32_t);
                GENICAM_THROW(InvalidParameterException, "In buffer too small");
            }
            return CopyInfoInt32(buffer, size, type, EventType());
        }
        case GenTL::EVENT_NUM_IN_QUEUE:
            return CopyWide(buffer, size, type, GenTL::INFO_DATATYPE_UINT64, NumInQueue());
        case GenTL::EVENT_NUM_FIRED:
            return CopyWide(buffer, size, type, GenTL::INFO_DATATYPE_UINT64, FiredCount());
        case GenTL::EVENT_SIZE_MAX:
        case GenTL::EVENT_INFO_DATA_SIZE_MAX:
            return CopyWide(buffer, size, type, GenTL::INFO_DATATYPE_UINT32,
                            DevEventEntry::kDataSize);
        default:
            GENICAM_THROW(NotImplementedException, "Event info cmd %ld not implemented",
                          static_cast<long>(command));
    }
}

void CEventDevice::GetDataInfo(const void* inBuffer, size_t inSize,
                               GenTL::EVENT_DATA_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                               void* outBuffer, size_t* outSize) {
    if (inBuffer == nullptr || outBuffer == nullptr)
        GENICAM_THROW(InvalidParameterException, "Invalid buffer handle");
    if (inSize < DevEventEntry::kDataSize)
        GENICAM_THROW(InvalidParameterException, "In buffer too small");
    if (command != GenTL::EVENT_DATA_ID && command != GenTL::EVENT_DATA_VALUE)
        GENICAM_THROW(InvalidParameterException, "Invalid Event Data Info ID %d", command);
    if (outSize == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
    if (command == GenTL::EVENT_DATA_VALUE) {
        // What a GenApi event adapter is given: timestamp and data, as the event ports read them.
        constexpr size_t kValueOffset = 8;
        constexpr size_t kValueSize = DevEventEntry::kDataSize - kValueOffset;
        if (*outSize < kValueSize) {
            *outSize = kValueSize;
            GENICAM_THROW(InvalidParameterException, "In buffer too small");
        }
        CopyInfoValue(outBuffer, outSize, type, GenTL::INFO_DATATYPE_BUFFER,
                      static_cast<const unsigned char*>(inBuffer) + kValueOffset, kValueSize);
        return;
    }
    if (*outSize < sizeof(int32_t)) {
        *outSize = sizeof(int32_t);
        GENICAM_THROW(InvalidParameterException, "In buffer too small");
    }
    int32_t eventId = 0;
    std::memcpy(&eventId, inBuffer, sizeof eventId);
    CopyInfoInt32(outBuffer, outSize, type, eventId);
}

}  // namespace GenICam::Client
