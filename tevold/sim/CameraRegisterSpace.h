#pragma once

#include "camlib/CamLib.h"
#include "tevold/GenApiXmlWriter.h"
#include "tevold/SimControl.h"
#include "tevold/sim/CameraSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tevold::Sim {

// What a register write asks the rest of the camera to do.
enum class RegisterEffect { None, StartAcquisition, StopAcquisition, ImageChanged };

// A camera's registers as its register description describes them: which addresses exist, how
// they may be accessed, and how their bytes map to the camera's settings. Not thread-safe: the
// camera serialises access.
class CameraRegisterSpace {
public:
    // Throws std::invalid_argument when a text does not fit its register.
    explicit CameraRegisterSpace(const CameraConfig& identity);

    const CameraSettings& Settings() const { return settings_; }
    CamResult Read(uint64_t address, void* buffer, size_t size) const;
    // acquiring: whether the camera is producing images, which freezes the image format.
    CamResult Write(uint64_t address, const void* buffer, size_t size, bool acquiring,
                    RegisterEffect* effect);
    // What the camera does when its controlling application goes away.
    void ReleaseTransportLock() { settings_.tlParamsLocked = 0; }

private:
    enum class Field {
        VendorName,
        ModelName,
        DeviceVersion,
        SerialNumber,
        UserId,
        Width,
        Height,
        PixelFormat,
        PayloadSize,
        TestPattern,
        AcquisitionMode,
        AcquisitionStart,
        AcquisitionStop,
        TLParamsLocked,
        AcquisitionFrameRate,
        Description,
    };

    struct Register {
        Field field;
        uint64_t address;
        uint32_t length;
        RegisterAccess access;
        bool partialAccess;  // texts and the description may be accessed in parts
    };

    CamResult Locate(uint64_t address, size_t size, const Register** found) const;
    std::string Content(const Register& reg) const;
    CamResult Store(const Register& reg, const std::string& content, bool acquiring,
                    RegisterEffect* effect);
    CamResult StoreInteger(Field field, uint32_t value, bool acquiring, RegisterEffect* effect);

    CameraConfig identity_;
    CameraSettings settings_;
    std::vector<Register> registers_;
};

}  // namespace Tevold::Sim
