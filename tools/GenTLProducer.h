// Loads a GenTL producer (.cti) the way a consumer does: dlopen, then every exported function
// resolved by name with dlsym. Consumers refuse a producer that lacks any of them.
#pragma once

#include <string>

#include "GenTL.h"

namespace Kavrin::Tools {

#define KAVRIN_GENTL_FUNCTIONS(X) \
    X(GCGetInfo)                  \
    X(GCGetLastError)             \
    X(GCInitLib)                  \
    X(GCCloseLib)                 \
    X(GCReadPort)                 \
    X(GCWritePort)                \
    X(GCGetPortURL)               \
    X(GCGetPortInfo)              \
    X(GCRegisterEvent)            \
    X(GCUnregisterEvent)          \
    X(EventGetData)               \
    X(EventGetDataInfo)           \
    X(EventGetInfo)               \
    X(EventFlush)                 \
    X(EventKill)                  \
    X(TLOpen)                     \
    X(TLClose)                    \
    X(TLGetInfo)                  \
    X(TLGetNumInterfaces)         \
    X(TLGetInterfaceID)           \
    X(TLGetInterfaceInfo)         \
    X(TLOpenInterface)            \
    X(TLUpdateInterfaceList)      \
    X(IFClose)                    \
    X(IFGetInfo)                  \
    X(IFGetNumDevices)            \
    X(IFGetDeviceID)              \
    X(IFUpdateDeviceList)         \
    X(IFGetDeviceInfo)            \
    X(IFOpenDevice)               \
    X(DevGetPort)                 \
    X(DevGetNumDataStreams)       \
    X(DevGetDataStreamID)         \
    X(DevOpenDataStream)          \
    X(DevGetInfo)                 \
    X(DevClose)                   \
    X(DSAnnounceBuffer)           \
    X(DSAllocAndAnnounceBuffer)   \
    X(DSFlushQueue)               \
    X(DSStartAcquisition)         \
    X(DSStopAcquisition)          \
    X(DSGetInfo)                  \
    X(DSGetBufferID)              \
    X(DSClose)                    \
    X(DSRevokeBuffer)             \
    X(DSQueueBuffer)              \
    X(DSGetBufferInfo)            \
    X(GCGetNumPortURLs)           \
    X(GCGetPortURLInfo)           \
    X(GCReadPortStacked)          \
    X(GCWritePortStacked)         \
    X(DSGetBufferChunkData)       \
    X(IFGetParentTL)              \
    X(DevGetParentIF)             \
    X(DSGetParentDev)             \
    X(DSGetNumBufferParts)        \
    X(DSGetBufferPartInfo)        \
    X(DSAnnounceCompositeBuffer)  \
    X(DSGetBufferInfoStacked)     \
    X(DSGetBufferPartInfoStacked) \
    X(DSGetNumFlows)              \
    X(DSGetFlowInfo)              \
    X(DSGetNumBufferSegments)     \
    X(DSGetBufferSegmentInfo)

class GenTLProducer {
public:
    // Whether the destructor unloads the library. A process about to exit may leave it loaded,
    // as many consumers do: what the producer keeps for the process then stays reachable.
    enum class Unload { OnDestruction, Never };

    // Throws std::runtime_error naming the first failure (the file or a missing function).
    explicit GenTLProducer(const std::string& path, Unload unload = Unload::OnDestruction);
    ~GenTLProducer();
    GenTLProducer(const GenTLProducer&) = delete;
    GenTLProducer& operator=(const GenTLProducer&) = delete;

#define KAVRIN_DECLARE_FUNCTION(name) GenTL::P##name name = nullptr;
    KAVRIN_GENTL_FUNCTIONS(KAVRIN_DECLARE_FUNCTION)
#undef KAVRIN_DECLARE_FUNCTION

private:
    void* library_ = nullptr;
    Unload unload_;
};

}  // namespace Kavrin::Tools
