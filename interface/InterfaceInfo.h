// The record of one discovered interface: its ID parts, display description and TL type.
#pragma once

#include <string>

#include "GenTL.h"

namespace GenICam::Client {

class CInterfaceInfo {
public:
    CInterfaceInfo() = default;
    CInterfaceInfo(std::string prefix, std::string mac, std::string description,
                   std::string tlType);

    void GetInfo(GenTL::INTERFACE_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size) const;
    // prefix "::" mac
    std::string GetID() const;
    // Fills prefix, mac and description from a network-interface ID
    // "PP::xxxxxMAC::Description[::anything]".
    void Parse(const std::string& networkInterfaceId);
    // Whether a requested name selects this record: the full ID or the MAC entry alone, in any
    // letter case; anything after a second "::" is ignored.
    bool Matches(const std::string& request) const;

    const std::string& GetDescription() const { return description_; }
    const std::string& GetMAC() const { return mac_; }
    const std::string& GetPrefix() const { return prefix_; }
    const std::string& GetTLType() const { return tlType_; }

private:
    std::string prefix_;
    std::string mac_;
    std::string description_;
    std::string tlType_;
};

}  // namespace GenICam::Client
