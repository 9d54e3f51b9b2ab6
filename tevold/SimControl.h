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
// TestPattern register's pattern, built from a value s per pixel (x, y in pixels, f the frame ID):
//   GreyDiagonalRampMoving (1, the default): s = x + y + f
//   GreyHorizontalRampMoving (2):            s = x + f
//   Black (0):                               every byte 0
// stored per pixel format as
//   Mono8:  one byte, s mod 256
//   Mono16: little-endian uint16, (s mod 4096) * 16
//   RGB8:   three bytes R = s mod 256, G = (s + 85) mod 256, B = (s + 170) mod 256
// Images are produced when GrabImage asks for one. With pacing on (the default), image k after
// the acquisition start is due at start + k / AcquisitionFrameRate and carries that moment as its
// timestamp; a consumer more than one period late gets the next image at once, stamped with the
// moment it was made (the camera keeps no backlog). With pacing off images come at once, stamped
// with the moment they were made. Timestamps are steady-clock nanoseconds and always increase.
// An image nobody takes (GrabImage without a destination) is one the camera sent at its frame
// rate, paced or not: dropped images follow each other at exactly AcquisitionFrameRate, each
// stamped with the moment it was due. StopGrab ends the grab in progress, and every grab until
// the next start, with kGrabAborted.
//
// Device events. A connected camera raises kEventAcquisitionStart / kEventAcquisitionStop when
// its acquisition starts or stops (by StartGrab/StopGrab, the AcquisitionStart/AcquisitionStop
// commands, or the end of a StartGrab frame count), and any ID on RaiseDeviceEvent, stamped with
// the moment it was raised. Events of a camera nobody has connected are dropped.
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
