#include "tools/GenApiPortDevice.h"

#include <utility>

namespace Kavrin::Tools {

G_BEGIN_DECLS
#define KAVRIN_TYPE_PORT_DEVICE (kavrin_port_device_get_type())
G_DECLARE_FINAL_TYPE(KavrinPortDevice, kavrin_port_device, KAVRIN, PORT_DEVICE, ArvDevice)
G_END_DECLS

struct _KavrinPortDevice {
    ArvDevice parent;
    RegisterAccess* read;
    RegisterAccess* write;
};

G_DEFINE_TYPE(KavrinPortDevice, kavrin_port_device, ARV_TYPE_DEVICE)

namespace {

gboolean Access(const RegisterAccess& access, guint64 address, guint32 size, void* buffer,
                GError** error) {
    const std::string failure = access(address, buffer, size);
    if (!failure.empty()) {
        g_set_error(error, ARV_DEVICE_ERROR, ARV_DEVICE_ERROR_PROTOCOL_ERROR, "%s",
                    failure.c_str());
    }
    return failure.empty();
}

gboolean ReadMemory(ArvDevice* device, guint64 address, guint32 size, void* buffer,
                    GError** error) {
    return Access(*KAVRIN_PORT_DEVICE(device)->read, address, size, buffer, error);
}

gboolean WriteMemory(ArvDevice* device, guint64 address, guint32 size, void* buffer,
                     GError** error) {
    return Access(*KAVRIN_PORT_DEVICE(device)->write, address, size, buffer, error);
}

void Finalize(GObject* object) {
    auto* device = KAVRIN_PORT_DEVICE(object);
    delete device->read;
    delete device->write;
    G_OBJECT_CLASS(kavrin_port_device_parent_class)->finalize(object);
}

}  // namespace

static void kavrin_port_device_class_init(KavrinPortDeviceClass* klass) {
    G_OBJECT_CLASS(klass)->finalize = Finalize;
    ARV_DEVICE_CLASS(klass)->read_memory = ReadMemory;
    ARV_DEVICE_CLASS(klass)->write_memory = WriteMemory;
}

static void kavrin_port_device_init(KavrinPortDevice* device) {
    device->read = nullptr;
    device->write = nullptr;
}

ArvDevicePtr MakeGenApiPortDevice(RegisterAccess read, RegisterAccess write) {
    auto* device = KAVRIN_PORT_DEVICE(g_object_new(KAVRIN_TYPE_PORT_DEVICE, nullptr));
    device->read = new RegisterAccess(std::move(read));
    device->write = new RegisterAccess(std::move(write));
    return ArvDevicePtr(ARV_DEVICE(device));
}

}  // namespace Kavrin::Tools
