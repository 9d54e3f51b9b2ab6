// A second Aravis as a consumer's process may hold one (another version, built differently):
// some of Aravis's functions under their own names, and GObject types under Aravis's type names.
// The producer's real cameras must neither call these functions nor be kept from registering
// their own types.
#include <glib-object.h>

#include <cstdlib>

#include "ForeignAravis.h"

namespace {

// Calling any of them means the producer bound to this library instead of its own Aravis.
[[noreturn]] void WrongAravis() { std::abort(); }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void* arv_camera_new(const char*, void*) { WrongAravis(); }
__attribute__((visibility("default"))) void* arv_gc_new(void*, const void*, size_t) {
    WrongAravis();
}
__attribute__((visibility("default"))) void arv_update_device_list() { WrongAravis(); }
__attribute__((visibility("default"))) unsigned arv_get_n_devices() { WrongAravis(); }
__attribute__((visibility("default"))) void* arv_gv_device_new(void*, void*, void*) {
    WrongAravis();
}
__attribute__((visibility("default"))) void* arv_buffer_new(size_t, void*) { WrongAravis(); }
}

namespace aravis_tests {

std::vector<std::string> UseForeignAravis() {
    const std::vector<std::string> names = {"ArvGc",       "ArvCamera", "ArvDevice",
                                            "ArvGvDevice", "ArvStream", "ArvGvStream",
                                            "ArvBuffer",   "ArvGcNode", "ArvDomDocument"};
    for (const std::string& name : names) {
        g_type_register_static_simple(G_TYPE_OBJECT, name.c_str(), sizeof(GObjectClass), nullptr,
                                      sizeof(GObject), nullptr, GTypeFlags{});
    }
    return names;
}

}  // namespace aravis_tests
