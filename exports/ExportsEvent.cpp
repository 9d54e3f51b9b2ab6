// Event registration and the Event* exports.
#include "events/EventObj.h"
#include "exports/ExportFrame.h"

using namespace GenICam::Client;

namespace GenTL {

GC_ERROR GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE* phEvent) {
    return Export::FrameOnHandle(hEventSrc, [&] {
        IEventSrc& source = Export::EventSrcCast(hEventSrc);
        source.RegisterEvent(iEventID, &Export::Required(phEvent));
    });
}

GC_ERROR GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID) {
    return Export::FrameOnHandle(
        hEventSrc, [&] { Export::EventSrcCast(hEventSrc).UnregisterEvent(iEventID); });
}

GC_ERROR EventGetData(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize, uint64_t iTimeout) {
    return Export::FrameOnHandle(hEvent, [&] {
        const GC_ERROR result = Export::EventCast(hEvent).GetData(pBuffer, piSize, iTimeout);
        switch (result) {
            case GC_ERR_TIMEOUT:
                return Export::Fail(result, "Timeout");
            case GC_ERR_NO_DATA:
                return Export::Fail(result, "No Event Data");
            case GC_ERR_ERROR:
                return Export::Fail(result, "Port is not available");
            case GC_ERR_ABORT:
                return Export::Fail(result, "Wait terminated");
            default:
                return result;
        }
    });
}

GC_ERROR EventGetDataInfo(EVENT_HANDLE hEvent, const void* pInBuffer, size_t iInSize,
                          EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pOutBuffer,
                          size_t* piOutSize) {
    return Export::FrameOnHandle(hEvent, [&] {
        Export::EventCast(hEvent).GetDataInfo(pInBuffer, iInSize, iInfoCmd, piType, pOutBuffer,
                                              piOutSize);
    });
}

GC_ERROR EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                      void* pBuffer, size_t* piSize) {
    return Export::FrameOnHandle(
        hEvent, [&] { Export::EventCast(hEvent).GetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR EventFlush(EVENT_HANDLE hEvent) {
    return Export::FrameOnHandle(hEvent, [&] { Export::EventCast(hEvent).Flush(); });
}

GC_ERROR EventKill(EVENT_HANDLE hEvent) {
    return Export::FrameOnHandle(hEvent, [&] { Export::EventCast(hEvent).Kill(); });
}

}  // namespace GenTL
