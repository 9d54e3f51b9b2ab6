#include "tevold/sim/CameraRegisterSpace.h"

#include "tevold/CamResults.h"
#include "tevold/sim/CameraDescription.h"
#include "tevold/sim/LittleEndian.h"

#include <cstring>
#include <stdexcept>

namespace Tevold::Sim {
namespace {

std::string Padded(const std::string& text, uint32_t length) {
    std::string content = text.substr(0, length);
    content.resize(length, '\0');
    return content;
}

std::string Encoded(uint32_t value) {
    std::string content(sizeof value, '\0');
    StoreLittleEndian(content.data(), value);
    return content;
}

std::string Encoded(double value) {
    std::string content(sizeof value, '\0');
    StoreLittleEndianDouble(content.data(), value);
    return content;
}

bool IsOnGrid(uint32_t value, uint32_t min, uint32_t max, uint32_t increment) {
    return value >= min && value <= max && (value - min) % increment == 0;
}

void RequireFits(const std::string& text) {
    if (text.size() >= CameraRegister::kTextLength) {
        throw std::invalid_argument("camera text too long: " + text);
    }
}

}  // namespace

CameraRegisterSpace::CameraRegisterSpace(const CameraConfig& identity) : identity_(identity) {
    for (const std::string* text : {&identity.vendor, &identity.model, &identity.version,
                                    &identity.serialNumber, &identity.userName}) {
        RequireFits(*text);
    }
    using Access = RegisterAccess;
    const uint32_t text = CameraRegister::kTextLength;
    const auto descriptionLength = static_cast<uint32_t>(CameraDescription().size());
    registers_ = {
        {Field::VendorName, CameraRegister::kVendorName, text, Access::ReadOnly, true},
        {Field::ModelName, CameraRegister::kModelName, text, Access::ReadOnly, true},
        {Field::DeviceVersion, CameraRegister::kDeviceVersion, text, Access::ReadOnly, true},
        {Field::SerialNumber, CameraRegister::kSerialNumber, text, Access::ReadOnly, true},
        {Field::UserId, CameraRegister::kUserId, text, Access::ReadWrite, true},
        {Field::Width, CameraRegister::kWidth, 4, Access::ReadWrite, false},
        {Field::Height, CameraRegister::kHeight, 4, Access::ReadWrite, false},
        {Field::PixelFormat, CameraRegister::kPixelFormat, 4, Access::ReadWrite, false},
        {Field::PayloadSize, CameraRegister::kPayloadSize, 4, Access::ReadOnly, false},
        {Field::TestPattern, CameraRegister::kTestPattern, 4, Access::ReadWrite, false},
        {Field::AcquisitionMode, CameraRegister::kAcquisitionMode, 4, Access::ReadWrite, false},
        {Field::AcquisitionStart, CameraRegister::kAcquisitionStart, 4, Access::WriteOnly, false},
        {Field::AcquisitionStop, CameraRegister::kAcquisitionStop, 4, Access::WriteOnly, false},
        {Field::TLParamsLocked, CameraRegister::kTLParamsLocked, 4, Access::ReadWrite, false},
        {Field::AcquisitionFrameRate, CameraRegister::kAcquisitionFrameRate, 8, Access::ReadWrite,
         false},
        {Field::Description, CameraRegister::kDescription, descriptionLength, Access::ReadOnly,
         true},
    };
    settings_.userId = identity.userName;
}

CamResult CameraRegisterSpace::Read(uint64_t address, void* buffer, size_t size) const {
    const Register* reg = nullptr;
    if (const CamResult located = Locate(address, size, &reg); located != Result::kSuccess) {
        return located;
    }
    if (reg->access == RegisterAccess::WriteOnly) {
        return Result::kAccessDenied;
    }
    const std::string content = Content(*reg);
    std::memcpy(buffer, content.data() + (address - reg->address), size);
    return Result::kSuccess;
}

CamResult CameraRegisterSpace::Write(uint64_t address, const void* buffer, size_t size,
                                     bool acquiring, RegisterEffect* effect) {
    *effect = RegisterEffect::None;
    const Register* reg = nullptr;
    if (const CamResult located = Locate(address, size, &reg); located != Result::kSuccess) {
        return located;
    }
    if (reg->access == RegisterAccess::ReadOnly) {
        return Result::kAccessDenied;
    }
    std::string content = reg->partialAccess ? Content(*reg) : std::string(reg->length, '\0');
    content.replace(address - reg->address, size, static_cast<const char*>(buffer), size);
    return Store(*reg, content, acquiring, effect);
}

CamResult CameraRegisterSpace::Locate(uint64_t address, size_t size, const Register** found) const {
    for (const Register& reg : registers_) {
        if (address < reg.address || address - reg.address >= reg.length) {
            continue;
        }
        const uint64_t offset = address - reg.address;
        const bool fits = reg.partialAccess ? size > 0 && size <= reg.length - offset
                                            : offset == 0 && size == reg.length;
        if (!fits) {
            return Result::kInvalidParameter;
        }
        *found = &reg;
        return Result::kSuccess;
    }
    return Result::kIo;
}

std::string CameraRegisterSpace::Content(const Register& reg) const {
    switch (reg.field) {
        case Field::VendorName:
            return Padded(identity_.vendor, reg.length);
        case Field::ModelName:
            return Padded(identity_.model, reg.length);
        case Field::DeviceVersion:
            return Padded(identity_.version, reg.length);
        case Field::SerialNumber:
            return Padded(identity_.serialNumber, reg.length);
        case Field::UserId:
            return Padded(settings_.userId, reg.length);
        case Field::Width:
            return Encoded(settings_.format.width);
        case Field::Height:
            return Encoded(settings_.format.height);
        case Field::PixelFormat:
            return Encoded(settings_.format.pixelFormat);
        case Field::PayloadSize:
            return Encoded(static_cast<uint32_t>(settings_.format.PayloadSize()));
        case Field::TestPattern:
            return Encoded(settings_.testPattern);
        case Field::AcquisitionMode:
            return Encoded(settings_.acquisitionMode);
        case Field::TLParamsLocked:
            return Encoded(settings_.tlParamsLocked);
        case Field::AcquisitionFrameRate:
            return Encoded(settings_.frameRate);
        case Field::Description:
            return CameraDescription();
        case Field::AcquisitionStart:
        case Field::AcquisitionStop:
            break;
    }
    return std::string(reg.length, '\0');
}

CamResult CameraRegisterSpace::Store(const Register& reg, const std::string& content,
                                     bool acquiring, RegisterEffect* effect) {
    if (reg.field == Field::UserId) {
        settings_.userId = content.substr(0, content.find('\0'));
        return Result::kSuccess;
    }
    if (reg.field == Field::AcquisitionFrameRate) {
        const double frameRate = LoadLittleEndianDouble(content.data());
        if (!(frameRate >= kMinFrameRate && frameRate <= kMaxFrameRate)) {
            return Result::kInvalidParameter;
        }
        settings_.frameRate = frameRate;
        return Result::kSuccess;
    }
    return StoreInteger(reg.field, LoadLittleEndian<uint32_t>(content.data()), acquiring, effect);
}

CamResult CameraRegisterSpace::StoreInteger(Field field, uint32_t value, bool acquiring,
                                            RegisterEffect* effect) {
    // A consumer sizes its buffers from the format; it must not change under a running stream.
    const bool formatFrozen = acquiring || settings_.tlParamsLocked != 0;
    switch (field) {
        case Field::Width:
        case Field::Height: {
            if (formatFrozen) {
                return Result::kAccessDenied;
            }
            const bool valid = field == Field::Width
                                   ? IsOnGrid(value, kMinWidth, kMaxWidth, kWidthIncrement)
                                   : IsOnGrid(value, kMinHeight, kMaxHeight, kHeightIncrement);
            if (!valid) {
                return Result::kInvalidParameter;
            }
            (field == Field::Width ? settings_.format.width : settings_.format.height) = value;
            *effect = RegisterEffect::ImageChanged;
            return Result::kSuccess;
        }
        case Field::PixelFormat:
            if (formatFrozen) {
                return Result::kAccessDenied;
            }
            if (BytesPerPixel(value) == 0) {
                return Result::kInvalidParameter;
            }
            settings_.format.pixelFormat = value;
            *effect = RegisterEffect::ImageChanged;
            return Result::kSuccess;
        case Field::TestPattern:
            if (value > TestPattern::kGreyHorizontalRampMoving) {
                return Result::kInvalidParameter;
            }
            settings_.testPattern = value;
            *effect = RegisterEffect::ImageChanged;
            return Result::kSuccess;
        case Field::AcquisitionMode:
            if (formatFrozen) {
                return Result::kAccessDenied;
            }
            if (value != kAcquisitionModeContinuous) {
                return Result::kInvalidParameter;
            }
            settings_.acquisitionMode = value;
            return Result::kSuccess;
        case Field::AcquisitionStart:
        case Field::AcquisitionStop:
            if (value != kCommandValue) {
                return Result::kInvalidParameter;
            }
            *effect = field == Field::AcquisitionStart ? RegisterEffect::StartAcquisition
                                                       : RegisterEffect::StopAcquisition;
            return Result::kSuccess;
        case Field::TLParamsLocked:
            if (value > 1) {
                return Result::kInvalidParameter;
            }
            settings_.tlParamsLocked = value;
            return Result::kSuccess;
        default:
            return Result::kAccessDenied;
    }
}

}  // namespace Tevold::Sim
