#include "tevold/SimControl.h"

#include "tevold/sim/LittleEndian.h"
#include "tevold/sim/SimulatedWorld.h"

#include <algorithm>
#include <stdexcept>

namespace Tevold::Sim {
namespace {

SimulatedWorld& World() { return SimulatedWorld::Instance(); }

}  // namespace

void Reset() {
    World().Faults().Clear();
    World().SetPacing(true);
    World().Configure(DefaultWorldConfig());
}

void Configure(const WorldConfig& config) { World().Configure(config); }

void AddInterface(const InterfaceConfig& config) { World().AddInterface(config); }

void RemoveInterface(const std::string& name) { World().RemoveInterface(name); }

void AddCamera(const std::string& interfaceName, const CameraConfig& config) {
    World().AddCamera(interfaceName, config);
}

void RemoveCamera(const std::string& deviceId) { World().RemoveCamera(deviceId); }

void InjectFault(const Fault& fault) { World().Faults().Inject(fault); }

void ClearFaults() { World().Faults().Clear(); }

void SetPacing(bool enabled) { World().SetPacing(enabled); }

void SetFrameRate(const std::string& deviceId, double framesPerSecond) {
    uint8_t bytes[sizeof(double)];
    StoreLittleEndianDouble(bytes, framesPerSecond);
    if (World().Camera(deviceId)->ControlWrite(CameraRegister::kAcquisitionFrameRate, bytes,
                                               sizeof bytes) != 0) {
        throw std::invalid_argument("frame rate refused");
    }
}

void RaiseDeviceEvent(const std::string& deviceId, uint32_t eventId) {
    World().Camera(deviceId)->RaiseEvent(eventId);
}

void SetLineLevel(const std::string& deviceId, uint32_t line, bool high) {
    if (line > 1) {
        throw std::invalid_argument("no such line");
    }
    World().Camera(deviceId)->SetLineLevel(line, high);
}

void PulseLine(const std::string& deviceId, uint32_t line) {
    SetLineLevel(deviceId, line, true);
    SetLineLevel(deviceId, line, false);
}

std::vector<uint8_t> ReferenceImage(const std::string& deviceId, uint64_t frameId) {
    return World().Camera(deviceId)->ReferenceImage(frameId);
}

std::vector<CameraCall> CallLog(const std::string& deviceId) {
    return World().Camera(deviceId)->Calls().Entries();
}

size_t CountCalls(const std::string& deviceId, CameraCall call) {
    const auto entries = CallLog(deviceId);
    return static_cast<size_t>(std::count(entries.begin(), entries.end(), call));
}

CameraStatus GetCameraStatus(const std::string& deviceId) {
    return World().Camera(deviceId)->Status();
}

}  // namespace Tevold::Sim
