#include "interface/InterfaceInfo.h"

#include "common/GenICamException.h"
#include "common/Helper.h"

namespace GenICam::Client {

namespace {
const std::string kSeparator = "::";
}

CInterfaceInfo::CInterfaceInfo(std::string prefix, std::string mac, std::string description,
                               std::string tlType)
    : prefix_(std::move(prefix)),
      mac_(std::move(mac)),
      description_(std::move(description)),
      tlType_(std::move(tlType)) {}

void CInterfaceInfo::GetInfo(GenTL::INTERFACE_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                             void* buffer, size_t* size) const {
    switch (command) {
        case GenTL::INTERFACE_INFO_ID:
            return CopyInfoString(buffer, size, type, GetID());
        case GenTL::INTERFACE_INFO_DISPLAYNAME:
            return CopyInfoString(buffer, size, type, description_);
        case GenTL::INTERFACE_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, tlType_);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid InterfaceInfoID %d", command);
    }
}

std::string CInterfaceInfo::GetID() const { return prefix_ + kSeparator + mac_; }

void CInterfaceInfo::Parse(const std::string& networkInterfaceId) {
    constexpr size_t kPrefixLength = 2;
    constexpr size_t kMacOffset = 9;  // the prefix, "::" and five skipped characters
    if (networkInterfaceId.find(kSeparator) != kPrefixLength)
        GENICAM_THROW(RuntimeException, "NI ID is missing Prefix entry");
    prefix_ = networkInterfaceId.substr(0, kPrefixLength);
    const size_t second = networkInterfaceId.find(kSeparator, kPrefixLength + 2);
    if (second == std::string::npos || second <= kMacOffset)
        GENICAM_THROW(RuntimeException, "NI ID is missing MAC entry");
    mac_ = networkInterfaceId.substr(kMacOffset, second - kMacOffset);
    const size_t descriptionStart = second + 2;
    const size_t third = networkInterfaceId.find(kSeparator, descriptionStart);
    if (third == descriptionStart || descriptionStart >= networkInterfaceId.size())
        GENICAM_THROW(RuntimeException, "NI ID is missing Description entry");
    description_ = networkInterfaceId.substr(descriptionStart, third == std::string::npos
                                                                   ? std::string::npos
                                                                   : third - descriptionStart);
}

bool CInterfaceInfo::Matches(const std::string& request) const {
    const size_t separator = request.find(kSeparator);
    size_t nameStart = 0;
    if (separator != std::string::npos) {
        if (separator > 0 && ToUpper(request.substr(0, separator)) != prefix_) return false;
        nameStart = separator + kSeparator.size();
    }
    const size_t nameEnd = request.find(kSeparator, nameStart);
    const std::string name = request.substr(
        nameStart, nameEnd == std::string::npos ? std::string::npos : nameEnd - nameStart);
    if (name.empty()) GENICAM_THROW(RuntimeException, "Invalid Device Name");
    return ToUpper(name) == ToUpper(mac_);
}

}  // namespace GenICam::Client
