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
#include <unordered_map>

namespace GenICam::Client {

class ICommonBase;
class CEventObj;

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
    Entry* Lease(const void* handle);
    void Release(const void* handle);

    std::mutex mutex_;
    std::condition_variable released_;
    std::unordered_map<const void*, Entry> entries_;
};

// The leases one export call holds; they end with the scope.
class LeaseScope {
public:
    LeaseScope();
    ~LeaseScope();
    LeaseScope(const LeaseScope&) = delete;
    LeaseScope& operator=(const LeaseScope&) = delete;

private:
    size_t first_;
};

}  // namespace GenICam::Client
