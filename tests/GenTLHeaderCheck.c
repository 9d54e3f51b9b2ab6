// Compiled as strict C11: proves GenTL.h is valid C for consumers written in C. The header's
// own layout checks run here too, so the structures keep in C the layout such consumers
// exchange with the .cti.
#include "GenTL.h"

_Static_assert(sizeof(bool8_t) == 1, "bool8_t is one byte in C");
_Static_assert(sizeof(INFO_DATATYPE) == 4 && sizeof(EVENT_TYPE) == 4,
               "enumeration types are 32-bit");
_Static_assert(GC_GENTL_HEADER_VERSION == 0x01060000, "header version 1.6.0");

// Stand-ins with the exported signatures: assigning them to the function pointer types makes
// the compiler check those types without this object needing the exports at link time.
static GC_ERROR GC_CALLTYPE InitLibStandIn(void) { return GC_ERR_SUCCESS; }

static GC_ERROR GC_CALLTYPE EventGetDataStandIn(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize,
                                                uint64_t iTimeout) {
    EVENT_NEW_BUFFER_DATA* data = (EVENT_NEW_BUFFER_DATA*)pBuffer;

    if (hEvent == GENTL_INVALID_HANDLE || piSize == NULL || *piSize < sizeof *data)
        return GC_ERR_INVALID_PARAMETER;
    if (iTimeout != GENTL_INFINITE) return GC_ERR_TIMEOUT;
    data->BufferHandle = hEvent;
    data->pUserPointer = NULL;
    *piSize = sizeof *data;
    return GC_ERR_SUCCESS;
}

int GenTLHeaderCheckInC(void);

// Returns GC_ERR_INVALID_INDEX (-1017) when the names of the header behave as a C consumer
// uses them, GC_ERR_ERROR otherwise.
int GenTLHeaderCheckInC(void) {
    PGCInitLib initLib = InitLibStandIn;
    PEventGetData eventGetData = EventGetDataStandIn;
    int source = 0;
    EVENT_HANDLE event = &source;
    EVENT_NEW_BUFFER_DATA data = {GENTL_INVALID_HANDLE, NULL};
    size_t size = sizeof data;
    EVENT_TYPE eventType = EVENT_NEW_BUFFER;
    BUFFER_INFO_CMD payloadType = BUFFER_INFO_PAYLOADTYPE;

    if (initLib() != GC_ERR_SUCCESS) return GC_ERR_ERROR;
    if (eventGetData(event, &data, &size, GENTL_INFINITE) != GC_ERR_SUCCESS || size != 16 ||
        data.BufferHandle != event)
        return GC_ERR_ERROR;
    if (eventType != 1 || payloadType != 19 || GENTL_INFINITE != UINT64_MAX) return GC_ERR_ERROR;
    return GC_ERR_INVALID_INDEX;
}
