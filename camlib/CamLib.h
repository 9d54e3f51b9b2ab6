// The camera library's boundary: the one named entry GetSystem and the objects it hands out.
// The producer reaches every camera only through these operations; each transport backend (the
// embedded simulator, real GigE Vision and USB3 Vision cameras) implements them, and the
// producer never knows which one answers.
//
// Results are 32-bit signed codes with the numeric values of GenTL's GC_ERROR (0 = success).
// Objects are released through their own close operation, never with delete: the library
// owns their memory.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(TEVOLD_BUILDING_LIBRARY)
#define TEVOLD_API __attribute__((visibility("default")))
#else
#define TEVOLD_API
#endif

namespace Tevold {

using CamResult = int32_t;

// Called on a thread of the camera library for every device event. Once SetEventCallback or
// CloseDevice has returned, the previous callback is not running and will not be called again.
// The reserved argument is always 0; data is the event's data: for a camera's own events the ID
// of the last frame it started when the event happened, else 0.
using DeviceEventCallback = void (*)(uint32_t eventId, uint32_t reserved, uint64_t data,
                                     uint32_t timestampLow, uint32_t timestampHigh, void* context);

// Device event ID of a real camera's connection ending: the camera stopped answering or another
// application took control of it. Wider than the 16 bits of GigE Vision and USB3 Vision event IDs,
// so it never stands for a camera's own event.
constexpr uint32_t kEventControlLost = 0x10001;

// QueryInfo items of a device.
enum CamDeviceItem : int32_t {
    kItemInterfaceName = 0,   // text: the interface the device was found on
    kItemVendor = 3,          // text
    kItemModel = 4,           // text
    kItemUserName = 5,        // text: user-defined name
    kItemVersion = 6,         // text: device version
    kItemSerialNumber = 7,    // text
    kItemDescriptionUrl = 8,  // text: register-description URL; non-zero result is failure
    kItemAccessStatus = 9,    // uint32_t: GenTL DEVICE_ACCESS_STATUS value
    kItemPrepareClose = 11,   // one byte 0, sent right before CloseDevice
    kItemTLType = 13,         // text
    kItemBackendName = 14,    // text: which backend answers, e.g. "Tevold simulator"
    kItemLocation = 15,       // text: where the device sits on its transport
    kItemLibraryId = 16,      // text: the library's name of the device
};

// Stream parameters (GetParameter / SetParameter).
enum CamStreamParameter : uint32_t {
    kParamFramesStarted = 1,       // int64_t: images started since StartGrab
    kParamGrabTimeout = 2,         // uint32_t: default GrabImage timeout in ms
    kParamAcquisitionActive = 3,   // uint32_t: non-zero while the camera produces images
    kParamDefinesPayloadSize = 4,  // uint64_t: 0, the payload size is the camera's PayloadSize
    kParamPayloadSize = 0x1001,    // uint64_t: bytes of one image
    kParamPixelFormat = 0x1002,    // uint64_t: PFNC pixel format code
    kParamWidth = 0x1003,          // uint32_t
    kParamHeight = 0x1004,         // uint32_t
    // The transport statistics of a stream that receives packets (a GigE Vision camera's), each
    // a uint64_t counted since the stream was opened. A stream without packets (the simulator's,
    // a USB3 Vision camera's) refuses them.
    kParamPacketsReceived = 0x1101,  // packets that arrived, resent ones included
    kParamPacketsMissing = 0x1102,   // packets of an image that never arrived
    kParamPacketsResent = 0x1103,    // packets that arrived after a resend request
    kParamPacketsIgnored = 0x1104,   // packets of no image being received (late, unknown)
    kParamResendRequests = 0x1105,   // resend requests sent to the camera
};

// GrabImage results.
enum CamGrabResult : CamResult {
    kGrabOk = 0,               // an image was written (or, without a destination, dropped)
    kGrabTimeout = -1,         // no image within the timeout
    kGrabStreamFailed = -2,    // the stream failed
    kGrabImageLost = -3,       // an image was lost
    kGrabBufferTooSmall = -4,  // the destination cannot hold the image; nothing was written
    kGrabAborted = -5,         // StopGrab ended the grab; the destination may hold part of an image
};

// How the chunks of a payload are laid out: none, or each chunk's data followed by its 32-bit ID
// and its 32-bit data length in the given byte order, the image first, the last chunk ending at
// the end of the payload.
enum CamChunkByteOrder : uint32_t {
    kChunksNone = 0,
    kChunksLittleEndian = 1,
    kChunksBigEndian = 2,
};

// What GrabImage reports about the image it wrote.
struct CamImageInfo {
    uint64_t frameId = 0;
    uint64_t timestampNs = 0;
    uint64_t pixelFormat = 0;  // PFNC code
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t offsetX = 0;
    uint32_t offsetY = 0;
    size_t sizeFilled = 0;  // bytes written into the destination: the image and its chunks
    uint32_t chunkByteOrder = kChunksNone;
    uint64_t chunkLayoutId = 0;  // changes whenever the chunks or their sizes do; 0 without
};

// Called on the camera library's receiving thread, at once, for an image that arrived in lent
// memory, in the order the memory was lent (see CamStream::SetArrivalCallback). result is
// kGrabOk, kGrabImageLost or kGrabBufferTooSmall, as a GrabImage naming memory would have
// returned; info describes the image. The memory's lending has ended when it is called.
using ImageArrivalCallback = void (*)(void* memory, CamResult result, const CamImageInfo* info,
                                      void* context);

class CamInterface;
class CamDevice;
class CamStream;

class CamSystem {
public:
    virtual CamResult CountInterfaces(uint32_t* count) = 0;
    virtual CamResult GetInterfaceName(uint32_t index, char* buffer, size_t* size) = 0;
    virtual CamResult FindInterface(const char* name, CamInterface** iface) = 0;
    virtual CamResult ConnectInterface(const char* name, CamInterface** iface) = 0;
    virtual CamResult ReleaseSystem() = 0;

protected:
    virtual ~CamSystem() = default;
};

class CamInterface {
public:
    virtual CamResult CountDevices(uint32_t* count, uint32_t timeoutMs) = 0;
    virtual CamResult GetDeviceName(uint32_t index, char* buffer, size_t* size) = 0;
    virtual CamResult FindDevice(const char* name, CamDevice** device) = 0;
    virtual CamResult ConnectDevice(const char* name, CamDevice** device) = 0;
    virtual CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) = 0;
    virtual CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) = 0;
    virtual CamResult CloseInterface() = 0;

protected:
    virtual ~CamInterface() = default;
};

class CamDevice {
public:
    virtual CamResult GetNumStreams(uint32_t* count) = 0;
    virtual CamResult OpenStream(const char* streamId, CamStream** stream) = 0;
    virtual CamResult WriteRegister(uint64_t address, const void* buffer, size_t* size) = 0;
    virtual CamResult ReadRegister(uint64_t address, void* buffer, size_t* size) = 0;
    virtual CamResult QueryInfo(int32_t item, void* buffer, size_t* size) = 0;
    virtual CamResult SetEventCallback(DeviceEventCallback callback, void* context) = 0;
    virtual CamResult CloseDevice() = 0;

protected:
    virtual ~CamDevice() = default;
};

class CamStream {
public:
    virtual CamResult StartGrab(uint32_t mode, int64_t count) = 0;
    // Called from any thread, it also ends a GrabImage in progress promptly with kGrabAborted,
    // and every GrabImage called after it returns kGrabAborted at once until the next StartGrab:
    // a grab that starts just after a stop never waits for an image that will not come.
    virtual CamResult StopGrab(uint32_t mode) = 0;
    // Writes one whole image into destination (capacity bytes) or, with a null destination,
    // takes the next image the camera sends and drops it: an image due at the camera's frame
    // rate that nobody took, so dropping until kGrabTimeout with a timeout of 0 counts the
    // images a camera at that rate has lost meanwhile. info, when given, describes the image.
    virtual CamResult GrabImage(void* destination, size_t capacity, uint32_t timeoutMs,
                                CamImageInfo* info) = 0;
    // Lends memory that a later image may be received into before the GrabImage that names it,
    // so that the image needs no copy. Lent memory is filled in the order it was lent; lending
    // memory already lent changes nothing. It stays lent until a GrabImage naming it returns
    // kGrabOk, kGrabImageLost or kGrabBufferTooSmall, or until ReclaimDestinations or StopGrab.
    // Lending takes effect only between StartGrab and StopGrab. A backend that writes only
    // during GrabImage may ignore it.
    virtual CamResult LendDestination(void* memory, size_t capacity) = 0;
    // Ends every lending: once it returns, the stream writes into no memory lent before.
    virtual CamResult ReclaimDestinations() = 0;
    // Asks a backend that receives images on a thread of its own to report every image arriving
    // in lent memory through callback on that thread, instead of at a later GrabImage naming the
    // memory; a null callback ends the reports. GrabImage without a destination still counts the
    // images lost for want of lent memory. Once it returns, the previous callback is not running
    // and will not be called again. The callback must not wait for a thread that is in
    // ReclaimDestinations, StopGrab or SetArrivalCallback of this stream: those wait for it.
    // A backend that writes only during GrabImage refuses it with kNotImplemented (-1003).
    virtual CamResult SetArrivalCallback(ImageArrivalCallback callback, void* context) = 0;
    virtual CamResult SetParameter(uint32_t parameter, const void* value, size_t* size) = 0;
    virtual CamResult GetParameter(uint32_t parameter, void* value, size_t* size) = 0;
    virtual CamResult CloseStream() = 0;

protected:
    virtual ~CamStream() = default;
};

}  // namespace Tevold

extern "C" TEVOLD_API Tevold::CamResult GetSystem(Tevold::CamSystem** system);
