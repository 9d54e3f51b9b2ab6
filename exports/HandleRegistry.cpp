#include "exports/HandleRegistry.h"

#include <algorithm>
#include <chrono>

namespace GenICam::Client {

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

const HandleRegistry::Entry* HandleRegistry::Lease(const void* handle) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(handle);
    if (found == entries_.end() || found->second.retiring) return nullptr;
    const auto scope = innermostScopes_.find(std::this_thread::get_id());
    if (scope != innermostScopes_.end()) {
        ++found->second.leases;
        scope->second->handles_.push_back(handle);
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

bool HandleRegistry::Claim(const void* object) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(object);
    if (found == entries_.end() || found->second.retiring) return false;
    found->second.retiring = true;
    return true;
}

int HandleRegistry::HeldByThisThread(const void* handle) const {
    const auto scope = innermostScopes_.find(std::this_thread::get_id());
    int held = 0;
    for (const LeaseScope* call = scope == innermostScopes_.end() ? nullptr : scope->second; call != nullptr;
         call = call->outer_)
        held += static_cast<int>(std::count(call->handles_.begin(), call->handles_.end(), handle));
    return held;
}

void HandleRegistry::Retire(const void* object, const std::function<void()>& release) {
    std::unique_lock lock(mutex_);
    auto found = entries_.find(object);
    if (found == entries_.end()) return;
    found->second.retiring = true;
    const int mine = HeldByThisThread(object);
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
    const auto scope = innermostScopes_.find(std::this_thread::get_id());
    for (LeaseScope* call = scope == innermostScopes_.end() ? nullptr : scope->second; call != nullptr;
         call = call->outer_)
        std::replace(call->handles_.begin(), call->handles_.end(), object, static_cast<const void*>(nullptr));
}

void HandleRegistry::Enter(LeaseScope& scope) {
    std::lock_guard lock(mutex_);
    LeaseScope*& innermost = innermostScopes_[std::this_thread::get_id()];
    scope.outer_ = innermost;
    innermost = &scope;
}

void HandleRegistry::Leave(LeaseScope& scope) {
    {
        std::lock_guard lock(mutex_);
        for (const void* handle : scope.handles_) {
            const auto found = entries_.find(handle);
            if (handle != nullptr && found != entries_.end()) --found->second.leases;
        }
        if (scope.outer_ == nullptr)
            innermostScopes_.erase(std::this_thread::get_id());
        else
            innermostScopes_[std::this_thread::get_id()] = scope.outer_;
    }
    released_.notify_all();
}

LeaseScope::LeaseScope() { HandleRegistry::Instance().Enter(*this); }

LeaseScope::~LeaseScope() { HandleRegistry::Instance().Leave(*this); }

}  // namespace GenICam::Client
