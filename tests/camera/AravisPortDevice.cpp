#include "AravisPortDevice.h"

#include <functional>

namespace {

using ReadFunction = std::function<Tevold::CamResult(uint64_t, void*, size_t*)>;
using WriteFunction = std::function<Tevold::CamResult(uint64_t, const void*, size_t*)>;

struct CamPortDeviceState {
    ReadFunction read;
    WriteFunction write;
};

}  // namespace

G_BEGIN_DECLS
#define CAM_TYPE_PORT_DEVICE (cam_port_device_get_type())
G_DECLARE_FINAL_TYPE(CamPortDevice, cam_port_device, CAM, PORT_DEVICE, ArvDevice)
G_END_DECLS

struct _CamPortDevice {
    ArvDevice parent;
    CamPortDeviceState* state;
};

G_DEFINE_TYPE(CamPortDevice, cam_port_device, ARV_TYPE_DEVICE)

namespace {

gboolean Failed(Tevold::CamResult result, GError** error)
{
    g_set_error(error, ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_PROTOCOL_ERROR, "register access: %d",
                result);
    return FALSE;
}

gboolean ReadMemory(ArvDevice* device, guint64 address, guint32 size, void* buffer,
                    GError** error)
{
    size_t length = size;
    const auto result = CAM_PORT_DEVICE(device)->state->read(address, buffer, &length);
    return result == 0 ? TRUE : Failed(result, error);
}

gboolean WriteMemory(ArvDevice* device, guint64 address, guint32 size, void* buffer,
                     GError** error)
{
    size_t length = size;
    const auto result = CAM_PORT_DEVICE(device)->state->write(address, buffer, &length);
    return result == 0 ? TRUE : Failed(result, error);
}

void Finalize(GObject* object)
{
    delete CAM_PORT_DEVICE(object)->state;
    G_OBJECT_CLASS(cam_port_device_parent_class)->finalize(object);
}

Tevold::Testing::ArvDevicePtr MakeDevice(ReadFunction read, WriteFunction write)
{
    auto* device = CAM_PORT_DEVICE(g_object_new(CAM_TYPE_PORT_DEVICE, nullptr));
    device->state = new CamPortDeviceState{std::move(read), std::move(write)};
    return Tevold::Testing::ArvDevicePtr(ARV_DEVICE(device));
}

}  // namespace

static void cam_port_device_class_init(CamPortDeviceClass* klass)
{
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    ARV_DEVICE_CLASS(klass)->read_memory = ReadMemory;
    ARV_DEVICE_CLASS(klass)->write_memory = WriteMemory;
}

static void cam_port_device_init(CamPortDevice* device)
{
    device->state = nullptr;
}

namespace Tevold::Testing {

ArvDevicePtr MakeAravisPortDevice(CamDevice& device)
{
    return MakeDevice(
        [&device](uint64_t address, void* buffer, size_t* size) {
            return device.ReadRegister(address, buffer, size);
        },
        [&device](uint64_t address, const void* buffer, size_t* size) {
            return device.WriteRegister(address, buffer, size);
        });
}

ArvDevicePtr MakeAravisPortDevice(CamInterface& iface)
{
    return MakeDevice(
        [&iface](uint64_t address, void* buffer, size_t* size) {
            return iface.ReadRegister(address, buffer, size);
        },
        [&iface](uint64_t address, const void* buffer, size_t* size) {
            return iface.WriteRegister(address, buffer, size);
        });
}

ArvGcPtr ParseDescription(ArvDevice* device, const std::string& xml)
{
    return ArvGcPtr(arv_gc_new(device, xml.data(), xml.size()));
}

}  // namespace Tevold::Testing
