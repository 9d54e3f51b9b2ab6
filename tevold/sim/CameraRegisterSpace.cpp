#include "tevold/sim/CameraRegisterSpace.h"

#include "tevold/CamResults.h"
#include "tevold/sim/CameraDescription.h"
#include "tevold/sim/ChunkLayout.h"
#include "tevold/sim/LittleEndian.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace Tevold::Sim {
namespace {

namespace Reg = CameraRegister;
using Kind = GenApiXmlWriter::Kind;

std::string Padded(const std::string& text, uint32_t length) {
    std::string content = text.substr(0, length);
    content.resize(length, '\0');
    return content;
}

uint64_t FloatBits(double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double BitsFloat(uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void RequireFits(const std::string& text) {
    if (text.size() >= Reg::kTextLength) {
        throw std::invalid_argument("camera text too long: " + text);
    }
}

bool IsHere(const CameraFeature& feature, Transport transport) {
    return feature.transport == Transport::Any || feature.transport == transport;
}

}  // namespace

CameraRegisterSpace::CameraRegisterSpace(const CameraConfig& identity, Transport transport)
    : identity_(identity), transport_(transport), description_(CameraDescription(transport)) {
    for (const std::string* text : {&identity.vendor, &identity.model, &identity.version,
                                    &identity.serialNumber, &identity.userName}) {
        RequireFits(*text);
    }
    for (const CameraFeature& feature : CameraFeatures()) {
        if (feature.computed || feature.isCommand() || feature.node.kind == Kind::Text ||
            !IsHere(feature, transport)) {
            continue;
        }
        const bool isFloat = feature.node.kind == Kind::Float;
        for (uint32_t index = 0; index < feature.selectorCount; ++index) {
            const uint64_t key = Key(feature.node.address, index);
            values_[key] = isFloat ? FloatBits(feature.defaultValue)
                                   : static_cast<uint64_t>(feature.defaultValue);
            if (feature.inUserSet) {
                userSetKeys_.push_back(key);
            }
        }
    }
    // Every camera sends its image whenever it sends chunks.
    values_[Key(Reg::kChunkEnable, Chunk::kImage)] = 1;
    for (Values& set : userSets_) {
        set = values_;
    }
    settings_.userId = identity.userName;
    Refresh();
}

uint32_t CameraRegisterSpace::IndexOf(const CameraFeature& feature) const {
    if (feature.selector.empty()) {
        return 0;
    }
    for (const CameraFeature& selector : CameraFeatures()) {
        if (selector.node.name == feature.selector) {
            const auto index = static_cast<uint32_t>(Stored(selector.node.address));
            return std::min(index, feature.selectorCount - 1);
        }
    }
    return 0;
}

uint64_t CameraRegisterSpace::Stored(uint64_t address, uint32_t index) const {
    const auto found = values_.find(Key(address, index));
    return found == values_.end() ? 0 : found->second;
}

double CameraRegisterSpace::StoredFloat(uint64_t address, uint32_t index) const {
    return BitsFloat(Stored(address, index));
}

void CameraRegisterSpace::StoreFloat(uint64_t address, uint32_t index, double value) {
    values_[Key(address, index)] = FloatBits(value);
}

uint64_t CameraRegisterSpace::Computed(const CameraFeature& feature, uint32_t index) const {
    const ImageFormat& format = settings_.format;
    const uint32_t widthMax = kSensorWidth / format.binningX;
    const uint32_t heightMax = kSensorHeight / format.binningY;
    switch (feature.node.address) {
        case Reg::kPayloadSize:
            return ChunkLayout(format.ImageSize(), settings_.chunkMode, settings_.chunkEnabled,
                               false)
                .PayloadSize();
        case Reg::kWidthMax:
            return widthMax;
        case Reg::kHeightMax:
            return heightMax;
        case Reg::kWidthLimit:
            return widthMax - format.offsetX;
        case Reg::kHeightLimit:
            return heightMax - format.offsetY;
        case Reg::kOffsetXLimit:
            return widthMax - format.width;
        case Reg::kOffsetYLimit:
            return heightMax - format.height;
        case Reg::kGainRaw:
            return static_cast<uint64_t>(std::lround(StoredFloat(Reg::kGain, index) * 10));
        case Reg::kGevCurrentIPAddress: {
            // 192.168.1.x, x from the serial number's last digits.
            const std::string& serial = identity_.serialNumber;
            uint32_t host = 0;
            for (const char c : serial) {
                host = (host * 31 + static_cast<uint8_t>(c)) % 250;
            }
            return 0xC0A80100u + host + 2;
        }
        default: {
            const auto found = measured_.find(feature.node.address);
            return found == measured_.end() ? 0 : found->second;
        }
    }
}

CamResult CameraRegisterSpace::Read(uint64_t address, void* buffer, size_t size) const {
    const CameraFeature* feature = nullptr;
    if (address >= Reg::kDescription && address - Reg::kDescription < description_.size()) {
        if (size == 0 || size > description_.size() - (address - Reg::kDescription)) {
            return Result::kInvalidParameter;
        }
        std::memcpy(buffer, description_.data() + (address - Reg::kDescription), size);
        return Result::kSuccess;
    }
    if (const CamResult located = Locate(address, size, &feature); located != Result::kSuccess) {
        return located;
    }
    if (feature->node.access == RegisterAccess::WriteOnly) {
        return Result::kAccessDenied;
    }
    const std::string content = Content(*feature);
    std::memcpy(buffer, content.data() + (address - feature->node.address), size);
    return Result::kSuccess;
}

CamResult CameraRegisterSpace::Write(uint64_t address, const void* buffer, size_t size,
                                     bool acquiring, RegisterEffect* effect) {
    *effect = RegisterEffect::None;
    if (address >= Reg::kDescription && address - Reg::kDescription < description_.size()) {
        return Result::kAccessDenied;
    }
    const CameraFeature* feature = nullptr;
    if (const CamResult located = Locate(address, size, &feature); located != Result::kSuccess) {
        return located;
    }
    if (feature->node.access == RegisterAccess::ReadOnly) {
        return Result::kAccessDenied;
    }
    if (feature->node.kind == Kind::Text) {
        std::string content = Content(*feature);
        content.replace(address - feature->node.address, size, static_cast<const char*>(buffer),
                        size);
        settings_.userId = content.substr(0, content.find('\0'));
        return Result::kSuccess;
    }
    return StoreNumber(*feature, std::string(static_cast<const char*>(buffer), size), acquiring,
                       effect);
}

CamResult CameraRegisterSpace::Locate(uint64_t address, size_t size,
                                      const CameraFeature** found) const {
    for (const CameraFeature& feature : CameraFeatures()) {
        const uint64_t start = feature.node.address;
        if (!IsHere(feature, transport_) || address < start ||
            address - start >= feature.node.length) {
            continue;
        }
        const uint64_t offset = address - start;
        const bool partial = feature.node.kind == Kind::Text;
        const bool fits = partial ? size > 0 && size <= feature.node.length - offset
                                  : offset == 0 && size == feature.node.length;
        if (!fits) {
            return Result::kInvalidParameter;
        }
        *found = &feature;
        return Result::kSuccess;
    }
    return Result::kIo;
}

std::string CameraRegisterSpace::Content(const CameraFeature& feature) const {
    const uint32_t length = feature.node.length;
    switch (feature.node.address) {
        case Reg::kVendorName:
            return Padded(identity_.vendor, length);
        case Reg::kModelName:
            return Padded(identity_.model, length);
        case Reg::kDeviceVersion:
            return Padded(identity_.version, length);
        case Reg::kSerialNumber:
            return Padded(identity_.serialNumber, length);
        case Reg::kUserId:
            return Padded(settings_.userId, length);
        default:
            break;
    }
    const uint32_t index = IndexOf(feature);
    const uint64_t bits =
        feature.computed ? Computed(feature, index) : Stored(feature.node.address, index);
    std::string content(length, '\0');
    if (length == 8) {
        StoreLittleEndian(content.data(), bits);
    } else {
        StoreLittleEndian(content.data(), static_cast<uint32_t>(bits));
    }
    return content;
}

CamResult CameraRegisterSpace::Validate(const CameraFeature& feature, uint64_t bits) const {
    const GenApiXmlWriter::Feature& node = feature.node;
    switch (node.kind) {
        case Kind::Command:
            return bits == kCommandValue ? Result::kSuccess : Result::kInvalidParameter;
        case Kind::Boolean:
            return bits <= 1 ? Result::kSuccess : Result::kInvalidParameter;
        case Kind::Enumeration: {
            const bool known = std::any_of(node.entries.begin(), node.entries.end(),
                                           [&](const auto& entry) { return entry.second == bits; });
            return known ? Result::kSuccess : Result::kInvalidParameter;
        }
        case Kind::Float: {
            const double value = BitsFloat(bits);
            return value >= node.min && value <= node.max ? Result::kSuccess
                                                          : Result::kInvalidParameter;
        }
        case Kind::Integer: {
            double max = node.max;
            if (!node.pMax.empty()) {
                for (const CameraFeature& limit : CameraFeatures()) {
                    if (limit.node.name == node.pMax) {
                        max = static_cast<double>(Computed(limit, 0));
                    }
                }
            }
            const auto value = static_cast<double>(bits);
            const auto step = static_cast<uint64_t>(std::max(node.inc, 1.0));
            const bool onGrid = (bits - static_cast<uint64_t>(node.min)) % step == 0;
            return value >= node.min && value <= max && onGrid ? Result::kSuccess
                                                               : Result::kInvalidParameter;
        }
        case Kind::Text:
            break;
    }
    return Result::kSuccess;
}

CamResult CameraRegisterSpace::StoreNumber(const CameraFeature& feature, const std::string& content,
                                           bool acquiring, RegisterEffect* effect) {
    // A consumer sizes its buffers from the format; it must not change under a running stream.
    if (feature.formatLocked && (acquiring || settings_.tlParamsLocked != 0)) {
        return Result::kAccessDenied;
    }
    const uint64_t address = feature.node.address;
    const uint64_t bits = feature.node.length == 8 ? LoadLittleEndian<uint64_t>(content.data())
                                                   : LoadLittleEndian<uint32_t>(content.data());
    if (const CamResult valid = Validate(feature, bits); valid != Result::kSuccess) {
        return valid;
    }
    const uint32_t index = IndexOf(feature);
    switch (address) {
        case Reg::kBinningHorizontal:
        case Reg::kBinningVertical:
            if (bits != 1 && bits != 2 && bits != 4) {
                return Result::kInvalidParameter;
            }
            Rebin(address, static_cast<uint32_t>(bits));
            break;
        case Reg::kChunkEnable:
            if (index == Chunk::kImage && bits == 0) {
                return Result::kInvalidParameter;
            }
            values_[Key(address, index)] = bits;
            break;
        case Reg::kGainRaw:
            StoreFloat(Reg::kGain, index, static_cast<double>(bits) / 10);
            break;
        case Reg::kAcquisitionStart:
            *effect = RegisterEffect::StartAcquisition;
            return Result::kSuccess;
        case Reg::kAcquisitionStop:
            *effect = RegisterEffect::StopAcquisition;
            return Result::kSuccess;
        case Reg::kTriggerSoftware:
            *effect = RegisterEffect::TriggerSoftware;
            return Result::kSuccess;
        case Reg::kTimestampLatch:
            *effect = RegisterEffect::TimestampLatch;
            return Result::kSuccess;
        case Reg::kTimestampReset:
            *effect = RegisterEffect::TimestampReset;
            return Result::kSuccess;
        case Reg::kDeviceReset:
            *effect = RegisterEffect::DeviceReset;
            return Result::kSuccess;
        case Reg::kUserSetSave: {
            const auto set = static_cast<uint32_t>(Stored(Reg::kUserSetSelector));
            if (set == UserSet::kDefault) {
                return Result::kAccessDenied;
            }
            for (const uint64_t key : userSetKeys_) {
                userSets_[set][key] = values_.at(key);
            }
            return Result::kSuccess;
        }
        case Reg::kUserSetLoad: {
            if (acquiring) {
                return Result::kAccessDenied;
            }
            LoadUserSet(static_cast<uint32_t>(Stored(Reg::kUserSetSelector)));
            *effect = RegisterEffect::ImageChanged;
            return Result::kSuccess;
        }
        default:
            values_[Key(address, index)] = bits;
            break;
    }
    Refresh();
    if (feature.changesImage || feature.formatLocked) {
        *effect = RegisterEffect::ImageChanged;
    }
    return Result::kSuccess;
}

void CameraRegisterSpace::Rebin(uint64_t binningAddress, uint32_t binning) {
    // The window keeps covering the same part of the sensor, as far as the grid allows.
    const bool horizontal = binningAddress == Reg::kBinningHorizontal;
    const uint64_t sizeAddress = horizontal ? Reg::kWidth : Reg::kHeight;
    const uint64_t offsetAddress = horizontal ? Reg::kOffsetX : Reg::kOffsetY;
    const uint32_t increment = horizontal ? kWidthIncrement : kHeightIncrement;
    const uint32_t minimum = horizontal ? kMinWidth : kMinHeight;
    const uint32_t sensor = horizontal ? kSensorWidth : kSensorHeight;
    const auto old = static_cast<uint32_t>(Stored(binningAddress));
    const auto scale = [&](uint64_t value) {
        return static_cast<uint32_t>(value * old / binning / increment * increment);
    };
    const uint32_t limit = sensor / binning;
    const uint32_t size = std::clamp(scale(Stored(sizeAddress)), minimum, limit);
    const uint32_t offset = std::min(scale(Stored(offsetAddress)), limit - size);
    values_[Key(binningAddress, 0)] = binning;
    values_[Key(sizeAddress, 0)] = size;
    values_[Key(offsetAddress, 0)] = offset / increment * increment;
}

void CameraRegisterSpace::ReleaseTransportLock() {
    values_[Key(Reg::kTLParamsLocked, 0)] = 0;
    Refresh();
}

void CameraRegisterSpace::SetExposureTime(double microseconds) {
    StoreFloat(Reg::kExposureTime, 0, std::clamp(microseconds, kMinExposureTime, kMaxExposureTime));
    Refresh();
}

void CameraRegisterSpace::SetGain(double decibels) {
    StoreFloat(Reg::kGain, Gain::kAll, std::clamp(decibels, 0.0, Gain::kMax));
    Refresh();
}

void CameraRegisterSpace::SetAutoOff(uint64_t address) {
    values_[Key(address, 0)] = kAutoOff;
    Refresh();
}

void CameraRegisterSpace::LoadStartupSet() {
    LoadUserSet(static_cast<uint32_t>(Stored(Reg::kUserSetDefault)));
}

void CameraRegisterSpace::LoadUserSet(uint32_t set) {
    for (const uint64_t key : userSetKeys_) {
        values_[key] = userSets_[set].at(key);
    }
    Refresh();
}

void CameraRegisterSpace::Refresh() {
    CameraSettings& s = settings_;
    const auto u32 = [&](uint64_t address, uint32_t index = 0) {
        return static_cast<uint32_t>(Stored(address, index));
    };
    s.format.width = u32(Reg::kWidth);
    s.format.height = u32(Reg::kHeight);
    s.format.pixelFormat = u32(Reg::kPixelFormat);
    s.format.offsetX = u32(Reg::kOffsetX);
    s.format.offsetY = u32(Reg::kOffsetY);
    s.format.binningX = u32(Reg::kBinningHorizontal);
    s.format.binningY = u32(Reg::kBinningVertical);
    s.format.reverseX = u32(Reg::kReverseX) != 0;
    s.format.reverseY = u32(Reg::kReverseY) != 0;
    s.testPattern = u32(Reg::kTestPattern);
    s.response.exposureTime = StoredFloat(Reg::kExposureTime);
    for (uint32_t gain = 0; gain < Gain::kCount; ++gain) {
        s.response.gain[gain] = StoredFloat(Reg::kGain, gain);
    }
    s.response.blackLevel = StoredFloat(Reg::kBlackLevel);
    s.response.gamma = StoredFloat(Reg::kGamma);
    s.acquisitionMode = u32(Reg::kAcquisitionMode);
    s.frameCount = u32(Reg::kAcquisitionFrameCount);
    s.frameRateEnabled = u32(Reg::kAcquisitionFrameRateEnable) != 0;
    s.frameRate = StoredFloat(Reg::kAcquisitionFrameRate);
    s.triggerSelector = u32(Reg::kTriggerSelector);
    for (uint32_t trigger = 0; trigger < Trigger::kCount; ++trigger) {
        s.trigger[trigger] = {
            u32(Reg::kTriggerMode, trigger) != 0, u32(Reg::kTriggerSource, trigger),
            u32(Reg::kTriggerActivation, trigger), StoredFloat(Reg::kTriggerDelay, trigger)};
    }
    s.exposureAuto = u32(Reg::kExposureAuto);
    s.gainAuto = u32(Reg::kGainAuto);
    s.chunkMode = u32(Reg::kChunkModeActive) != 0;
    for (uint32_t chunk = 0; chunk < Chunk::kCount; ++chunk) {
        s.chunkEnabled[chunk] = u32(Reg::kChunkEnable, chunk) != 0;
    }
    for (uint32_t event = 0; event < Event::kCount; ++event) {
        s.eventEnabled[event] = u32(Reg::kEventNotification, event) != 0;
    }
    s.throughputLimit =
        transport_ == Transport::Usb3Vision ? u32(Reg::kDeviceLinkThroughputLimit) : 0;
    s.tlParamsLocked = u32(Reg::kTLParamsLocked);
}

}  // namespace Tevold::Sim
