// The handles this library has handed out and that are still alive. Handles are object
// addresses; looking one up here first lets the exports refuse a stale or garbage handle with
// a GenTL code instead of following it.
#pragma once

#include <shared_mutex>
#include <unordered_map>

namespace GenICam::Client {

class ICommonBase;
class CEventObj;

class HandleRegistry {
public:
    static HandleRegistry& Instance();

    void AddModule(ICommonBase* module);
    void AddEvent(CEventObj* event);
    void Remove(const void* object);

    // The live object behind a handle, or null for anything else.
    ICommonBase* FindModule(const void* handle) const;
    CEventObj* FindEvent(const void* handle) const;

private:
    struct Entry {
        ICommonBase* module = nullptr;
        CEventObj* event = nullptr;
    };

    Entry Find(const void* handle) const;

    mutable std::shared_mutex mutex_;
    std::unordered_map<const void*, Entry> entries_;
};

}  // namespace GenICam::Client
