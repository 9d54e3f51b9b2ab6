// The GenTL C interface of KavrinTL: types, constants, structures and the 64 exported
// functions, declared so that a consumer built against any GenTL 1.5/1.6 header talks to our
// .cti bit for bit. Usable from C (C99 and later) and from C++.
//
// In C++ everything below sits in namespace GenTL inside extern "C", as GenTL consumers
// expect; extern "C" keeps the symbol names plain, so the namespace does not reach the ABI.
//
// Every enumeration type is a plain int32_t. The enums only supply named constants, so any
// int32 value (a producer's own ones included) crosses the interface unchanged.
//
// The same declarations serve 64-bit targets (x86_64, arm64: LP64) and 32-bit x86 (ILP32,
// where handles, pointers and size_t are 4 bytes); the layout checks after the structures hold
// for both pointer sizes.
#ifndef KAVRIN_GENTL_H
#define KAVRIN_GENTL_H

#include <stddef.h>
#include <stdint.h>

// ---------------------------------------------------------------------------------------------
// Versions, calling convention and export attributes
// ---------------------------------------------------------------------------------------------

#define GenTLMajorVersion 1
#define GenTLMinorVersion 6
#define GenTLSubMinorVersion 0

// The sub-minor number is added unshifted: 1.6.0 encodes as 0x01060000.
#define GC_GENTL_HEADER_VERSION_CODE(major, minor, subminor) \
    (((major) << 24) + ((minor) << 16) + (subminor))
#define GC_GENTL_HEADER_VERSION \
    GC_GENTL_HEADER_VERSION_CODE(GenTLMajorVersion, GenTLMinorVersion, GenTLSubMinorVersion)

// Every export and every function-pointer type carries it. Consumers on 32-bit x86 are built
// with stdcall, and a cdecl export would leave their stack unbalanced after each call; x86_64
// and arm64 have a single calling convention.
#ifndef GC_CALLTYPE
#if defined(__i386__)
#define GC_CALLTYPE __attribute__((stdcall))
#else
#define GC_CALLTYPE
#endif
#endif

// The .cti is built with hidden visibility; only the GenTL functions are made global.
#ifndef GC_IMPORT_EXPORT
#if defined(__GNUC__) && __GNUC__ >= 4
#define GC_IMPORT_EXPORT __attribute__((visibility("default")))
#else
#define GC_IMPORT_EXPORT
#endif
#endif

// In C++ GC_ERROR is GenTL::GC_ERROR, so GC_API is written inside namespace GenTL.
#define GC_API GC_IMPORT_EXPORT GC_ERROR GC_CALLTYPE

// Handle value no open module ever has.
#define GENTL_INVALID_HANDLE NULL

// Infinite timeout for waits, and "acquire until stopped" for DSStartAcquisition.
#define GENTL_INFINITE 0xFFFFFFFFFFFFFFFFULL

// ---------------------------------------------------------------------------------------------
// String constants
// ---------------------------------------------------------------------------------------------

// Transport layer types, the values of every *_INFO_TLTYPE command.
#define TLTypeMixedName "Mixed"
#define TLTypeCustomName "Custom"
#define TLTypeGEVName "GEV"
#define TLTypeCLName "CL"
#define TLTypeIIDCName "IIDC"
#define TLTypeUVCName "UVC"
#define TLTypeCXPName "CXP"
#define TLTypeCLHSName "CLHS"
#define TLTypeU3VName "U3V"
#define TLTypeETHERNETName "Ethernet"
#define TLTypePCIName "PCI"

// Module names, the values of PORT_INFO_MODULE and the module names used in the XML files.
#define TLModuleSystemName "TLSystem"
#define TLModuleInterfaceName "TLInterface"
#define TLModuleDeviceName "TLDevice"
#define TLModuleDataStreamName "TLDataStream"
#define TLModuleBufferName "TLBuffer"
#define TLModuleRemoteDeviceName "Device"

#ifdef __cplusplus
extern "C" {
namespace GenTL {
#endif

// ---------------------------------------------------------------------------------------------
// Basic types
// ---------------------------------------------------------------------------------------------

#ifdef __cplusplus
typedef bool bool8_t;
#else
typedef uint8_t bool8_t;
#endif

// Opaque to the consumer. A PORT_HANDLE may be a TL, IF, DEV, DS or BUFFER handle or the
// remote device port from DevGetPort; an EVENTSRC_HANDLE may be a TL, IF, DEV, DS or BUFFER
// handle.
typedef void* TL_HANDLE;
typedef void* IF_HANDLE;
typedef void* DEV_HANDLE;
typedef void* DS_HANDLE;
typedef void* PORT_HANDLE;
typedef void* BUFFER_HANDLE;
typedef void* EVENTSRC_HANDLE;
typedef void* EVENT_HANDLE;

// ---------------------------------------------------------------------------------------------
// Error codes
// ---------------------------------------------------------------------------------------------

// 0 is success, every error is negative. Nothing is defined between -1024 and -9999;
// a producer's own codes are GC_ERR_CUSTOM_ID or below.
enum GC_ERROR_LIST {
    GC_ERR_SUCCESS = 0,
    GC_ERR_ERROR = -1001,
    GC_ERR_NOT_INITIALIZED = -1002,
    GC_ERR_NOT_IMPLEMENTED = -1003,
    GC_ERR_RESOURCE_IN_USE = -1004,
    GC_ERR_ACCESS_DENIED = -1005,
    GC_ERR_INVALID_HANDLE = -1006,
    GC_ERR_INVALID_ID = -1007,
    GC_ERR_NO_DATA = -1008,
    GC_ERR_INVALID_PARAMETER = -1009,
    GC_ERR_IO = -1010,
    GC_ERR_TIMEOUT = -1011,
    GC_ERR_ABORT = -1012,               // GenTL 1.1
    GC_ERR_INVALID_BUFFER = -1013,      // GenTL 1.1
    GC_ERR_NOT_AVAILABLE = -1014,       // GenTL 1.2: known, but not available right now
    GC_ERR_INVALID_ADDRESS = -1015,     // GenTL 1.3
    GC_ERR_BUFFER_TOO_SMALL = -1016,    // GenTL 1.4
    GC_ERR_INVALID_INDEX = -1017,       // GenTL 1.4
    GC_ERR_PARSING_CHUNK_DATA = -1018,  // GenTL 1.4
    GC_ERR_INVALID_VALUE = -1019,       // GenTL 1.4
    GC_ERR_RESOURCE_EXHAUSTED = -1020,  // GenTL 1.4
    GC_ERR_OUT_OF_MEMORY = -1021,       // GenTL 1.4
    GC_ERR_BUSY = -1022,                // GenTL 1.5
    GC_ERR_AMBIGUOUS = -1023,           // GenTL 1.6
    GC_ERR_CUSTOM_ID = -10000
};
typedef int32_t GC_ERROR;

// ---------------------------------------------------------------------------------------------
// Data types of the information queries
// ---------------------------------------------------------------------------------------------

// SIZET, PTR and PTRDIFF are pointer-sized (8 bytes on 64-bit targets, 4 on 32-bit x86);
// BOOL8 is 1.
enum INFO_DATATYPE_LIST {
    INFO_DATATYPE_UNKNOWN = 0,
    INFO_DATATYPE_STRING = 1,      // NUL-terminated; the reported size counts the NUL
    INFO_DATATYPE_STRINGLIST = 2,  // NUL-terminated strings back to back, then one more NUL
    INFO_DATATYPE_INT16 = 3,
    INFO_DATATYPE_UINT16 = 4,
    INFO_DATATYPE_INT32 = 5,
    INFO_DATATYPE_UINT32 = 6,
    INFO_DATATYPE_INT64 = 7,
    INFO_DATATYPE_UINT64 = 8,
    INFO_DATATYPE_FLOAT64 = 9,
    INFO_DATATYPE_PTR = 10,
    INFO_DATATYPE_BOOL8 = 11,  // 0 is false
    INFO_DATATYPE_SIZET = 12,
    INFO_DATATYPE_BUFFER = 13,   // raw bytes, no terminator
    INFO_DATATYPE_PTRDIFF = 14,  // GenTL 1.3
    INFO_DATATYPE_CUSTOM_ID = 1000
};
typedef int32_t INFO_DATATYPE;

// ---------------------------------------------------------------------------------------------
// Information commands; the comment names the INFO_DATATYPE each one returns.
// A producer's own commands start at each list's *_CUSTOM_ID.
// ---------------------------------------------------------------------------------------------

// GCGetInfo, TLGetInfo
enum TL_INFO_CMD_LIST {
    TL_INFO_ID = 0,                // STRING
    TL_INFO_VENDOR = 1,            // STRING
    TL_INFO_MODEL = 2,             // STRING
    TL_INFO_VERSION = 3,           // STRING
    TL_INFO_TLTYPE = 4,            // STRING, one of the TLType*Name values
    TL_INFO_NAME = 5,              // STRING, file name of the .cti including the extension
    TL_INFO_PATHNAME = 6,          // STRING, full path of the .cti
    TL_INFO_DISPLAYNAME = 7,       // STRING
    TL_INFO_CHAR_ENCODING = 8,     // INT32, a TL_CHAR_ENCODING value (GenTL 1.4)
    TL_INFO_GENTL_VER_MAJOR = 9,   // UINT32 (GenTL 1.5)
    TL_INFO_GENTL_VER_MINOR = 10,  // UINT32 (GenTL 1.5)
    TL_INFO_CUSTOM_ID = 1000
};
typedef int32_t TL_INFO_CMD;

// IFGetInfo, TLGetInterfaceInfo
enum INTERFACE_INFO_CMD_LIST {
    INTERFACE_INFO_ID = 0,           // STRING
    INTERFACE_INFO_DISPLAYNAME = 1,  // STRING
    INTERFACE_INFO_TLTYPE = 2,       // STRING
    INTERFACE_INFO_CUSTOM_ID = 1000
};
typedef int32_t INTERFACE_INFO_CMD;

// DevGetInfo, IFGetDeviceInfo
enum DEVICE_INFO_CMD_LIST {
    DEVICE_INFO_ID = 0,                   // STRING
    DEVICE_INFO_VENDOR = 1,               // STRING
    DEVICE_INFO_MODEL = 2,                // STRING
    DEVICE_INFO_TLTYPE = 3,               // STRING
    DEVICE_INFO_DISPLAYNAME = 4,          // STRING
    DEVICE_INFO_ACCESS_STATUS = 5,        // INT32, a DEVICE_ACCESS_STATUS value
    DEVICE_INFO_USER_DEFINED_NAME = 6,    // STRING (GenTL 1.4)
    DEVICE_INFO_SERIAL_NUMBER = 7,        // STRING (GenTL 1.4)
    DEVICE_INFO_VERSION = 8,              // STRING (GenTL 1.4)
    DEVICE_INFO_TIMESTAMP_FREQUENCY = 9,  // UINT64, timestamp ticks per second (GenTL 1.4)
    DEVICE_INFO_CUSTOM_ID = 1000
};
typedef int32_t DEVICE_INFO_CMD;

// DSGetInfo
enum STREAM_INFO_CMD_LIST {
    STREAM_INFO_ID = 0,                          // STRING
    STREAM_INFO_NUM_DELIVERED = 1,               // UINT64, since the last acquisition start
    STREAM_INFO_NUM_UNDERRUN = 2,                // UINT64, lost for lack of a queued buffer
    STREAM_INFO_NUM_ANNOUNCED = 3,               // SIZET
    STREAM_INFO_NUM_QUEUED = 4,                  // SIZET, buffers in the input pool
    STREAM_INFO_NUM_AWAIT_DELIVERY = 5,          // SIZET, buffers in the output queue
    STREAM_INFO_NUM_STARTED = 6,                 // UINT64
    STREAM_INFO_PAYLOAD_SIZE = 7,                // SIZET
    STREAM_INFO_IS_GRABBING = 8,                 // BOOL8
    STREAM_INFO_DEFINES_PAYLOADSIZE = 9,         // BOOL8
    STREAM_INFO_TLTYPE = 10,                     // STRING
    STREAM_INFO_NUM_CHUNKS_MAX = 11,             // SIZET (GenTL 1.3)
    STREAM_INFO_BUF_ANNOUNCE_MIN = 12,           // SIZET (GenTL 1.3)
    STREAM_INFO_BUF_ALIGNMENT = 13,              // SIZET (GenTL 1.3)
    STREAM_INFO_FLOW_TABLE = 14,                 // BUFFER (GenTL 1.6)
    STREAM_INFO_GENDC_PREFETCH_DESCRIPTOR = 15,  // BUFFER (GenTL 1.6)
    STREAM_INFO_CUSTOM_ID = 1000
};
typedef int32_t STREAM_INFO_CMD;

// DSGetBufferInfo
enum BUFFER_INFO_CMD_LIST {
    BUFFER_INFO_BASE = 0,           // PTR
    BUFFER_INFO_SIZE = 1,           // SIZET
    BUFFER_INFO_USER_PTR = 2,       // PTR, the pPrivate given at announce
    BUFFER_INFO_TIMESTAMP = 3,      // UINT64, in device timestamp ticks
    BUFFER_INFO_NEW_DATA = 4,       // BOOL8
    BUFFER_INFO_IS_QUEUED = 5,      // BOOL8
    BUFFER_INFO_IS_ACQUIRING = 6,   // BOOL8
    BUFFER_INFO_IS_INCOMPLETE = 7,  // BOOL8
    BUFFER_INFO_TLTYPE = 8,         // STRING
    BUFFER_INFO_SIZE_FILLED = 9,    // SIZET, 0 again once requeued
    BUFFER_INFO_WIDTH = 10,         // SIZET (GenTL 1.2)
    BUFFER_INFO_HEIGHT = 11,        // SIZET (GenTL 1.2)
    BUFFER_INFO_XOFFSET = 12,       // SIZET (GenTL 1.2)
    BUFFER_INFO_YOFFSET = 13,       // SIZET (GenTL 1.2)
    BUFFER_INFO_XPADDING = 14,      // SIZET (GenTL 1.2)
    BUFFER_INFO_YPADDING = 15,      // SIZET (GenTL 1.2)
    BUFFER_INFO_FRAMEID = 16,       // UINT64 (GenTL 1.2)
    BUFFER_INFO_IMAGEPRESENT = 17,  // BOOL8 (GenTL 1.2)
    BUFFER_INFO_IMAGEOFFSET = 18,   // SIZET (GenTL 1.2)
    // Delivered as a SIZET, not an INT32, although its values are PAYLOADTYPE_INFO_IDs.
    BUFFER_INFO_PAYLOADTYPE = 19,                 // SIZET (GenTL 1.2)
    BUFFER_INFO_PIXELFORMAT = 20,                 // UINT64, PFNC code (GenTL 1.2)
    BUFFER_INFO_PIXELFORMAT_NAMESPACE = 21,       // UINT64, a PIXELFORMAT_NAMESPACE_ID (GenTL 1.2)
    BUFFER_INFO_DELIVERED_IMAGEHEIGHT = 22,       // SIZET (GenTL 1.2)
    BUFFER_INFO_DELIVERED_CHUNKPAYLOADSIZE = 23,  // SIZET (GenTL 1.2)
    BUFFER_INFO_CHUNKLAYOUTID = 24,               // UINT64 (GenTL 1.2)
    BUFFER_INFO_FILENAME = 25,                    // STRING (GenTL 1.2)
    BUFFER_INFO_PIXEL_ENDIANNESS = 26,            // INT32, a PIXELENDIANNESS_ID value (GenTL 1.4)
    BUFFER_INFO_DATA_SIZE = 27,                   // SIZET (GenTL 1.4)
    BUFFER_INFO_TIMESTAMP_NS = 28,                // UINT64 (GenTL 1.4)
    BUFFER_INFO_DATA_LARGER_THAN_BUFFER = 29,     // BOOL8 (GenTL 1.4)
    BUFFER_INFO_CONTAINS_CHUNKDATA = 30,          // BOOL8 (GenTL 1.4)
    BUFFER_INFO_IS_COMPOSITE = 31,                // BOOL8 (GenTL 1.6)
    BUFFER_INFO_CUSTOM_ID = 1000
};
typedef int32_t BUFFER_INFO_CMD;

// DSGetBufferPartInfo (GenTL 1.5)
enum BUFFER_PART_INFO_CMD_LIST {
    BUFFER_PART_INFO_BASE = 0,                    // PTR
    BUFFER_PART_INFO_DATA_SIZE = 1,               // SIZET
    BUFFER_PART_INFO_DATA_TYPE = 2,               // SIZET, a PARTDATATYPE_ID value
    BUFFER_PART_INFO_DATA_FORMAT = 3,             // UINT64
    BUFFER_PART_INFO_DATA_FORMAT_NAMESPACE = 4,   // UINT64
    BUFFER_PART_INFO_WIDTH = 5,                   // SIZET
    BUFFER_PART_INFO_HEIGHT = 6,                  // SIZET
    BUFFER_PART_INFO_XOFFSET = 7,                 // SIZET
    BUFFER_PART_INFO_YOFFSET = 8,                 // SIZET
    BUFFER_PART_INFO_XPADDING = 9,                // SIZET
    BUFFER_PART_INFO_SOURCE_ID = 10,              // UINT64
    BUFFER_PART_INFO_DELIVERED_IMAGEHEIGHT = 11,  // SIZET
    BUFFER_PART_INFO_REGION_ID = 12,              // UINT64 (GenTL 1.6)
    BUFFER_PART_INFO_DATA_PURPOSE_ID = 13,        // UINT64 (GenTL 1.6)
    BUFFER_PART_INFO_CUSTOM_ID = 1000
};
typedef int32_t BUFFER_PART_INFO_CMD;

// GCGetPortInfo. Port access is not an enumeration: it is the four BOOL8 commands 7 to 10.
enum PORT_INFO_CMD_LIST {
    PORT_INFO_ID = 0,             // STRING
    PORT_INFO_VENDOR = 1,         // STRING
    PORT_INFO_MODEL = 2,          // STRING
    PORT_INFO_TLTYPE = 3,         // STRING
    PORT_INFO_MODULE = 4,         // STRING, one of the TLModule*Name values
    PORT_INFO_LITTLE_ENDIAN = 5,  // BOOL8
    PORT_INFO_BIG_ENDIAN = 6,     // BOOL8
    PORT_INFO_ACCESS_READ = 7,    // BOOL8
    PORT_INFO_ACCESS_WRITE = 8,   // BOOL8
    PORT_INFO_ACCESS_NA = 9,      // BOOL8, not accessible
    PORT_INFO_ACCESS_NI = 10,     // BOOL8, not implemented
    PORT_INFO_VERSION = 11,       // STRING
    PORT_INFO_PORTNAME = 12,      // STRING, the Port node name in the module's XML
    PORT_INFO_CUSTOM_ID = 1000
};
typedef int32_t PORT_INFO_CMD;

// GCGetPortURLInfo (GenTL 1.1)
enum URL_INFO_CMD_LIST {
    URL_INFO_URL = 0,                    // STRING
    URL_INFO_SCHEMA_VER_MAJOR = 1,       // INT32
    URL_INFO_SCHEMA_VER_MINOR = 2,       // INT32
    URL_INFO_FILE_VER_MAJOR = 3,         // INT32
    URL_INFO_FILE_VER_MINOR = 4,         // INT32
    URL_INFO_FILE_VER_SUBMINOR = 5,      // INT32
    URL_INFO_FILE_SHA1_HASH = 6,         // BUFFER, the 20-byte SHA-1 of the file (GenTL 1.4)
    URL_INFO_FILE_REGISTER_ADDRESS = 7,  // UINT64 (GenTL 1.5)
    URL_INFO_FILE_SIZE = 8,              // UINT64 (GenTL 1.5)
    URL_INFO_SCHEME = 9,                 // INT32, a URL_SCHEME_ID value (GenTL 1.5)
    URL_INFO_FILENAME = 10,              // STRING (GenTL 1.5)
    URL_INFO_CUSTOM_ID = 1000
};
typedef int32_t URL_INFO_CMD;

// Value of URL_INFO_SCHEME (GenTL 1.5)
enum URL_SCHEME_IDS {
    URL_SCHEME_LOCAL = 0,  // the file lies in the module's own register space
    URL_SCHEME_HTTP = 1,
    URL_SCHEME_FILE = 2,
    URL_SCHEME_CUSTOM_ID = 1000
};
typedef int32_t URL_SCHEME_ID;

// EventGetInfo
enum EVENT_INFO_CMD_LIST {
    EVENT_EVENT_TYPE = 0,          // INT32, an EVENT_TYPE value
    EVENT_NUM_IN_QUEUE = 1,        // SIZET
    EVENT_NUM_FIRED = 2,           // UINT64, since the event object was created
    EVENT_SIZE_MAX = 3,            // SIZET, fits any data of this event; fixed (GenTL 1.2)
    EVENT_INFO_DATA_SIZE_MAX = 4,  // SIZET, largest output of EventGetDataInfo (GenTL 1.2)
    EVENT_INFO_CUSTOM_ID = 1000
};
typedef int32_t EVENT_INFO_CMD;

// EventGetDataInfo; the types of ID and VALUE depend on the event type.
enum EVENT_DATA_INFO_CMD_LIST {
    EVENT_DATA_ID = 0,
    EVENT_DATA_VALUE = 1,
    EVENT_DATA_NUMID = 2,  // UINT64, the ID as a number (GenTL 1.3)
    EVENT_DATA_CUSTOM_ID = 1000
};
typedef int32_t EVENT_DATA_INFO_CMD;

// DSGetFlowInfo (GenTL 1.6)
enum FLOW_INFO_CMD_LIST {
    FLOW_INFO_SIZE = 0,  // SIZET
    FLOW_INFO_CUSTOM_ID = 1000
};
typedef int32_t FLOW_INFO_CMD;

// DSGetBufferSegmentInfo (GenTL 1.6)
enum SEGMENT_INFO_CMD_LIST {
    SEGMENT_INFO_BASE = 0,           // PTR
    SEGMENT_INFO_SIZE = 1,           // SIZET
    SEGMENT_INFO_IS_INCOMPLETE = 2,  // BOOL8
    SEGMENT_INFO_SIZE_FILLED = 3,    // SIZET
    SEGMENT_INFO_DATA_SIZE = 4,      // SIZET
    SEGMENT_INFO_CUSTOM_ID = 1000
};
typedef int32_t SEGMENT_INFO_CMD;

// ---------------------------------------------------------------------------------------------
// Other enumerations
// ---------------------------------------------------------------------------------------------

// GCRegisterEvent
enum EVENT_TYPE_LIST {
    EVENT_ERROR = 0,       // error notifications of a module
    EVENT_NEW_BUFFER = 1,  // a filled buffer reached the output queue; EVENT_NEW_BUFFER_DATA
    EVENT_FEATURE_INVALIDATE = 2,  // the producer changed a feature; the node should be invalidated
    EVENT_FEATURE_CHANGE = 3,      // the producer asks the consumer to set a feature
    EVENT_REMOTE_DEVICE = 4,       // a device event for the remote device's node map
    EVENT_MODULE = 5,              // an event for a module's own node map (GenTL 1.4)
    EVENT_CUSTOM_ID = 1000
};
typedef int32_t EVENT_TYPE;

// DSStartAcquisition
enum ACQ_START_FLAGS_LIST { ACQ_START_FLAGS_DEFAULT = 0, ACQ_START_FLAGS_CUSTOM_ID = 1000 };
typedef int32_t ACQ_START_FLAGS;

// DSStopAcquisition
enum ACQ_STOP_FLAGS_LIST {
    ACQ_STOP_FLAGS_DEFAULT = 0,  // finish the buffer being filled, then stop
    ACQ_STOP_FLAGS_KILL = 1,     // stop at once; the buffer being filled returns to the input pool
    ACQ_STOP_FLAGS_CUSTOM_ID = 1000
};
typedef int32_t ACQ_STOP_FLAGS;

// DSFlushQueue
enum ACQ_QUEUE_TYPE_LIST {
    ACQ_QUEUE_INPUT_TO_OUTPUT = 0,    // input pool to output queue, with new-buffer events
    ACQ_QUEUE_OUTPUT_DISCARD = 1,     // drop the output queue and its pending events
    ACQ_QUEUE_ALL_TO_INPUT = 2,       // every buffer, output queue included, to the input pool
    ACQ_QUEUE_UNQUEUED_TO_INPUT = 3,  // buffers in neither pool nor queue to the input pool
    ACQ_QUEUE_ALL_DISCARD = 4,        // empty pool and queue; the buffers stay announced
    ACQ_QUEUE_CUSTOM_ID = 1000
};
typedef int32_t ACQ_QUEUE_TYPE;

// IFOpenDevice
enum DEVICE_ACCESS_FLAGS_LIST {
    DEVICE_ACCESS_UNKNOWN = 0,
    DEVICE_ACCESS_NONE = 1,
    DEVICE_ACCESS_READONLY = 2,
    DEVICE_ACCESS_CONTROL = 3,  // read and write for the opener, others may still read
    DEVICE_ACCESS_EXCLUSIVE = 4,
    DEVICE_ACCESS_CUSTOM_ID = 1000
};
typedef int32_t DEVICE_ACCESS_FLAGS;

// Value of DEVICE_INFO_ACCESS_STATUS
enum DEVICE_ACCESS_STATUS_LIST {
    DEVICE_ACCESS_STATUS_UNKNOWN = 0,
    DEVICE_ACCESS_STATUS_READWRITE = 1,
    DEVICE_ACCESS_STATUS_READONLY = 2,
    DEVICE_ACCESS_STATUS_NOACCESS = 3,
    DEVICE_ACCESS_STATUS_BUSY = 4,            // opened by another process or host (GenTL 1.5)
    DEVICE_ACCESS_STATUS_OPEN_READWRITE = 5,  // opened by this process (GenTL 1.5)
    DEVICE_ACCESS_STATUS_OPEN_READONLY = 6,   // opened by this process (GenTL 1.5)
    DEVICE_ACCESS_STATUS_CUSTOM_ID = 1000
};
typedef int32_t DEVICE_ACCESS_STATUS;

// Value of BUFFER_INFO_PAYLOADTYPE (GenTL 1.2), which is delivered as a SIZET
enum PAYLOADTYPE_INFO_IDS {
    PAYLOAD_TYPE_UNKNOWN = 0,
    PAYLOAD_TYPE_IMAGE = 1,
    PAYLOAD_TYPE_RAW_DATA = 2,
    PAYLOAD_TYPE_FILE = 3,
    PAYLOAD_TYPE_CHUNK_DATA = 4,       // deprecated since GenTL 1.5
    PAYLOAD_TYPE_JPEG = 5,             // GenTL 1.4
    PAYLOAD_TYPE_JPEG2000 = 6,         // GenTL 1.4
    PAYLOAD_TYPE_H264 = 7,             // GenTL 1.4
    PAYLOAD_TYPE_CHUNK_ONLY = 8,       // GenTL 1.4
    PAYLOAD_TYPE_DEVICE_SPECIFIC = 9,  // GenTL 1.4
    PAYLOAD_TYPE_MULTI_PART = 10,      // GenTL 1.5
    PAYLOAD_TYPE_GENDC = 11,           // GenTL 1.6
    PAYLOAD_TYPE_CUSTOM_ID = 1000
};
typedef int32_t PAYLOADTYPE_INFO_ID;

// Value of BUFFER_INFO_PIXELFORMAT_NAMESPACE (GenTL 1.2). PFNC codes such as Mono8
// (0x01080001) belong to PIXELFORMAT_NAMESPACE_PFNC_32BIT.
enum PIXELFORMAT_NAMESPACE_IDS {
    PIXELFORMAT_NAMESPACE_UNKNOWN = 0,
    PIXELFORMAT_NAMESPACE_GEV = 1,
    PIXELFORMAT_NAMESPACE_IIDC = 2,
    PIXELFORMAT_NAMESPACE_PFNC_16BIT = 3,  // GenTL 1.4
    PIXELFORMAT_NAMESPACE_PFNC_32BIT = 4,  // GenTL 1.4
    PIXELFORMAT_NAMESPACE_CUSTOM_ID = 1000
};
typedef int32_t PIXELFORMAT_NAMESPACE_ID;

// Value of BUFFER_INFO_PIXEL_ENDIANNESS (GenTL 1.4); this list has no custom range.
enum PIXELENDIANNESS_IDS {
    PIXELENDIANNESS_UNKNOWN = 0,
    PIXELENDIANNESS_LITTLE = 1,
    PIXELENDIANNESS_BIG = 2
};
typedef int32_t PIXELENDIANNESS_ID;

// Value of BUFFER_PART_INFO_DATA_TYPE (GenTL 1.5), which is delivered as a SIZET
enum PARTDATATYPE_IDS {
    PART_DATATYPE_UNKNOWN = 0,
    PART_DATATYPE_2D_IMAGE = 1,
    PART_DATATYPE_2D_PLANE_BIPLANAR = 2,
    PART_DATATYPE_2D_PLANE_TRIPLANAR = 3,
    PART_DATATYPE_2D_PLANE_QUADPLANAR = 4,
    PART_DATATYPE_3D_IMAGE = 5,
    PART_DATATYPE_3D_PLANE_BIPLANAR = 6,
    PART_DATATYPE_3D_PLANE_TRIPLANAR = 7,
    PART_DATATYPE_3D_PLANE_QUADPLANAR = 8,
    PART_DATATYPE_CONFIDENCE_MAP = 9,
    PART_DATATYPE_JPEG = 10,      // GenTL 1.6
    PART_DATATYPE_JPEG2000 = 11,  // GenTL 1.6
    PART_DATATYPE_CUSTOM_ID = 1000
};
typedef int32_t PARTDATATYPE_ID;

// Value of TL_INFO_CHAR_ENCODING (GenTL 1.4)
enum TL_CHAR_ENCODING_LIST { TL_CHAR_ENCODING_ASCII = 0, TL_CHAR_ENCODING_UTF8 = 1 };
typedef int32_t TL_CHAR_ENCODING;

// ---------------------------------------------------------------------------------------------
// Structures. Byte-packed, as GenTL consumers declare them: DS_BUFFER_INFO_STACKED is 28
// bytes, not the 32 that natural alignment would give it.
// ---------------------------------------------------------------------------------------------

#pragma pack(push, 1)

// The data of one EVENT_NEW_BUFFER entry, as EventGetData delivers it.
typedef struct S_EVENT_NEW_BUFFER {
    BUFFER_HANDLE BufferHandle;
    void* pUserPointer;  // the pPrivate given when the buffer was announced
} EVENT_NEW_BUFFER_DATA;

// One access of GCReadPortStacked / GCWritePortStacked (GenTL 1.1).
typedef struct S_PORT_REGISTER_STACK_ENTRY {
    uint64_t Address;
    void* pBuffer;
    size_t Size;  // bytes to read or write
} PORT_REGISTER_STACK_ENTRY;

// One chunk found by DSGetBufferChunkData (GenTL 1.3).
typedef struct S_SINGLE_CHUNK_DATA {
    uint64_t ChunkID;
    ptrdiff_t ChunkOffset;
    size_t ChunkLength;
} SINGLE_CHUNK_DATA;

// One query of DSGetBufferInfoStacked (GenTL 1.6).
typedef struct S_DS_BUFFER_INFO_STACKED {
    BUFFER_INFO_CMD iInfoCmd;
    INFO_DATATYPE iType;
    void* pBuffer;
    size_t iSize;  // in: capacity of pBuffer; out: bytes used
    GC_ERROR iResult;
} DS_BUFFER_INFO_STACKED;

// One query of DSGetBufferPartInfoStacked (GenTL 1.6).
typedef struct S_DS_BUFFER_PART_INFO_STACKED {
    uint32_t iPartIndex;
    BUFFER_PART_INFO_CMD iInfoCmd;
    GC_ERROR iResult;
    INFO_DATATYPE iType;
    void* pBuffer;
    size_t iSize;
} DS_BUFFER_PART_INFO_STACKED;

#pragma pack(pop)

// A consumer built against another GenTL header exchanges these structures with us byte for
// byte, so their layout is checked wherever the compiler can (C++, C11 and later).
#if defined(__cplusplus)
#define KAVRIN_GENTL_STATIC_ASSERT static_assert
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define KAVRIN_GENTL_STATIC_ASSERT _Static_assert
#endif

#ifdef KAVRIN_GENTL_STATIC_ASSERT
// Sizes in terms of the pointer size P (8 on x86_64 and arm64, 4 on 32-bit x86): the 64-bit
// totals are 16, 24, 24, 28 and 32 bytes, the 32-bit ones 8, 16, 16, 20 and 24.
#define KAVRIN_GENTL_P sizeof(void*)
KAVRIN_GENTL_STATIC_ASSERT(sizeof(bool8_t) == 1, "bool8_t must be one byte");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(GC_ERROR) == 4, "GC_ERROR must be 32-bit");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(size_t) == KAVRIN_GENTL_P && sizeof(ptrdiff_t) == KAVRIN_GENTL_P,
                           "size_t and ptrdiff_t must be pointer-sized");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(EVENT_NEW_BUFFER_DATA) == 2 * KAVRIN_GENTL_P,
                           "EVENT_NEW_BUFFER_DATA must be two pointers");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(EVENT_NEW_BUFFER_DATA, pUserPointer) == KAVRIN_GENTL_P,
                           "EVENT_NEW_BUFFER_DATA.pUserPointer must follow the handle");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(PORT_REGISTER_STACK_ENTRY) == 8 + 2 * KAVRIN_GENTL_P,
                           "PORT_REGISTER_STACK_ENTRY must be 8 bytes and two pointers");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(PORT_REGISTER_STACK_ENTRY, Size) == 8 + KAVRIN_GENTL_P,
                           "PORT_REGISTER_STACK_ENTRY.Size must follow pBuffer");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(SINGLE_CHUNK_DATA) == 8 + 2 * KAVRIN_GENTL_P,
                           "SINGLE_CHUNK_DATA must be 8 bytes and two pointers");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(SINGLE_CHUNK_DATA, ChunkLength) == 8 + KAVRIN_GENTL_P,
                           "SINGLE_CHUNK_DATA.ChunkLength must follow ChunkOffset");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(DS_BUFFER_INFO_STACKED) == 12 + 2 * KAVRIN_GENTL_P,
                           "DS_BUFFER_INFO_STACKED must be packed (28 bytes on 64-bit)");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(DS_BUFFER_INFO_STACKED, pBuffer) == 8,
                           "DS_BUFFER_INFO_STACKED.pBuffer must be at offset 8");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(DS_BUFFER_INFO_STACKED, iResult) == 8 + 2 * KAVRIN_GENTL_P,
                           "DS_BUFFER_INFO_STACKED.iResult must follow iSize");
KAVRIN_GENTL_STATIC_ASSERT(sizeof(DS_BUFFER_PART_INFO_STACKED) == 16 + 2 * KAVRIN_GENTL_P,
                           "DS_BUFFER_PART_INFO_STACKED must be 16 bytes and two pointers");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(DS_BUFFER_PART_INFO_STACKED, iType) == 12,
                           "DS_BUFFER_PART_INFO_STACKED.iType must be at offset 12");
KAVRIN_GENTL_STATIC_ASSERT(offsetof(DS_BUFFER_PART_INFO_STACKED, iSize) == 16 + KAVRIN_GENTL_P,
                           "DS_BUFFER_PART_INFO_STACKED.iSize must follow pBuffer");
#undef KAVRIN_GENTL_P
#undef KAVRIN_GENTL_STATIC_ASSERT
#endif

// ---------------------------------------------------------------------------------------------
// Exported functions. Every one returns a GC_ERROR. 1.1 to 1.5 additions are marked; a
// consumer that loads the .cti typically requires every function up to GenTL 1.5.
// ---------------------------------------------------------------------------------------------

// Library
GC_API GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
GC_API GCGetLastError(GC_ERROR* piErrorCode, char* sErrText, size_t* piSize);
GC_API GCInitLib(void);
GC_API GCCloseLib(void);

// Ports
GC_API GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer, size_t* piSize);
GC_API GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void* pBuffer, size_t* piSize);
GC_API GCGetPortURL(PORT_HANDLE hPort, char* sURL, size_t* piSize);
GC_API GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                     void* pBuffer, size_t* piSize);

// Events
GC_API GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE* phEvent);
GC_API GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID);
GC_API EventGetData(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize, uint64_t iTimeout);
GC_API EventGetDataInfo(EVENT_HANDLE hEvent, const void* pInBuffer, size_t iInSize,
                        EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pOutBuffer,
                        size_t* piOutSize);
GC_API EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                    void* pBuffer, size_t* piSize);
GC_API EventFlush(EVENT_HANDLE hEvent);
GC_API EventKill(EVENT_HANDLE hEvent);

// System module
GC_API TLOpen(TL_HANDLE* phTL);
GC_API TLClose(TL_HANDLE hTL);
GC_API TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                 size_t* piSize);
GC_API TLGetNumInterfaces(TL_HANDLE hTL, uint32_t* piNumIfaces);
GC_API TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char* sID, size_t* piSize);
GC_API TLGetInterfaceInfo(TL_HANDLE hTL, const char* sIfaceID, INTERFACE_INFO_CMD iInfoCmd,
                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
GC_API TLOpenInterface(TL_HANDLE hTL, const char* sIfaceID, IF_HANDLE* phIface);
GC_API TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t* pbChanged, uint64_t iTimeout);

// Interface module
GC_API IFClose(IF_HANDLE hIface);
GC_API IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                 void* pBuffer, size_t* piSize);
GC_API IFGetNumDevices(IF_HANDLE hIface, uint32_t* piNumDevices);
GC_API IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID, size_t* piSize);
GC_API IFUpdateDeviceList(IF_HANDLE hIface, bool8_t* pbChanged, uint64_t iTimeout);
GC_API IFGetDeviceInfo(IF_HANDLE hIface, const char* sDeviceID, DEVICE_INFO_CMD iInfoCmd,
                       INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
GC_API IFOpenDevice(IF_HANDLE hIface, const char* sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag,
                    DEV_HANDLE* phDevice);

// Device module
GC_API DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice);
GC_API DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t* piNumDataStreams);
GC_API DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char* sDataStreamID, size_t* piSize);
GC_API DevOpenDataStream(DEV_HANDLE hDevice, const char* sDataStreamID, DS_HANDLE* phDataStream);
GC_API DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                  void* pBuffer, size_t* piSize);
GC_API DevClose(DEV_HANDLE hDevice);

// Data stream module
GC_API DSAnnounceBuffer(DS_HANDLE hDataStream, void* pBuffer, size_t iSize, void* pPrivate,
                        BUFFER_HANDLE* phBuffer);
GC_API DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void* pPrivate,
                                BUFFER_HANDLE* phBuffer);
GC_API DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation);
GC_API DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags,
                          uint64_t iNumToAcquire);
GC_API DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags);
GC_API DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                 void* pBuffer, size_t* piSize);
GC_API DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE* phBuffer);
GC_API DSClose(DS_HANDLE hDataStream);
GC_API DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void** pBuffer,
                      void** pPrivate);
GC_API DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer);
GC_API DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd,
                       INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);

// GenTL 1.1
GC_API GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t* piNumURLs);
GC_API GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd,
                        INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
GC_API GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                         size_t* piNumEntries);
GC_API GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                          size_t* piNumEntries);

// GenTL 1.3
GC_API DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                            SINGLE_CHUNK_DATA* pChunkData, size_t* piNumChunks);

// GenTL 1.4
GC_API IFGetParentTL(IF_HANDLE hIface, TL_HANDLE* phSystem);
GC_API DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE* phIface);
GC_API DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE* phDevice);

// GenTL 1.5
GC_API DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t* piNumParts);
GC_API DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex,
                           BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                           size_t* piSize);

// GenTL 1.6
GC_API DSAnnounceCompositeBuffer(DS_HANDLE hDataStream, size_t iNumSegments, void** ppSegments,
                                 size_t* piSizes, void* pPrivate, BUFFER_HANDLE* phBuffer);
GC_API DSGetBufferInfoStacked(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                              DS_BUFFER_INFO_STACKED* pInfoStacked, size_t iNumInfos);
GC_API DSGetBufferPartInfoStacked(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                  DS_BUFFER_PART_INFO_STACKED* pInfoStacked, size_t iNumInfos);
GC_API DSGetNumFlows(DS_HANDLE hDataStream, uint32_t* piNumFlows);
GC_API DSGetFlowInfo(DS_HANDLE hDataStream, uint32_t iFlowIndex, FLOW_INFO_CMD iInfoCmd,
                     INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
GC_API DSGetNumBufferSegments(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                              uint32_t* piNumSegments);
GC_API DSGetBufferSegmentInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iSegmentIndex,
                              SEGMENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                              size_t* piSize);

// ---------------------------------------------------------------------------------------------
// Function pointer types, for consumers that resolve the exports with dlsym
// ---------------------------------------------------------------------------------------------

// Library
typedef GC_ERROR(GC_CALLTYPE* PGCGetInfo)(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                          void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCGetLastError)(GC_ERROR* piErrorCode, char* sErrText,
                                               size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCInitLib)(void);
typedef GC_ERROR(GC_CALLTYPE* PGCCloseLib)(void);

// Ports
typedef GC_ERROR(GC_CALLTYPE* PGCReadPort)(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer,
                                           size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCWritePort)(PORT_HANDLE hPort, uint64_t iAddress,
                                            const void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCGetPortURL)(PORT_HANDLE hPort, char* sURL, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCGetPortInfo)(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd,
                                              INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);

// Events
typedef GC_ERROR(GC_CALLTYPE* PGCRegisterEvent)(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID,
                                                EVENT_HANDLE* phEvent);
typedef GC_ERROR(GC_CALLTYPE* PGCUnregisterEvent)(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID);
typedef GC_ERROR(GC_CALLTYPE* PEventGetData)(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize,
                                             uint64_t iTimeout);
typedef GC_ERROR(GC_CALLTYPE* PEventGetDataInfo)(EVENT_HANDLE hEvent, const void* pInBuffer,
                                                 size_t iInSize, EVENT_DATA_INFO_CMD iInfoCmd,
                                                 INFO_DATATYPE* piType, void* pOutBuffer,
                                                 size_t* piOutSize);
typedef GC_ERROR(GC_CALLTYPE* PEventGetInfo)(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd,
                                             INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PEventFlush)(EVENT_HANDLE hEvent);
typedef GC_ERROR(GC_CALLTYPE* PEventKill)(EVENT_HANDLE hEvent);

// System module
typedef GC_ERROR(GC_CALLTYPE* PTLOpen)(TL_HANDLE* phTL);
typedef GC_ERROR(GC_CALLTYPE* PTLClose)(TL_HANDLE hTL);
typedef GC_ERROR(GC_CALLTYPE* PTLGetInfo)(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd,
                                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PTLGetNumInterfaces)(TL_HANDLE hTL, uint32_t* piNumIfaces);
typedef GC_ERROR(GC_CALLTYPE* PTLGetInterfaceID)(TL_HANDLE hTL, uint32_t iIndex, char* sID,
                                                 size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PTLGetInterfaceInfo)(TL_HANDLE hTL, const char* sIfaceID,
                                                   INTERFACE_INFO_CMD iInfoCmd,
                                                   INFO_DATATYPE* piType, void* pBuffer,
                                                   size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PTLOpenInterface)(TL_HANDLE hTL, const char* sIfaceID,
                                                IF_HANDLE* phIface);
typedef GC_ERROR(GC_CALLTYPE* PTLUpdateInterfaceList)(TL_HANDLE hTL, bool8_t* pbChanged,
                                                      uint64_t iTimeout);

// Interface module
typedef GC_ERROR(GC_CALLTYPE* PIFClose)(IF_HANDLE hIface);
typedef GC_ERROR(GC_CALLTYPE* PIFGetInfo)(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd,
                                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PIFGetNumDevices)(IF_HANDLE hIface, uint32_t* piNumDevices);
typedef GC_ERROR(GC_CALLTYPE* PIFGetDeviceID)(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID,
                                              size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PIFUpdateDeviceList)(IF_HANDLE hIface, bool8_t* pbChanged,
                                                   uint64_t iTimeout);
typedef GC_ERROR(GC_CALLTYPE* PIFGetDeviceInfo)(IF_HANDLE hIface, const char* sDeviceID,
                                                DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                                void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PIFOpenDevice)(IF_HANDLE hIface, const char* sDeviceID,
                                             DEVICE_ACCESS_FLAGS iOpenFlag, DEV_HANDLE* phDevice);

// Device module
typedef GC_ERROR(GC_CALLTYPE* PDevGetPort)(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice);
typedef GC_ERROR(GC_CALLTYPE* PDevGetNumDataStreams)(DEV_HANDLE hDevice,
                                                     uint32_t* piNumDataStreams);
typedef GC_ERROR(GC_CALLTYPE* PDevGetDataStreamID)(DEV_HANDLE hDevice, uint32_t iIndex,
                                                   char* sDataStreamID, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PDevOpenDataStream)(DEV_HANDLE hDevice, const char* sDataStreamID,
                                                  DS_HANDLE* phDataStream);
typedef GC_ERROR(GC_CALLTYPE* PDevGetInfo)(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd,
                                           INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PDevClose)(DEV_HANDLE hDevice);

// Data stream module
typedef GC_ERROR(GC_CALLTYPE* PDSAnnounceBuffer)(DS_HANDLE hDataStream, void* pBuffer, size_t iSize,
                                                 void* pPrivate, BUFFER_HANDLE* phBuffer);
typedef GC_ERROR(GC_CALLTYPE* PDSAllocAndAnnounceBuffer)(DS_HANDLE hDataStream, size_t iSize,
                                                         void* pPrivate, BUFFER_HANDLE* phBuffer);
typedef GC_ERROR(GC_CALLTYPE* PDSFlushQueue)(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation);
typedef GC_ERROR(GC_CALLTYPE* PDSStartAcquisition)(DS_HANDLE hDataStream,
                                                   ACQ_START_FLAGS iStartFlags,
                                                   uint64_t iNumToAcquire);
typedef GC_ERROR(GC_CALLTYPE* PDSStopAcquisition)(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags);
typedef GC_ERROR(GC_CALLTYPE* PDSGetInfo)(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd,
                                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferID)(DS_HANDLE hDataStream, uint32_t iIndex,
                                              BUFFER_HANDLE* phBuffer);
typedef GC_ERROR(GC_CALLTYPE* PDSClose)(DS_HANDLE hDataStream);
typedef GC_ERROR(GC_CALLTYPE* PDSRevokeBuffer)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                               void** pBuffer, void** pPrivate);
typedef GC_ERROR(GC_CALLTYPE* PDSQueueBuffer)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferInfo)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                BUFFER_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                                void* pBuffer, size_t* piSize);

// GenTL 1.1
typedef GC_ERROR(GC_CALLTYPE* PGCGetNumPortURLs)(PORT_HANDLE hPort, uint32_t* piNumURLs);
typedef GC_ERROR(GC_CALLTYPE* PGCGetPortURLInfo)(PORT_HANDLE hPort, uint32_t iURLIndex,
                                                 URL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                                 void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PGCReadPortStacked)(PORT_HANDLE hPort,
                                                  PORT_REGISTER_STACK_ENTRY* pEntries,
                                                  size_t* piNumEntries);
typedef GC_ERROR(GC_CALLTYPE* PGCWritePortStacked)(PORT_HANDLE hPort,
                                                   PORT_REGISTER_STACK_ENTRY* pEntries,
                                                   size_t* piNumEntries);

// GenTL 1.3
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferChunkData)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                     SINGLE_CHUNK_DATA* pChunkData,
                                                     size_t* piNumChunks);

// GenTL 1.4
typedef GC_ERROR(GC_CALLTYPE* PIFGetParentTL)(IF_HANDLE hIface, TL_HANDLE* phSystem);
typedef GC_ERROR(GC_CALLTYPE* PDevGetParentIF)(DEV_HANDLE hDevice, IF_HANDLE* phIface);
typedef GC_ERROR(GC_CALLTYPE* PDSGetParentDev)(DS_HANDLE hDataStream, DEV_HANDLE* phDevice);

// GenTL 1.5
typedef GC_ERROR(GC_CALLTYPE* PDSGetNumBufferParts)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                    uint32_t* piNumParts);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferPartInfo)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                    uint32_t iPartIndex,
                                                    BUFFER_PART_INFO_CMD iInfoCmd,
                                                    INFO_DATATYPE* piType, void* pBuffer,
                                                    size_t* piSize);

// GenTL 1.6
typedef GC_ERROR(GC_CALLTYPE* PDSAnnounceCompositeBuffer)(DS_HANDLE hDataStream,
                                                          size_t iNumSegments, void** ppSegments,
                                                          size_t* piSizes, void* pPrivate,
                                                          BUFFER_HANDLE* phBuffer);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferInfoStacked)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                       DS_BUFFER_INFO_STACKED* pInfoStacked,
                                                       size_t iNumInfos);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferPartInfoStacked)(
    DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, DS_BUFFER_PART_INFO_STACKED* pInfoStacked,
    size_t iNumInfos);
typedef GC_ERROR(GC_CALLTYPE* PDSGetNumFlows)(DS_HANDLE hDataStream, uint32_t* piNumFlows);
typedef GC_ERROR(GC_CALLTYPE* PDSGetFlowInfo)(DS_HANDLE hDataStream, uint32_t iFlowIndex,
                                              FLOW_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                              void* pBuffer, size_t* piSize);
typedef GC_ERROR(GC_CALLTYPE* PDSGetNumBufferSegments)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                       uint32_t* piNumSegments);
typedef GC_ERROR(GC_CALLTYPE* PDSGetBufferSegmentInfo)(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                                       uint32_t iSegmentIndex,
                                                       SEGMENT_INFO_CMD iInfoCmd,
                                                       INFO_DATATYPE* piType, void* pBuffer,
                                                       size_t* piSize);

#ifdef __cplusplus
}  // namespace GenTL
}  // extern "C"
#endif

#endif  // KAVRIN_GENTL_H
