#include "AravisPortDevice.h"

G_BEGIN_DECLS
#define CAM_TYPE_PORT_DEVICE (cam_port_device_get_type())
G_DECLARE_FINAL_TYPE(CamPortDevice, cam_port_device, CAM, PORT_DEVICE, ArvDevice)
G_END_DECLS

// Exactly one of the two is set: the port borrows the object it reaches.
struct _CamPortDevice {
    ArvDevice parent;
    Tevold::CamDevice* device;
    Tevold::CamInterface* iface;
};

G_DEFINE_TYPE(CamPortDevice, cam_port_device, ARV_TYPE_DEVICE)

namespace {

gboolean Succeeded(Tevold::CamResult result, GError** error)
{
    if (result != 0) {
        g_set_error(error, ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_PROTOCOL_ERROR,
                    "register access: %d", result);
    }
    return result == 0;
}

gboolean ReadMemory(ArvDevice* arv, guint64 address, guint32 size, void* buffer, GError** error)
{
    const auto* port = CAM_PORT_DEVICE(arv);
    size_t length = size;
    return Succeeded(port->device != nullptr
                         ? port->device->ReadRegister(address, buffer, &length)
                         : port->iface->ReadRegister(address, buffer, &length),
                     error);
}

gboolean WriteMemory(ArvDevice* arv, guint64 address, guint32 size, void* buffer, GError** error)
{
    const auto* port = CAM_PORT_DEVICE(arv);
    size_t length = size;
    return Succeeded(port->device != nullptr
                         ? port->device->WriteRegister(address, buffer, &length)
                         : port->iface->WriteRegister(address, buffer, &length),
                     error);
}

Tevold::Testing::ArvDevicePtr NewPort(Tevold::CamDevice* device, Tevold::CamInterface* iface)
{
    auto* port = CAM_PORT_DEVICE(g_object_new(CAM_TYPE_PORT_DEVICE, nullptr));
    port->device = device;
    port->iface = iface;
    return Tevold::Testing::ArvDevicePtr(ARV_DEVICE(port));
}

}  // namespace

static void cam_port_device_class_init(CamPortDeviceClass* klass)
{
    ARV_DEVICE_CLASS(klass)->read_memory = ReadMemory;
    ARV_DEVICE_CLASS(klass)->write_memory = WriteMemory;
}

static void cam_port_device_init(CamPortDevice* /*port*/) {}

namespace Tevold::Testing {

ArvDevicePtr MakeAravisPortDevice(CamDevice& device)
{
    return NewPort(&device, nullptr);
}

ArvDevicePtr MakeAravisPortDevice(CamInterface& iface)
{
    return NewPort(nullptr, &iface);
}

}  // namespace Tevold::Testing
