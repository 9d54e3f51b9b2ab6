// Debian's Aravis 0.8 linked into the consumer itself, the same library the producer's real
// cameras are built on.
#include <arv.h>

#include "ForeignAravis.h"

namespace aravis_tests {

std::vector<std::string> UseForeignAravis() {
    arv_update_device_list();
    const std::vector<GType> types = {ARV_TYPE_CAMERA, ARV_TYPE_GV_DEVICE, ARV_TYPE_GV_STREAM,
                                      ARV_TYPE_BUFFER, ARV_TYPE_GC};
    std::vector<std::string> names;
    for (const GType type : types) {
        names.emplace_back(g_type_name(type));
    }
    return names;
}

}  // namespace aravis_tests
