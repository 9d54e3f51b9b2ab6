// The handles this library hands out. A handle is a token, not an address: the low bits name a
// slot of a table, the high bits that slot's generation, which grows every time the slot is
// reused. A token is therefore handed out once for the life of the process, so a stale handle
// never reaches an object built later at the same address, and an object gets its token only
// when it is complete (PublishedHandle).
//
// An export call leases every handle it resolves until it returns, and an object that goes
// away retires its token first: new calls are refused at once, and the retirement waits until
// the calls already inside the object have left. So a close on one thread never pulls an object
// from under a call on another.
//
// Resolving a handle is on every frame-path call, so it takes no lock and allocates nothing:
// an index into the table, a token compare and a lease counter in the slot. Publishing and
// retiring, which happen when objects open and close, take the registry's lock.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

namespace GenICam::Client {

class LeaseScope;

class HandleRegistry {
public:
    enum class Kind : uint8_t { Module, Event };

    HandleRegistry() = default;
    ~HandleRegistry();
    HandleRegistry(const HandleRegistry&) = delete;
    HandleRegistry& operator=(const HandleRegistry&) = delete;

    // The registry of the process-wide library state (which defines this).
    static HandleRegistry& Instance();

    // A new token for a complete object.
    uintptr_t Publish(Kind kind, void* object);
    // The live object of that kind behind a handle, or null for anything else. Inside a
    // LeaseScope the object stays alive until the scope ends.
    void* Lease(const void* handle, Kind kind);
    // Refuses new calls on a live object so that the caller may close it. False when the
    // handle is unknown or another thread is closing it already.
    bool Claim(const void* handle);
    // Refuses new calls, then runs release (which should end any wait inside the object) until
    // no call of another thread is inside, and frees the token for good.
    void Retire(uintptr_t token, const std::function<void()>& release);

private:
    friend class LeaseScope;

    // Upper bit of a slot's state: the object is going away; the rest counts leases.
    static constexpr uint32_t kRetiring = 0x80000000u;
    static constexpr unsigned kSlotBits = sizeof(uintptr_t) >= 8 ? 20 : 16;
    static constexpr uintptr_t kSlotMask = (uintptr_t{1} << kSlotBits) - 1;
    static constexpr uintptr_t kLastGeneration = ~uintptr_t{0} >> kSlotBits;
    static constexpr size_t kChunkSlots = 1024;
    static constexpr size_t kChunks = (size_t{1} << kSlotBits) / kChunkSlots;

    struct Slot {
        std::atomic<uintptr_t> token{0};
        std::atomic<void*> object{nullptr};
        std::atomic<Kind> kind{Kind::Module};
        std::atomic<uint32_t> state{0};
        uintptr_t generation = 0;  // under mutex_
    };

    Slot* Find(uintptr_t token) const;
    void Release(Slot& slot);
    void FreeSlot(uintptr_t token, Slot& slot);

    // Slots are never moved or freed while the registry lives, so a lookup needs no lock.
    std::array<std::atomic<Slot*>, kChunks> chunks_{};
    std::mutex mutex_;
    std::condition_variable released_;
    std::deque<uint32_t> freeSlots_;  // oldest freed first, so a slot's generations last long
    uint32_t nextSlot_ = 0;
};

// The leases one export call holds; they end with the scope. Calls nest (GCCloseLib closes the
// systems through the same code as TLClose), so each scope knows the one around it.
class LeaseScope {
public:
    LeaseScope();
    ~LeaseScope();
    LeaseScope(const LeaseScope&) = delete;
    LeaseScope& operator=(const LeaseScope&) = delete;

private:
    friend class HandleRegistry;
    struct Held {
        HandleRegistry* registry;
        HandleRegistry::Slot* slot;
        uintptr_t token;
    };
    // No export resolves more than two handles.
    static constexpr size_t kCapacity = 4;

    static LeaseScope* Innermost();
    void Add(HandleRegistry& registry, HandleRegistry::Slot& slot, uintptr_t token);
    // How many leases this thread holds on the token; they are dropped as the object goes.
    static uint32_t DropHeldByThisThread(uintptr_t token);

    std::array<Held, kCapacity> held_{};
    size_t count_ = 0;
    LeaseScope* outer_;
};

// The token of one object, published the first time the object hands out its handle, that is
// when it is complete, and retired when it goes away.
class PublishedHandle {
public:
    PublishedHandle() = default;
    PublishedHandle(const PublishedHandle&) = delete;
    PublishedHandle& operator=(const PublishedHandle&) = delete;

    // The handle; InvalidHandleException once the object is going away.
    void* Get(HandleRegistry::Kind kind, void* object);
    // Retires the token (if any was published) and refuses to publish another.
    void Retire(const std::function<void()>& release);

private:
    static constexpr uintptr_t kRetired = ~uintptr_t{0};
    std::atomic<uintptr_t> token_{0};
};

}  // namespace GenICam::Client
