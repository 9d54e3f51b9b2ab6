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
constexpr uint64_t kPayloadSize = 0x010C;  // read-only: Width * Height * bytes per pixel
constexpr uint64_t kTestPattern = 0x0110;
constexpr uint64_t kAcquisitionMode = 0x0200;
constexpr uint64_t kAcquisitionStart = 0x0204;  // write-only: write kCommandValue to execute
constexpr uint64_t kAcquisitionStop = 0x0208;   // write-only: write kCommandValue to execute
constexpr uint64_t kTLParamsLocked = 0x020C;    // 0 or 1
// IEEE double, accessed whole (8 bytes).
constexpr uint64_t kAcquisitionFrameRate = 0x0210;
// The camera's register description; its length is in the URL (QueryInfo item 8).
constexpr uint64_t kDescription = 0x10000;
}  // namespace CameraRegister

constexpr uint32_t kCommandValue = 1;

namespace PixelFormat {
constexpr uint32_t kMono8 = 0x01080001;
constexpr uint32_t kMono16 = 0x01100007;
constexpr uint32_t kRGB8 = 0x02180014;
}  // namespace PixelFormat

namespace TestPattern {
constexpr uint32_t kBlack = 0;
constexpr uint32_t kGreyDiagonalRampMoving = 1;
constexpr uint32_t kGreyHorizontalRampMoving = 2;
}  // namespace TestPattern

constexpr uint32_t kAcquisitionModeContinuous = 0;

// Accepted Width/Height: min + n * increment, up to max.
constexpr uint32_t kMinWidth = 16;
constexpr uint32_t kMaxWidth = 4096;
constexpr uint32_t kWidthIncrement = 4;
constexpr uint32_t kMinHeight = 16;
constexpr uint32_t kMaxHeight = 4096;
constexpr uint32_t kHeightIncrement = 2;
constexpr double kMinFrameRate = 1.0;
constexpr double kMaxFrameRate = 1000.0;

// A camera's settings after power-up.
constexpr uint32_t kDefaultWidth = 640;
constexpr uint32_t kDefaultHeight = 480;
constexpr double kDefaultFrameRate = 30.0;

}  // namespace Tevold::Sim
