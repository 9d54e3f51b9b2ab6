#include "tools/OpenedDevice.h"

#include "tools/GenTLError.h"

using namespace GenTL;

OpenedDevice::OpenedDevice(ProducerSession& producer, IF_HANDLE iface, const std::string& id)
    : gentl_(producer.GenTL())
{
    CheckGenTL(gentl_, gentl_.IFOpenDevice(iface, id.c_str(), DEVICE_ACCESS_CONTROL, &device_), "IFOpenDevice");
    try {
        CheckGenTL(gentl_, gentl_.DevGetPort(device_, &port_), "DevGetPort");
    } catch (...) {
        gentl_.DevClose(device_);
        throw;
    }
}

OpenedDevice::~OpenedDevice() { gentl_.DevClose(device_); }

std::string OpenedDevice::InfoText(DEVICE_INFO_CMD command)
{
    char text[1024] = {};
    size_t size = sizeof text;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    if (gentl_.DevGetInfo(device_, command, &type, text, &size) != GC_ERR_SUCCESS ||
        type != INFO_DATATYPE_STRING) {
        return "";
    }
    text[sizeof text - 1] = '\0';
    return text;
}
