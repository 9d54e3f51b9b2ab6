#include "tools/GenTLProducer.h"

#include <dlfcn.h>

#include <stdexcept>

namespace Kavrin::Tools {

namespace {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer runtimes cannot intercept calls of a library loaded with RTLD_DEEPBIND.
constexpr int kDeepBind = 0;
#else
constexpr int kDeepBind = RTLD_DEEPBIND;
#endif
}  // namespace

GenTLProducer::GenTLProducer(const std::string& path, Unload unload) : unload_(unload) {
    // The flags the strictest consumers use: every symbol bound at load, the library's own first.
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | kDeepBind);
    if (library_ == nullptr)
        throw std::runtime_error(std::string("Cannot load ") + path + ": " + dlerror());
#define KAVRIN_RESOLVE_FUNCTION(name)                                   \
    name = reinterpret_cast<GenTL::P##name>(dlsym(library_, #name));    \
    if (name == nullptr) {                                              \
        dlclose(library_);                                              \
        throw std::runtime_error("Cannot resolve GenTL symbol " #name); \
    }
    KAVRIN_GENTL_FUNCTIONS(KAVRIN_RESOLVE_FUNCTION)
#undef KAVRIN_RESOLVE_FUNCTION
}

GenTLProducer::~GenTLProducer() {
    if (unload_ == Unload::OnDestruction) dlclose(library_);
}

}  // namespace Kavrin::Tools
