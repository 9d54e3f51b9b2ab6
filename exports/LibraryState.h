// Everything this library keeps for the whole process, in one object: whether GCInitLib was
// called, every open system module (and through them every interface, device, stream and
// buffer), the handle registry and the last error. GCCloseLib closes every system; unloading
// the library destroys the object, which closes whatever the application left open, so no
// thread of ours outlives the code it runs and nothing stays allocated.
#pragma once

#include <atomic>

#include "common/HandleRegistry.h"
#include "common/OwnedChildren.h"
#include "exports/LastError.h"

namespace GenICam::Client {

class CTL;

class LibraryState {
public:
    static LibraryState& Instance();
    ~LibraryState();
    LibraryState(const LibraryState&) = delete;
    LibraryState& operator=(const LibraryState&) = delete;

    HandleRegistry& Handles() { return handles_; }
    LastErrorStore& LastError() { return lastError_; }

    bool IsInitialized() const { return initialized_.load(); }
    void SetInitialized(bool initialized) { initialized_.store(initialized); }

    // A new system module, owned here until it is closed; gives its handle.
    void* OpenSystem();
    // Destroys the system module with everything opened beneath it, children first. A system
    // that another thread closes already is left to that thread.
    void CloseSystem(CTL& system);
    // Closes every open system and waits for closes running on other threads.
    void CloseAllSystems();

private:
    LibraryState() = default;

    // Declared first: every object below retires its handle into it while being destroyed.
    HandleRegistry handles_;
    LastErrorStore lastError_;
    std::atomic<bool> initialized_{false};
    OwnedChildren<CTL> systems_;
};

}  // namespace GenICam::Client
