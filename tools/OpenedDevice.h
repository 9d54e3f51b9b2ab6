// A device opened for control through a producer, with its remote device port; closed when
// this object goes.
#pragma once

#include <string>

#include "tools/ProducerSession.h"

namespace Kavrin::Tools {

class OpenedDevice {
public:
    OpenedDevice(ProducerSession& producer, GenTL::IF_HANDLE iface, const std::string& id);
    ~OpenedDevice();
    OpenedDevice(const OpenedDevice&) = delete;
    OpenedDevice& operator=(const OpenedDevice&) = delete;

    GenTLProducer& GenTL() { return gentl_; }
    GenTL::DEV_HANDLE Handle() const { return device_; }
    GenTL::PORT_HANDLE RemotePort() const { return port_; }
    // DevGetInfo's text for command; empty when the producer does not answer it.
    std::string InfoText(GenTL::DEVICE_INFO_CMD command);

private:
    GenTLProducer& gentl_;
    GenTL::DEV_HANDLE device_ = nullptr;
    GenTL::PORT_HANDLE port_ = nullptr;
};

}  // namespace Kavrin::Tools
