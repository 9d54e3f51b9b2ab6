#pragma once

#include "camlib/CamLib.h"
#include "tevold/SimControl.h"
#include "tevold/sim/CameraFeatureTable.h"
#include "tevold/sim/CameraSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Tevold::Sim {

// What a register write asks the rest of the camera to do.
enum class RegisterEffect {
    None,
    StartAcquisition,
    StopAcquisition,
    ImageChanged,
    TriggerSoftware,  // of the trigger Settings().triggerSelector names
    TimestampLatch,
    TimestampReset,
    DeviceReset,
};

// A camera's registers as its register description describes them (both come from the feature
// table): which addresses exist, how they may be accessed, and how their bytes map to the
// camera's settings. Not thread-safe: the camera serialises access.
class CameraRegisterSpace {
public:
    // Throws std::invalid_argument when a text does not fit its register.
    CameraRegisterSpace(const CameraConfig& identity, Transport transport);

    const CameraSettings& Settings() const { return settings_; }
    CamResult Read(uint64_t address, void* buffer, size_t size) const;
    // acquiring: whether the camera is producing images, which freezes the image format.
    CamResult Write(uint64_t address, const void* buffer, size_t size, bool acquiring,
                    RegisterEffect* effect);
    // What the camera does when its controlling application goes away.
    void ReleaseTransportLock();
    // Values the camera measures itself (temperature, latched timestamp).
    void SetMeasured(uint64_t address, uint64_t bits) { measured_[address] = bits; }
    // Settings the camera changes itself (its auto modes).
    void SetExposureTime(double microseconds);
    void SetGain(double decibels);  // GainSelector All
    void SetAutoOff(uint64_t address);
    // The user set UserSetDefault names, as after power-up.
    void LoadStartupSet();

private:
    using Values = std::map<uint64_t, uint64_t>;  // by Key: an integer or a double's bits

    static uint64_t Key(uint64_t address, uint32_t index) { return address << 4 | index; }
    uint32_t IndexOf(const CameraFeature& feature) const;
    uint64_t Stored(uint64_t address, uint32_t index = 0) const;
    double StoredFloat(uint64_t address, uint32_t index = 0) const;
    void StoreFloat(uint64_t address, uint32_t index, double value);
    uint64_t Computed(const CameraFeature& feature, uint32_t index) const;
    void LoadUserSet(uint32_t set);
    CamResult Locate(uint64_t address, size_t size, const CameraFeature** found) const;
    std::string Content(const CameraFeature& feature) const;
    CamResult StoreNumber(const CameraFeature& feature, const std::string& content, bool acquiring,
                          RegisterEffect* effect);
    CamResult Validate(const CameraFeature& feature, uint64_t bits) const;
    void Rebin(uint64_t binningAddress, uint32_t binning);
    void Refresh();

    CameraConfig identity_;
    Transport transport_;
    std::string description_;
    CameraSettings settings_;
    Values values_;
    Values measured_;
    std::array<Values, UserSet::kCount> userSets_;
    // The registers of this transport's camera that a user set holds.
    std::vector<uint64_t> userSetKeys_;
};

}  // namespace Tevold::Sim
