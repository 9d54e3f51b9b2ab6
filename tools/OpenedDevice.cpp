#include "tools/OpenedDevice.h"

#include "tools/GenTLError.h"
#include "tools/GenTLInfo.h"

namespace Kavrin::Tools {

using namespace GenTL;

OpenedDevice::OpenedDevice(ProducerSession& producer, IF_HANDLE iface, const std::string& id)
    : gentl_(producer.GenTL()) {
    CheckGenTL(gentl_, gentl_.IFOpenDevice(iface, id.c_str(), DEVICE_ACCESS_CONTROL, &device_),
               "IFOpenDevice");
    try {
        CheckGenTL(gentl_, gentl_.DevGetPort(device_, &port_), "DevGetPort");
    } catch (...) {
        gentl_.DevClose(device_);
        throw;
    }
}

OpenedDevice::~OpenedDevice() { gentl_.DevClose(device_); }

std::string OpenedDevice::InfoText(DEVICE_INFO_CMD command) {
    return Kavrin::Tools::InfoText([&](INFO_DATATYPE* type, char* text, size_t* size) {
        return gentl_.DevGetInfo(device_, command, type, text, size);
    });
}

}  // namespace Kavrin::Tools
