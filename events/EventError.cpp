#include "events/EventError.h"

#include <cstring>

namespace GenICam::Client {

void ErrorEventEntry::CopyTo(void* buffer, size_t* size) const {
    if (buffer == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid buffer");
    if (*size < DataSize()) GENICAM_THROW(InvalidParameterException, "Invalid buffer Size");
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::memcpy(bytes, &code, sizeof code);
    std::memcpy(bytes + sizeof code, text.c_str(), text.size() + 1);
    *size = DataSize();
}

void CEventError::PostError(GenTL::GC_ERROR code, std::string text) {
    ++fired_;
    Push(std::make_shared<const ErrorEventEntry>(ErrorEventEntry{code, std::move(text)}));
}

void CEventError::GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                          size_t* size) {
    if (command == GenTL::EVENT_SIZE_MAX || command == GenTL::EVENT_INFO_DATA_SIZE_MAX)
        GENICAM_THROW(NotImplementedException, "Event info cmd %ld not implemented",
                      static_cast<long>(command));
    CEventQueue::GetInfo(command, type, buffer, size);
}

void CEventError::GetDataInfo(const void* inBuffer, size_t inSize,
                              GenTL::EVENT_DATA_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                              void* outBuffer, size_t* outSize) {
    if (inBuffer == nullptr || inSize < sizeof(GenTL::GC_ERROR))
        GENICAM_THROW(InvalidParameterException, "In buffer too small");
    const auto* bytes = static_cast<const unsigned char*>(inBuffer);
    switch (command) {
        case GenTL::EVENT_DATA_ID: {
            GenTL::GC_ERROR code = 0;
            std::memcpy(&code, bytes, sizeof code);
            return CopyInfoInt32(outBuffer, outSize, type, code);
        }
        case GenTL::EVENT_DATA_VALUE:
            return CopyInfoValue(outBuffer, outSize, type, GenTL::INFO_DATATYPE_STRING,
                                 bytes + sizeof(GenTL::GC_ERROR), inSize - sizeof(GenTL::GC_ERROR));
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid Event Data Info ID %d", command);
    }
}

}  // namespace GenICam::Client
