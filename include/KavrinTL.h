/* The information commands KavrinTL40.cti answers beyond the GenTL standard, in the ranges
 * the standard leaves to producers. Include it after GenTL.h. */
#ifndef KAVRINTL_H
#define KAVRINTL_H

/* IFGetDeviceInfo and DevGetInfo: texts (INFO_DATATYPE_STRING). */
enum KAVRIN_DEVICE_INFO_CMD_LIST {
    KAVRIN_DEVICE_INFO_LIBRARY_ID = 1000,     /* the camera library's name of the device */
    KAVRIN_DEVICE_INFO_SERIAL_NUMBER = 1001,  /* as DEVICE_INFO_SERIAL_NUMBER */
    KAVRIN_DEVICE_INFO_INTERFACE_NAME = 1002, /* the interface the camera was found on */
    KAVRIN_DEVICE_INFO_LOCATION = 1003,       /* where the camera sits on its transport */
    KAVRIN_DEVICE_INFO_BACKEND = 1004         /* the camera library backend that answers */
};

/* DSGetInfo: the image the camera sends with its current settings, and the transport statistics
 * of a stream that receives packets (GigE Vision), counted since the stream was opened; a stream
 * without packets refuses those with GC_ERR_INVALID_PARAMETER. */
enum KAVRIN_STREAM_INFO_CMD_LIST {
    KAVRIN_STREAM_INFO_PAYLOAD_SIZE = 1001,     /* INFO_DATATYPE_UINT64: bytes of one image */
    KAVRIN_STREAM_INFO_PIXEL_FORMAT = 1002,     /* INFO_DATATYPE_UINT64: PFNC pixel format */
    KAVRIN_STREAM_INFO_WIDTH = 1003,            /* INFO_DATATYPE_UINT32 */
    KAVRIN_STREAM_INFO_HEIGHT = 1004,           /* INFO_DATATYPE_UINT32 */
    KAVRIN_STREAM_INFO_PACKETS_RECEIVED = 1101, /* INFO_DATATYPE_UINT64, resent ones included */
    KAVRIN_STREAM_INFO_PACKETS_MISSING = 1102,  /* INFO_DATATYPE_UINT64: never arrived */
    KAVRIN_STREAM_INFO_PACKETS_RESENT = 1103,   /* INFO_DATATYPE_UINT64 */
    KAVRIN_STREAM_INFO_PACKETS_IGNORED = 1104,  /* INFO_DATATYPE_UINT64: of no image received */
    KAVRIN_STREAM_INFO_RESEND_REQUESTS = 1105   /* INFO_DATATYPE_UINT64: sent to the camera */
};

#endif
