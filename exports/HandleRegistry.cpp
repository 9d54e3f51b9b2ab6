#include "exports/HandleRegistry.h"

#include <mutex>

namespace GenICam::Client {

HandleRegistry& HandleRegistry::Instance() {
    // Never destroyed: modules leaked by an application may still unregister at process exit.
    static HandleRegistry* const registry = new HandleRegistry;
    return *registry;
}

void HandleRegistry::AddModule(ICommonBase* module) {
    std::unique_lock lock(mutex_);
    entries_[module] = Entry{module, nullptr};
}

void HandleRegistry::AddEvent(CEventObj* event) {
    std::unique_lock lock(mutex_);
    entries_[event] = Entry{nullptr, event};
}

void HandleRegistry::Remove(const void* object) {
    std::unique_lock lock(mutex_);
    entries_.erase(object);
}

HandleRegistry::Entry HandleRegistry::Find(const void* handle) const {
    std::shared_lock lock(mutex_);
    const auto found = entries_.find(handle);
    return found == entries_.end() ? Entry{} : found->second;
}

ICommonBase* HandleRegistry::FindModule(const void* handle) const { return Find(handle).module; }

CEventObj* HandleRegistry::FindEvent(const void* handle) const { return Find(handle).event; }

}  // namespace GenICam::Client
