// Where the simulated cameras and interfaces keep their registers, and the values they accept.
// The register descriptions (XML) they serve name the same addresses; tests and tools use these
// constants to reach registers without parsing the XML.
#pragma once

#include <cstdint>

namespace Tevold::Sim {

// Camera registers, little-endian.
namespace CameraRegister {
// Texts, NUL-padded to kTextLength bytes; any part of a text may be read. Read-only except the
// user ID.
constexpr uint32_t kTextLength = 32;
constexpr uint64_t kVendorName = 0x0000;
constexpr uint64_t kModelName = 0x0020;
constexpr uint64_t kDeviceVersion = 0x0040;
constexpr uint64_t kSerialNumber = 0x0060;
constexpr uint64_t kUserId = 0x0080;
// uint32, accessed whole (4 bytes at exactly this address).
constexpr uint64_t kWidth = 0x0100;
constexpr uint64_t kHeight = 0x0104;
constexpr uint64_t kPixelFormat = 0x0108;
constexpr uint64_t kPayloadSize = 0x010C;  // read-only: the image and, in chunk mode, its chunks
constexpr uint64_t kTestPattern = 0x0110;
constexpr uint64_t kSensorWidth = 0x0120;  // read-only
constexpr uint64_t kSensorHeight = 0x0124;
constexpr uint64_t kWidthMax = 0x0128;  // read-only: the sensor width over the binning
constexpr uint64_t kHeightMax = 0x012C;
constexpr uint64_t kOffsetX = 0x0130;
constexpr uint64_t kOffsetY = 0x0134;
constexpr uint64_t kBinningHorizontal = 0x0138;  // 1, 2 or 4
constexpr uint64_t kBinningVertical = 0x013C;
constexpr uint64_t kReverseX = 0x0140;  // 0 or 1
constexpr uint64_t kReverseY = 0x0144;
// Read-only: how far Width, Height, OffsetX and OffsetY may go with the others as they are.
constexpr uint64_t kWidthLimit = 0x0148;
constexpr uint64_t kHeightLimit = 0x014C;
constexpr uint64_t kOffsetXLimit = 0x0150;
constexpr uint64_t kOffsetYLimit = 0x0154;

constexpr uint64_t kAcquisitionMode = 0x0200;
constexpr uint64_t kAcquisitionStart = 0x0204;  // write-only: write kCommandValue to execute
constexpr uint64_t kAcquisitionStop = 0x0208;   // write-only: write kCommandValue to execute
constexpr uint64_t kTLParamsLocked = 0x020C;    // 0 or 1
// IEEE double, accessed whole (8 bytes).
constexpr uint64_t kAcquisitionFrameRate = 0x0210;
constexpr uint64_t kAcquisitionFrameCount = 0x0218;
constexpr uint64_t kAcquisitionFrameRateEnable = 0x021C;
// Trigger registers hold the value of the trigger TriggerSelector selects.
constexpr uint64_t kTriggerSelector = 0x0220;
constexpr uint64_t kTriggerMode = 0x0224;
constexpr uint64_t kTriggerSource = 0x0228;
constexpr uint64_t kTriggerActivation = 0x022C;
constexpr uint64_t kTriggerSoftware = 0x0230;  // write-only command
constexpr uint64_t kTriggerDelay = 0x0238;     // double, µs
constexpr uint64_t kExposureMode = 0x0240;
constexpr uint64_t kExposureTime = 0x0248;  // double, µs
constexpr uint64_t kExposureAuto = 0x0250;

constexpr uint64_t kGainSelector = 0x0300;
constexpr uint64_t kGain = 0x0308;  // double, dB, of the gain GainSelector selects
constexpr uint64_t kGainAuto = 0x0310;
constexpr uint64_t kBlackLevel = 0x0318;  // double, in 8-bit grey levels
constexpr uint64_t kGamma = 0x0320;       // double
constexpr uint64_t kGainRaw = 0x0328;     // the selected gain in tenths of a dB

constexpr uint64_t kChunkModeActive = 0x0400;
constexpr uint64_t kChunkSelector = 0x0404;
constexpr uint64_t kChunkEnable = 0x0408;  // of the chunk ChunkSelector selects

constexpr uint64_t kEventSelector = 0x0500;
constexpr uint64_t kEventNotification = 0x0504;  // of the event EventSelector selects

constexpr uint64_t kDeviceTemperature = 0x0600;    // double, °C, read-only
constexpr uint64_t kTimestampLatch = 0x0608;       // write-only command
constexpr uint64_t kTimestampLatchValue = 0x0610;  // uint64, read-only
constexpr uint64_t kTimestampReset = 0x0618;       // write-only command
constexpr uint64_t kDeviceReset = 0x061C;          // write-only command
constexpr uint64_t kUserSetSelector = 0x0620;
constexpr uint64_t kUserSetLoad = 0x0624;  // write-only command
constexpr uint64_t kUserSetSave = 0x0628;  // write-only command
constexpr uint64_t kUserSetDefault = 0x062C;

// GigE Vision cameras only.
constexpr uint64_t kGevSCPSPacketSize = 0x0700;
constexpr uint64_t kGevTimestampTickFrequency = 0x0708;  // uint64, read-only
constexpr uint64_t kGevCurrentIPAddress = 0x0710;        // read-only
// USB3 Vision cameras only: bytes per second.
constexpr uint64_t kDeviceLinkThroughputLimit = 0x0720;

// The camera's register description; its length is in the URL (QueryInfo item 8).
constexpr uint64_t kDescription = 0x10000;
}  // namespace CameraRegister

constexpr uint32_t kCommandValue = 1;

namespace PixelFormat {
constexpr uint32_t kMono8 = 0x01080001;
constexpr uint32_t kMono10 = 0x01100003;
constexpr uint32_t kMono12 = 0x01100005;
constexpr uint32_t kMono16 = 0x01100007;
constexpr uint32_t kBayerGR8 = 0x01080008;
constexpr uint32_t kBayerRG8 = 0x01080009;
constexpr uint32_t kBayerGB8 = 0x0108000A;
constexpr uint32_t kBayerBG8 = 0x0108000B;
constexpr uint32_t kRGB8 = 0x02180014;
constexpr uint32_t kBGR8 = 0x02180015;
constexpr uint32_t kYCbCr422_8 = 0x0210003B;
}  // namespace PixelFormat

namespace TestPattern {
constexpr uint32_t kBlack = 0;
constexpr uint32_t kGreyDiagonalRampMoving = 1;
constexpr uint32_t kGreyHorizontalRampMoving = 2;
}  // namespace TestPattern

constexpr uint32_t kAcquisitionModeContinuous = 0;
constexpr uint32_t kAcquisitionModeSingleFrame = 1;
constexpr uint32_t kAcquisitionModeMultiFrame = 2;

namespace Trigger {
constexpr uint32_t kFrameStart = 0;  // TriggerSelector
constexpr uint32_t kAcquisitionStart = 1;
constexpr uint32_t kCount = 2;
constexpr uint32_t kSourceSoftware = 0;  // TriggerSource
constexpr uint32_t kSourceLine0 = 1;
constexpr uint32_t kSourceLine1 = 2;
constexpr uint32_t kRisingEdge = 0;  // TriggerActivation
constexpr uint32_t kFallingEdge = 1;
constexpr uint32_t kAnyEdge = 2;
constexpr double kMaxDelay = 1e6;  // µs
}  // namespace Trigger

// ExposureAuto and GainAuto.
constexpr uint32_t kAutoOff = 0;
constexpr uint32_t kAutoOnce = 1;
constexpr uint32_t kAutoContinuous = 2;

namespace Gain {
constexpr uint32_t kAll = 0;  // GainSelector; Red, Green and Blue add to All for their colour
constexpr uint32_t kRed = 1;
constexpr uint32_t kGreen = 2;
constexpr uint32_t kBlue = 3;
constexpr uint32_t kCount = 4;
constexpr double kMax = 24.0;  // dB
}  // namespace Gain

// ChunkSelector values. The chunk IDs in a payload are kChunkIdBase + the selector value, except
// the image's, which is kImageChunkId.
namespace Chunk {
constexpr uint32_t kImage = 0;
constexpr uint32_t kTimestamp = 1;     // uint64, ns
constexpr uint32_t kFrameID = 2;       // uint64
constexpr uint32_t kExposureTime = 3;  // double, µs
constexpr uint32_t kGain = 4;          // double, dB (GainSelector All)
constexpr uint32_t kWidth = 5;         // uint32
constexpr uint32_t kHeight = 6;
constexpr uint32_t kOffsetX = 7;
constexpr uint32_t kOffsetY = 8;
constexpr uint32_t kPixelFormat = 9;
constexpr uint32_t kCount = 10;
constexpr uint32_t kImageChunkId = 1;
constexpr uint32_t kChunkIdBase = 0x4B560000;
}  // namespace Chunk

// EventSelector values; the device event IDs are kEventIdBase + the selector value.
namespace Event {
constexpr uint32_t kExposureEnd = 0;
constexpr uint32_t kFrameStart = 1;
constexpr uint32_t kAcquisitionEnd = 2;
constexpr uint32_t kCount = 3;
constexpr uint32_t kEventIdBase = 0x9010;
}  // namespace Event

namespace UserSet {
constexpr uint32_t kDefault = 0;  // the factory settings; cannot be saved over
constexpr uint32_t kUserSet1 = 1;
constexpr uint32_t kUserSet2 = 2;
constexpr uint32_t kCount = 3;
}  // namespace UserSet

// Accepted Width/Height: min + n * increment, up to the limit the offset and binning leave.
// Offsets are multiples of the increments.
constexpr uint32_t kSensorWidth = 4096;
constexpr uint32_t kSensorHeight = 3072;
constexpr uint32_t kMinWidth = 16;
constexpr uint32_t kMaxWidth = kSensorWidth;
constexpr uint32_t kWidthIncrement = 4;
constexpr uint32_t kMinHeight = 16;
constexpr uint32_t kMaxHeight = kSensorHeight;
constexpr uint32_t kHeightIncrement = 2;
constexpr double kMinFrameRate = 1.0;
constexpr double kMaxFrameRate = 1000.0;
constexpr double kMinExposureTime = 10.0;  // µs
constexpr double kMaxExposureTime = 1e6;
constexpr double kMaxBlackLevel = 64.0;
constexpr double kMinGamma = 0.25;
constexpr double kMaxGamma = 4.0;
constexpr uint32_t kMaxFrameCount = 65535;
constexpr uint32_t kMinPacketSize = 576;
constexpr uint32_t kMaxPacketSize = 9000;
constexpr uint32_t kMinThroughput = 1'000'000;
constexpr uint32_t kMaxThroughput = 400'000'000;

// A camera's settings after power-up (its Default user set).
constexpr uint32_t kDefaultWidth = 640;
constexpr uint32_t kDefaultHeight = 480;
constexpr double kDefaultFrameRate = 30.0;
// At this exposure, no gain, no black level and a gamma of 1 the pattern's values are exact.
constexpr double kDefaultExposureTime = 10000.0;
constexpr uint32_t kDefaultPacketSize = 1500;
// What ExposureAuto and GainAuto steer the image's mean grey level to, as a part of full scale.
constexpr double kAutoTarget = 0.25;

}  // namespace Tevold::Sim
