#include "common/HandleRegistry.h"

#include <chrono>

#include "common/GenICamException.h"

namespace GenICam::Client {

namespace {
// The innermost export call of this thread. A plain pointer: thread-local storage without a
// destructor leaves nothing behind when the library is unloaded.
thread_local LeaseScope* innermostScope = nullptr;
}  // namespace

HandleRegistry::~HandleRegistry() {
    for (auto& chunk : chunks_) delete[] chunk.load();
}

HandleRegistry::Slot* HandleRegistry::Find(uintptr_t token) const {
    const uintptr_t index = token & kSlotMask;
    Slot* chunk = chunks_[index / kChunkSlots].load();
    if (chunk == nullptr) return nullptr;
    Slot& slot = chunk[index % kChunkSlots];
    return slot.token.load() == token ? &slot : nullptr;
}

uintptr_t HandleRegistry::Publish(Kind kind, void* object) {
    std::lock_guard lock(mutex_);
    uint32_t index = 0;
    if (!freeSlots_.empty()) {
        index = freeSlots_.front();
        freeSlots_.pop_front();
    } else {
        if (nextSlot_ > kSlotMask) GENICAM_THROW(RuntimeException, "Too many open handles");
        index = nextSlot_++;
        auto& chunk = chunks_[index / kChunkSlots];
        if (chunk.load() == nullptr) chunk.store(new Slot[kChunkSlots]);
    }
    Slot& slot = chunks_[index / kChunkSlots].load()[index % kChunkSlots];
    ++slot.generation;
    const uintptr_t token = slot.generation << kSlotBits | index;
    slot.object.store(object);
    slot.kind.store(kind);
    // The token goes last: a lookup that finds it finds the object too.
    slot.token.store(token);
    return token;
}

void* HandleRegistry::Lease(const void* handle, Kind kind) {
    const auto token = reinterpret_cast<uintptr_t>(handle);
    Slot* slot = token == 0 ? nullptr : Find(token);
    if (slot == nullptr) return nullptr;
    LeaseScope* scope = LeaseScope::Innermost();
    if (scope ==
        nullptr)  // outside an export call nothing is counted, but a retiring object is gone
        return (slot->state.load() & kRetiring) == 0 && slot->kind.load() == kind
                   ? slot->object.load()
                   : nullptr;
    const uint32_t before = slot->state.fetch_add(1);
    // Checked again after counting: the object may have begun to retire, or its slot may have
    // been freed and reused, since the token was compared.
    if ((before & kRetiring) != 0 || slot->token.load() != token || slot->kind.load() != kind) {
        Release(*slot);
        return nullptr;
    }
    scope->Add(*this, *slot, token);
    return slot->object.load();
}

void HandleRegistry::Release(Slot& slot) {
    if ((slot.state.fetch_sub(1) & kRetiring) == 0) return;
    std::lock_guard lock(mutex_);
    released_.notify_all();
}

bool HandleRegistry::Claim(const void* handle) {
    const auto token = reinterpret_cast<uintptr_t>(handle);
    Slot* slot = token == 0 ? nullptr : Find(token);
    return slot != nullptr && (slot->state.fetch_or(kRetiring) & kRetiring) == 0;
}

void HandleRegistry::Retire(uintptr_t token, const std::function<void()>& release) {
    Slot* slot = Find(token);
    if (slot == nullptr) return;
    slot->state.fetch_or(kRetiring);
    const uint32_t mine = LeaseScope::DropHeldByThisThread(token);
    std::unique_lock lock(mutex_);
    while ((slot->state.load() & ~kRetiring) > mine) {
        if (release) {
            lock.unlock();
            release();
            lock.lock();
        }
        released_.wait_for(lock, std::chrono::milliseconds(1));
    }
    slot->state.fetch_sub(mine);
    FreeSlot(token, *slot);
}

// Under mutex_, with no lease left but those of lookups that are about to give up.
void HandleRegistry::FreeSlot(uintptr_t token, Slot& slot) {
    slot.token.store(0);
    slot.object.store(nullptr);
    slot.state.fetch_and(~kRetiring);
    // A slot whose generations are used up is never reused, so no token ever comes back.
    if (slot.generation + 1 < kLastGeneration)
        freeSlots_.push_back(static_cast<uint32_t>(token & kSlotMask));
}

LeaseScope::LeaseScope() : outer_(innermostScope) { innermostScope = this; }

LeaseScope::~LeaseScope() {
    innermostScope = outer_;
    for (size_t i = 0; i < count_; ++i)
        if (held_[i].slot != nullptr) held_[i].registry->Release(*held_[i].slot);
}

LeaseScope* LeaseScope::Innermost() { return innermostScope; }

void LeaseScope::Add(HandleRegistry& registry, HandleRegistry::Slot& slot, uintptr_t token) {
    if (count_ == kCapacity) {
        registry.Release(slot);
        GENICAM_THROW(RuntimeException, "Too many handles in one call");
    }
    held_[count_++] = Held{&registry, &slot, token};
}

uint32_t LeaseScope::DropHeldByThisThread(uintptr_t token) {
    uint32_t held = 0;
    for (LeaseScope* scope = innermostScope; scope != nullptr; scope = scope->outer_)
        for (size_t i = 0; i < scope->count_; ++i)
            if (scope->held_[i].slot != nullptr && scope->held_[i].token == token) {
                scope->held_[i].slot = nullptr;
                ++held;
            }
    return held;
}

void* PublishedHandle::Get(HandleRegistry::Kind kind, void* object) {
    uintptr_t token = token_.load();
    if (token == 0) {
        const uintptr_t fresh = HandleRegistry::Instance().Publish(kind, object);
        if (token_.compare_exchange_strong(token, fresh))
            token = fresh;
        else
            HandleRegistry::Instance().Retire(fresh, {});
    }
    if (token == kRetired) GENICAM_THROW(InvalidHandleException, "The handle is being closed");
    return reinterpret_cast<void*>(token);
}

void PublishedHandle::Retire(const std::function<void()>& release) {
    const uintptr_t token = token_.exchange(kRetired);
    if (token != 0 && token != kRetired) HandleRegistry::Instance().Retire(token, release);
}

}  // namespace GenICam::Client
