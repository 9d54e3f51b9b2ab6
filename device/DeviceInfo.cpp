#include "device/DeviceInfo.h"

#include "common/GenICamException.h"
#include "common/Helper.h"

namespace GenICam::Client {

namespace {
const std::string kSeparator = "::";
const std::string kUserNameMarker = "USERNAME->";
const std::string kSerialMarker = "SN->";
// Device timestamps are nanoseconds.
constexpr uint64_t kTimestampFrequency = 1000000000;

bool StartsWith(const std::string& text, const std::string& start) {
    return text.rfind(start, 0) == 0;
}
}  // namespace

std::string CDeviceInfo::GetID() const { return id.c_str(); }

std::string CDeviceInfo::GetDisplayName() const { return model + " (" + serialNumber + ")"; }

CDeviceInfo CDeviceInfo::CopyForOpenDevice() const {
    CDeviceInfo copy = *this;
    copy.libraryId.clear();
    copy.interfaceName.clear();
    copy.location.clear();
    copy.backendName.clear();
    return copy;
}

bool CDeviceInfo::Matches(const std::string& request) const {
    const size_t separator = request.find(kSeparator);
    const size_t start = separator == std::string::npos ? 0 : separator + kSeparator.size();
    const size_t end = request.find(kSeparator, start);
    const std::string name =
        ToUpper(request.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (name.empty()) GENICAM_THROW(InvalidParameterException, "Invalid Device Name");
    if (StartsWith(name, kUserNameMarker))
        return name.substr(kUserNameMarker.size()) == ToUpper(userDefinedName);
    if (StartsWith(name, kSerialMarker))
        return name.substr(kSerialMarker.size()) == ToUpper(serialNumber);
    return name == ToUpper(GetID());
}

bool CDeviceInfo::IsCommonCommand(GenTL::DEVICE_INFO_CMD command) {
    switch (command) {
        case GenTL::DEVICE_INFO_ID:
        case GenTL::DEVICE_INFO_VENDOR:
        case GenTL::DEVICE_INFO_MODEL:
        case GenTL::DEVICE_INFO_TLTYPE:
        case GenTL::DEVICE_INFO_DISPLAYNAME:
        case GenTL::DEVICE_INFO_USER_DEFINED_NAME:
        case GenTL::DEVICE_INFO_SERIAL_NUMBER:
        case GenTL::DEVICE_INFO_VERSION:
        case GenTL::DEVICE_INFO_TIMESTAMP_FREQUENCY:
            return true;
        default:
            return false;
    }
}

void CDeviceInfo::GetCommonInfo(GenTL::DEVICE_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                                void* buffer, size_t* size) const {
    switch (command) {
        case GenTL::DEVICE_INFO_ID:
            return CopyInfoString(buffer, size, type, GetID());
        case GenTL::DEVICE_INFO_VENDOR:
            return CopyInfoString(buffer, size, type, vendor);
        case GenTL::DEVICE_INFO_MODEL:
            return CopyInfoString(buffer, size, type, model);
        case GenTL::DEVICE_INFO_TLTYPE:
            return CopyInfoString(buffer, size, type, tlType);
        case GenTL::DEVICE_INFO_DISPLAYNAME:
            return CopyInfoString(buffer, size, type, GetDisplayName());
        case GenTL::DEVICE_INFO_USER_DEFINED_NAME:
            return CopyInfoString(buffer, size, type, userDefinedName);
        case GenTL::DEVICE_INFO_SERIAL_NUMBER:
            return CopyInfoString(buffer, size, type, serialNumber);
        case GenTL::DEVICE_INFO_VERSION:
            return CopyInfoString(buffer, size, type, version);
        case GenTL::DEVICE_INFO_TIMESTAMP_FREQUENCY:
            return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                  kTimestampFrequency);
        default:
            GENICAM_THROW(InvalidParameterException, "Invalid device info Id %d", command);
    }
}

}  // namespace GenICam::Client
