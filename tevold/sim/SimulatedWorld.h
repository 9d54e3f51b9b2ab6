#pragma once

#include "tevold/SimControl.h"
#include "tevold/sim/CameraHardware.h"
#include "tevold/sim/FaultInjector.h"
#include "tevold/sim/InterfaceHardware.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Tevold::Sim {

// The process-wide simulated hardware every CamSystem discovers, and the knobs tests turn on it.
class SimulatedWorld {
public:
    // Never destroyed: objects the library handed out may outlive static destruction.
    static SimulatedWorld& Instance();

    FaultInjector& Faults() { return faults_; }
    void SetPacing(bool enabled) { pacing_ = enabled; }

    void Configure(const WorldConfig& config);
    void AddInterface(const InterfaceConfig& config);
    void RemoveInterface(const std::string& name);
    void AddCamera(const std::string& interfaceName, const CameraConfig& config);
    void RemoveCamera(const std::string& deviceId);

    std::vector<std::string> InterfaceNames() const;
    std::shared_ptr<InterfaceHardware> FindInterface(const std::string& name) const;
    // The camera last built with this ID, present or vanished. Throws std::invalid_argument when
    // there is none.
    std::shared_ptr<CameraHardware> Camera(const std::string& deviceId) const;

private:
    using InterfaceList = std::vector<std::shared_ptr<InterfaceHardware>>;
    using CameraIndex = std::map<std::string, std::shared_ptr<CameraHardware>>;

    SimulatedWorld();

    // Builds into the given lists, throwing std::invalid_argument on a clash or a bad text.
    void BuildInterface(const InterfaceConfig& config, InterfaceList& interfaces,
                        CameraIndex& cameras) const;
    void BuildCamera(InterfaceHardware& iface, const CameraConfig& config,
                     CameraIndex& cameras) const;

    FaultInjector faults_;
    std::atomic<bool> pacing_{true};
    mutable std::mutex mutex_;
    InterfaceList interfaces_;  // the present ones
    CameraIndex cameras_;
};

}  // namespace Tevold::Sim
