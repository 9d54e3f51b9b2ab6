#include "tools/GenTLProducer.h"

#include <dlfcn.h>

#include <stdexcept>

GenTLProducer::GenTLProducer(const std::string& path) {
    // The flags the strictest consumers use: every symbol bound at load, ours first.
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
    if (library_ == nullptr) throw std::runtime_error(std::string("Cannot load ") + path + ": " + dlerror());
#define KAVRIN_RESOLVE_FUNCTION(name)                                                         \
    name = reinterpret_cast<GenTL::P##name>(dlsym(library_, #name));                          \
    if (name == nullptr) {                                                                    \
        dlclose(library_);                                                                    \
        throw std::runtime_error("Cannot resolve GenTL symbol " #name);                       \
    }
    KAVRIN_GENTL_FUNCTIONS(KAVRIN_RESOLVE_FUNCTION)
#undef KAVRIN_RESOLVE_FUNCTION
}

GenTLProducer::~GenTLProducer() { dlclose(library_); }
