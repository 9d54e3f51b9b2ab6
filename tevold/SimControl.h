// Control of the simulated cameras behind GetSystem, for tests, benchmarks and demonstrations.
// Not part of what the producer uses: a consumer-facing build never calls these.
//
// The library simulates one process-wide set of hardware: interfaces, each with cameras. Every
// CamSystem that GetSystem hands out sees the same hardware. Without any call here it is the
// default world (DefaultWorldConfig()): two interfaces with two healthy cameras each, images
// paced by each camera's AcquisitionFrameRate.
//
// Images. Bytes 0..7 of every image hold its frame ID as a little-endian uint64. Frame IDs count
// the images a camera produced since it appeared, starting at 1. The other bytes show the
// TestPattern register's pattern, a ramp over the sensor: sensor pixel (X, Y) of frame f has the
// ramp value s = X + Y + f (GreyDiagonalRampMoving, 1, the default), s = X + f
// (GreyHorizontalRampMoving, 2) or is dark (Black, 0). The image is a window over the binned
// sensor: image pixel (x, y) covers the sensor pixels from ((OffsetX + x) * BinningHorizontal,
// (OffsetY + y) * BinningVertical), BinningHorizontal x BinningVertical of them, whose values are
// averaged; ReverseX / ReverseY mirror the window (x becomes Width - 1 - x). A colour channel c
// (0 red, 1 green, 2 blue) sees the ramp moved by 85 * c. Values repeat after the format's
// period P (256 for 8-bit formats, 1024 for Mono10, 4096 for Mono12 and Mono16): a sensor
// pixel's raw value is (s + 85 * c) mod P.
// The sensor responds as a real one does: the averaged raw value v becomes
//   min(P - 1, v * ExposureTime / 10000 us * 10^(gain / 20) + BlackLevel * P / 256),
// raised to Gamma in full-scale units and rounded, where gain is Gain[All] plus, for colour
// formats, Gain[Red|Green|Blue] of the channel. At the power-up settings (10000 us, 0 dB, no
// black level, gamma 1) a pixel holds its raw value exactly. Per pixel format:
//   Mono8: one byte; Mono10, Mono12: little-endian uint16 of the value; Mono16: the 12-bit value
//   times 16, little-endian
//   BayerRG8, BayerGB8, BayerGR8, BayerBG8: one byte, the channel the colour filter at (x, y)
//   passes (BayerRG8: red at even x and y, blue at odd x and y, green elsewhere)
//   RGB8: R, G, B; BGR8: B, G, R
//   YCbCr422_8: two bytes per pixel, the grey channel and then, at even x, channel 1 (Cb), at odd
//   x, channel 2 (Cr)
// ReferenceImage below works an image out pixel by pixel from this definition.
// In chunk mode (ChunkModeActive) the image is followed by the chunks ChunkEnable switches on, in
// the layout CamChunkByteOrder describes (big-endian for GigE Vision cameras, little-endian for
// USB3 Vision ones; IDs and values in SimRegisterMap.h), and PayloadSize counts them.
//
// Images are produced when GrabImage asks for one. With pacing on (the default), image k after
// the acquisition start is due at start + k / rate and carries that moment as its timestamp,
// where rate is AcquisitionFrameRate when AcquisitionFrameRateEnable is set (else 1000), never
// more than 10^6 / ExposureTime nor, for USB3 Vision cameras, DeviceLinkThroughputLimit /
// PayloadSize. A consumer more than one period late gets the next image at once, stamped with
// the moment it was made (the camera keeps no backlog). With pacing off images come at once,
// stamped with the moment they were made. Timestamps are nanoseconds since the camera appeared
// or since its last TimestampReset, and increase between resets.
// An image nobody takes (GrabImage without a destination) is one the camera sent at its frame
// rate, paced or not: dropped images follow each other at exactly that rate, each stamped with
// the moment it was due. StopGrab ends the grab in progress, and every grab until the next start,
// with kGrabAborted.
// Acquisitions: SingleFrame ends by itself after one image, MultiFrame after
// AcquisitionFrameCount, Continuous when stopped or after StartGrab's count, whichever is less.
// Triggers: with TriggerMode On for FrameStart, every trigger makes exactly one image, due
// TriggerDelay after it (at once with pacing off); without triggers there are none. With
// TriggerMode On for AcquisitionStart, images start only at the first trigger of an
// acquisition. A trigger fires by TriggerSoftware (TriggerSource Software) or on the edge of its
// line that TriggerActivation names (SetLineLevel, PulseLine); triggers outside an acquisition
// are ignored. ExposureAuto and GainAuto (Gain[All], only while ExposureAuto is Off) steer the
// mean grey level of the pattern towards a quarter of full scale after every image; Once turns
// itself Off when it gets there.
//
// Device events. A connected camera raises kEventAcquisitionStart / kEventAcquisitionStop when
// its acquisition starts or stops (by StartGrab/StopGrab, the AcquisitionStart/AcquisitionStop
// commands, or the end of an acquisition's image count), and any ID on RaiseDeviceEvent, stamped
// with the moment it was raised (in camera time). With EventNotification On it also raises
// Event::kEventIdBase + the EventSelector value: FrameStart stamped as the image, ExposureEnd
// ExposureTime later, AcquisitionEnd when the acquisition ends. Events of a camera nobody has
// connected are dropped.
//
// DeviceReset. The camera reboots: its connection loses it at once (kEventControlLost on the
// connection's device events, register accesses -1010, grabs kGrabStreamFailed), discovery does
// not find it for a second, and then it is back with the settings of its UserSetDefault, its
// frame IDs and timestamps starting again. Objects open on it before stay failed: close them and
// connect again.
//
// Functions naming an unknown camera or interface, or given a configuration the simulator cannot
// build, throw std::invalid_argument.
#pragma once

#include "camlib/CamLib.h"
#include "tevold/SimRegisterMap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tevold::Sim {

constexpr uint32_t kEventAcquisitionStart = 0x9001;
constexpr uint32_t kEventAcquisitionStop = 0x9002;

// Texts longer than a camera register holds (SimRegisterMap.h, NUL included) are refused.
struct CameraConfig {
    std::string deviceId;
    std::string serialNumber;
    std::string userName;
    std::string vendor;
    std::string model;
    std::string version;
};

struct InterfaceConfig {
    std::string name;      // also the interface ID
    std::string idPrefix;  // lower case, e.g. "gev"
    std::string tlType;    // e.g. "GEV"
    std::vector<CameraConfig> cameras;
};

struct WorldConfig {
    std::vector<InterfaceConfig> interfaces;
};

// interfaceCount interfaces, alternating GEV and U3V ("SimGEV0", "SimU3V0", "SimGEV1", ...), each
// with camerasPerInterface cameras. Camera j of interface i is "KVR-<GEV|U3V>-<(i+1)*1000+j+1>"
// with serial "KS<same number>", user name "Cam<same number>", vendor "Kavrin", model
// "SimCam <GEV|U3V>", version "1.0.0". Edit the result to change texts.
TEVOLD_API WorldConfig MakeWorldConfig(uint32_t interfaceCount, uint32_t camerasPerInterface);
// MakeWorldConfig(2, 2): SimGEV0 with KVR-GEV-1001 and KVR-GEV-1002, SimU3V0 with KVR-U3V-2001
// and KVR-U3V-2002.
TEVOLD_API WorldConfig DefaultWorldConfig();

// The default world, no faults, pacing on. Objects handed out before keep working on the
// hardware they had, which is no longer discoverable.
TEVOLD_API void Reset();
// Replaces all hardware by new hardware built from config (faults and pacing stay).
TEVOLD_API void Configure(const WorldConfig& config);

// Hardware appearing and vanishing at run time. A vanished camera is no longer discovered; objects
// still open on it fail (register accesses -1010, GrabImage kGrabStreamFailed) and its call log
// and status stay readable until it reappears (AddCamera with its ID builds it anew) or the world
// is reset. A vanishing interface takes its cameras with it.
TEVOLD_API void AddInterface(const InterfaceConfig& config);
TEVOLD_API void RemoveInterface(const std::string& name);
TEVOLD_API void AddCamera(const std::string& interfaceName, const CameraConfig& config);
TEVOLD_API void RemoveCamera(const std::string& deviceId);

// Operations whose result can be forced. The target of a fault is the interface name
// (CountDevices, InterfaceReadRegister, InterfaceWriteRegister) or the device ID (the others);
// CountInterfaces has none.
enum class Operation {
    CountInterfaces,
    CountDevices,
    InterfaceReadRegister,
    InterfaceWriteRegister,
    ConnectDevice,
    DeviceReadRegister,
    DeviceWriteRegister,
    QueryDescriptionUrl,  // QueryInfo item 8
    OpenStream,
    StartGrab,
    StopGrab,
    GrabImage,  // returns at once with the result, producing no image
};

constexpr uint32_t kUntilCleared = UINT32_MAX;

struct Fault {
    Operation operation = Operation::ConnectDevice;
    CamResult result = -1001;
    uint32_t times = 1;  // calls that fail before the operation works again, or kUntilCleared
    std::string target;  // empty: any target
};

// A fault for the same operation and target replaces the earlier one.
TEVOLD_API void InjectFault(const Fault& fault);
TEVOLD_API void ClearFaults();

// Pacing applies to all cameras.
TEVOLD_API void SetPacing(bool enabled);
// The same as writing the camera's AcquisitionFrameRate register.
TEVOLD_API void SetFrameRate(const std::string& deviceId, double framesPerSecond);
TEVOLD_API void RaiseDeviceEvent(const std::string& deviceId, uint32_t eventId);
// Input lines 0 and 1 of a camera, low at power-up. A pulse raises the line and lowers it again.
TEVOLD_API void SetLineLevel(const std::string& deviceId, uint32_t line, bool high);
TEVOLD_API void PulseLine(const std::string& deviceId, uint32_t line);
// The image (without chunks) the camera's current settings give for this frame ID, worked out
// pixel by pixel from the definition above.
TEVOLD_API std::vector<uint8_t> ReferenceImage(const std::string& deviceId, uint64_t frameId);

// Calls a camera received, in order, through any object open on it.
enum class CameraCall {
    Connect,
    QueryPrepareClose,  // QueryInfo item 11
    CloseDevice,        // of a connected device object
    OpenStream,
    CloseStream,
    StartGrab,
    StopGrab,
};

TEVOLD_API std::vector<CameraCall> CallLog(const std::string& deviceId);
TEVOLD_API size_t CountCalls(const std::string& deviceId, CameraCall call);

struct CameraStatus {
    bool present = false;
    bool connected = false;
    bool acquiring = false;
    uint64_t lastFrameId = 0;  // 0 before the first image
};

TEVOLD_API CameraStatus GetCameraStatus(const std::string& deviceId);

}  // namespace Tevold::Sim
