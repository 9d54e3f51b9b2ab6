#include "tevold/aravis/RealCameraPlugin.h"

#include <dlfcn.h>
#include <gnu/lib-names.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace Tevold::Aravis {
namespace {

std::string LastLoadError() {
    const char* error = dlerror();
    return error != nullptr ? error : "unknown error";
}

// The directory this library was loaded from, found through one of its own functions.
std::string PluginPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&PluginPath), &info) == 0 ||
        info.dli_fname == nullptr) {
        throw std::runtime_error("cannot find the camera library's own path");
    }
    const std::string library = info.dli_fname;
    const auto slash = library.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : library.substr(0, slash);
    return directory + "/" + kRealCameraPluginFileName;
}

template <typename Function>
Function* Lookup(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw std::runtime_error(std::string("no ") + name + ": " + LastLoadError());
    }
    return reinterpret_cast<Function*>(symbol);
}

}  // namespace

OpenRealCameraBackend& RealCameraPlugin::Entry() {
    static const RealCameraPlugin plugin(PluginPath());
    return *plugin.entry_;
}

RealCameraPlugin::RealCameraPlugin(const std::string& path) {
    // A missing plugin must not cost a namespace: a process has only a few, and every GetSystem
    // tries again.
    if (access(path.c_str(), R_OK) != 0) {
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    }
#if TEVOLD_PLUGIN_OWN_NAMESPACE
    void* handle = LoadIsolated(path);
#else
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (handle == nullptr) {
        throw std::runtime_error("cannot load " + path + ": " + LastLoadError());
    }
    entry_ = Lookup<OpenRealCameraBackend>(handle, kRealCameraEntryName);
}

void* RealCameraPlugin::LoadIsolated(const std::string& path) {
    // The C library comes first, alone, so its thread keys are set apart before GLib's
    // constructors take any (ThreadKeyPartition.h).
    void* libc = dlmopen(LM_ID_NEWLM, LIBC_SO, RTLD_NOW | RTLD_LOCAL);
    if (libc == nullptr) {
        throw std::runtime_error("cannot open a link-map namespace: " + LastLoadError());
    }
    Lmid_t space = LM_ID_BASE;
    if (dlinfo(libc, RTLD_DI_LMID, &space) != 0) {
        throw std::runtime_error("no link-map namespace: " + LastLoadError());
    }
    threadKeys_.emplace(Lookup<ThreadKeyPartition::KeyCreate>(libc, "pthread_key_create"),
                        Lookup<ThreadKeyPartition::KeyDelete>(libc, "pthread_key_delete"));
    return dlmopen(space, path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace Tevold::Aravis
