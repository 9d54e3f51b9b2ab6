// The handles this library has handed out and that are still alive. Handles are object
// addresses; looking one up here first lets the exports refuse a stale or garbage handle with a
// GenTL code instead of following it.
//
// An export call leases every handle it resolves until it returns, and an object that goes
// away retires its handle first: new calls are refused at once, and the retirement waits until
// the calls already inside the object have left. So a close on one thread never pulls an object
// from under a call on another.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace GenICam::Client {

class ICommonBase;
class CEventObj;
class LeaseScope;

class HandleRegistry {
public:
    static HandleRegistry& Instance();

    void AddModule(ICommonBase* module);
    void AddEvent(CEventObj* event);

    // The live object behind a handle, or null for anything else. Inside a LeaseScope the
    // object stays alive until the scope ends.
    ICommonBase* LeaseModule(const void* handle);
    CEventObj* LeaseEvent(const void* handle);

    // Refuses new calls on a live object so that the caller may close it. False when the
    // object is unknown or another thread is closing it already.
    bool Claim(const void* object);

    // Refuses new calls on the object, then runs release (which should end any wait inside
    // it) until no call of another thread is inside, and forgets the handle. Retiring a handle
    // that is not registered does nothing.
    void Retire(const void* object, const std::function<void()>& release);

private:
    struct Entry {
        ICommonBase* module = nullptr;
        CEventObj* event = nullptr;
        int leases = 0;
        bool retiring = false;
    };

    friend class LeaseScope;
    const Entry* Lease(const void* handle);
    void Enter(LeaseScope& scope);
    void Leave(LeaseScope& scope);
    int HeldByThisThread(const void* handle) const;

    std::mutex mutex_;
    std::condition_variable released_;
    std::unordered_map<const void*, Entry> entries_;
    // The innermost export call running on each thread (calls nest: GCCloseLib closes the
    // system module through TLClose). Kept here rather than in thread-local storage, which a
    // library that applications load and unload should not leave behind.
    std::unordered_map<std::thread::id, LeaseScope*> innermostScopes_;
};

// The leases one export call holds; they end with the scope.
class LeaseScope {
public:
    LeaseScope();
    ~LeaseScope();
    LeaseScope(const LeaseScope&) = delete;
    LeaseScope& operator=(const LeaseScope&) = delete;

private:
    friend class HandleRegistry;

    std::vector<const void*> handles_;
    LeaseScope* outer_ = nullptr;
};

}  // namespace GenICam::Client
