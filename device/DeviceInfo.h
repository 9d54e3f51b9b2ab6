// The record of one discovered camera: the texts its interface and device report, and the
// name test that selects it by ID, "USERNAME->" name or "SN->" serial number.
#pragma once

#include <cstdint>
#include <string>

#include "GenTL.h"

namespace GenICam::Client {

struct CDeviceInfo {
    uint32_t accessStatus = 0;
    std::string vendor;
    std::string model;
    std::string interfaceName;
    std::string serialNumber;
    std::string userDefinedName;
    std::string id;
    std::string tlType;
    std::string version;
    std::string libraryId;
    std::string backendName;
    std::string location;

    // The ID up to its first zero character.
    std::string GetID() const;
    // model " (" serial ")"
    std::string GetDisplayName() const;
    // The copy an opened device keeps: everything but the custom texts.
    CDeviceInfo CopyForOpenDevice() const;
    // Case-insensitive: "[anything::]NAME[::rest]" where NAME is the ID, "USERNAME->" and the
    // user-defined name, or "SN->" and the serial number.
    bool Matches(const std::string& request) const;

    // The answers both the interface and the device give for the commands they share.
    void GetCommonInfo(GenTL::DEVICE_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                       size_t* size) const;
    static bool IsCommonCommand(GenTL::DEVICE_INFO_CMD command);
};

}  // namespace GenICam::Client
