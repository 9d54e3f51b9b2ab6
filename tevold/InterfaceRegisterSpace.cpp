#include "tevold/InterfaceRegisterSpace.h"

#include "tevold/CamResults.h"
#include "tevold/GenApiXmlWriter.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace Tevold {
namespace {

std::string BuildDescription() {
    GenApiXmlWriter writer({"TevoldInterface", "Tevold", "Camera interface",
                            "5e7d2a90-1c4b-4f3e-8d6a-7b2c9e0f1a03",
                            "9a4c1e7b-2d5f-4a8c-b3e6-0f7d1c2b5a04"});
    writer.AddCategory("Root", {"InterfaceInformation"});
    writer.AddCategory("InterfaceInformation",
                       {"InterfaceID", "InterfaceType", "InterfaceIDPrefix"});
    writer.AddString("InterfaceID", "Name of the interface", InterfaceRegister::kInterfaceId,
                     InterfaceRegister::kInterfaceIdLength, RegisterAccess::ReadOnly);
    writer.AddString("InterfaceType", "Transport layer type of the interface",
                     InterfaceRegister::kTLType, InterfaceRegister::kTLTypeLength,
                     RegisterAccess::ReadOnly);
    writer.AddString("InterfaceIDPrefix", "Prefix of the interface's IDs",
                     InterfaceRegister::kIdPrefix, InterfaceRegister::kIdPrefixLength,
                     RegisterAccess::ReadOnly);
    return writer.Finish();
}

const std::string& InterfaceDescription() {
    static const std::string description = BuildDescription();
    return description;
}

}  // namespace

std::string InterfaceDescriptionUrl() {
    char url[96];
    std::snprintf(url, sizeof url, "Local:TevoldInterface.xml;%llx;%zx",
                  static_cast<unsigned long long>(InterfaceRegister::kDescription),
                  InterfaceDescription().size());
    return url;
}

InterfaceRegisterSpace::InterfaceRegisterSpace(const std::string& name, const std::string& idPrefix,
                                               const std::string& tlType) {
    const std::string& description = InterfaceDescription();
    bytes_.assign(InterfaceRegister::kDescription + description.size(), 0);
    std::memcpy(&bytes_[InterfaceRegister::kDescription], description.data(), description.size());
    Place(InterfaceRegister::kIdPrefix, InterfaceRegister::kIdPrefixLength, idPrefix);
    Place(InterfaceRegister::kDescriptionUrl, InterfaceRegister::kDescriptionUrlLength,
          InterfaceDescriptionUrl());
    Place(InterfaceRegister::kTLType, InterfaceRegister::kTLTypeLength, tlType);
    Place(InterfaceRegister::kInterfaceId, InterfaceRegister::kInterfaceIdLength, name);
}

CamResult InterfaceRegisterSpace::Read(uint64_t address, void* buffer, size_t size) const {
    if (!Contains(address, size)) {
        return Result::kIo;
    }
    std::memcpy(buffer, &bytes_[address], size);
    return Result::kSuccess;
}

CamResult InterfaceRegisterSpace::Write(uint64_t address, size_t size) const {
    return Contains(address, size) ? Result::kAccessDenied : Result::kIo;
}

bool InterfaceRegisterSpace::Contains(uint64_t address, size_t size) const {
    return address < bytes_.size() && size <= bytes_.size() - address;
}

void InterfaceRegisterSpace::Place(uint64_t address, uint32_t fieldLength,
                                   const std::string& text) {
    if (text.size() >= fieldLength) {
        throw std::invalid_argument("interface text too long: " + text);
    }
    std::memcpy(&bytes_[address], text.data(), text.size());
}

}  // namespace Tevold
