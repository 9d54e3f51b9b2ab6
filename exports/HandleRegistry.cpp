#include "exports/HandleRegistry.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace GenICam::Client {

namespace {
// The handles leased by the export calls running on this thread, innermost call last, and how
// many calls are open (nested calls such as GCCloseLib closing the system module).
struct ThreadLeases {
    std::vector<const void*> handles;
    int openScopes = 0;
};

thread_local ThreadLeases threadLeases;

int LeasesHeldByThisThread(const void* handle) {
    return static_cast<int>(std::count(threadLeases.handles.begin(), threadLeases.handles.end(), handle));
}
}  // namespace

HandleRegistry& HandleRegistry::Instance() {
    // Never destroyed: objects leaked by an application may still retire at process exit.
    static HandleRegistry* const registry = new HandleRegistry;
    return *registry;
}

void HandleRegistry::AddModule(ICommonBase* module) {
    std::lock_guard lock(mutex_);
    entries_[module] = Entry{module, nullptr};
}

void HandleRegistry::AddEvent(CEventObj* event) {
    std::lock_guard lock(mutex_);
    entries_[event] = Entry{nullptr, event};
}

HandleRegistry::Entry* HandleRegistry::Lease(const void* handle) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(handle);
    if (found == entries_.end() || found->second.retiring) return nullptr;
    if (threadLeases.openScopes > 0) {
        ++found->second.leases;
        threadLeases.handles.push_back(handle);
    }
    return &found->second;
}

ICommonBase* HandleRegistry::LeaseModule(const void* handle) {
    const Entry* entry = Lease(handle);
    return entry == nullptr ? nullptr : entry->module;
}

CEventObj* HandleRegistry::LeaseEvent(const void* handle) {
    const Entry* entry = Lease(handle);
    return entry == nullptr ? nullptr : entry->event;
}

void HandleRegistry::Release(const void* handle) {
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(handle);
        if (found != entries_.end()) --found->second.leases;
    }
    released_.notify_all();
}

bool HandleRegistry::Claim(const void* object) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(object);
    if (found == entries_.end() || found->second.retiring) return false;
    found->second.retiring = true;
    return true;
}

void HandleRegistry::Retire(const void* object, const std::function<void()>& release) {
    const int mine = LeasesHeldByThisThread(object);
    std::unique_lock lock(mutex_);
    auto found = entries_.find(object);
    if (found == entries_.end()) return;
    found->second.retiring = true;
    while (found->second.leases > mine) {
        if (release) {
            lock.unlock();
            release();
            lock.lock();
        }
        released_.wait_for(lock, std::chrono::milliseconds(1));
        found = entries_.find(object);
    }
    entries_.erase(found);
    // This thread's own leases end with the object; a later object at the same address is new.
    std::replace(threadLeases.handles.begin(), threadLeases.handles.end(), object,
                 static_cast<const void*>(nullptr));
}

LeaseScope::LeaseScope() : first_(threadLeases.handles.size()) { ++threadLeases.openScopes; }

LeaseScope::~LeaseScope() {
    HandleRegistry& registry = HandleRegistry::Instance();
    while (threadLeases.handles.size() > first_) {
        const void* handle = threadLeases.handles.back();
        threadLeases.handles.pop_back();
        if (handle != nullptr) registry.Release(handle);
    }
    --threadLeases.openScopes;
}

}  // namespace GenICam::Client
