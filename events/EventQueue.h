// An event object with a bounded queue of entries that producers push and EventGetData takes
// out, oldest first. Entries are accepted only while the event is registered (enabled).
//
// Entry types provide DataSize() (bytes EventGetData needs) and CopyTo(buffer, size).
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "common/GenICamException.h"
#include "common/Helper.h"
#include "common/WaitDeadline.h"
#include "events/EventObj.h"
#include "events/KillLatch.h"

namespace GenICam::Client {

template <class Entry>
class CEventQueue : public CEventObj {
public:
    // A slow consumer loses the oldest events rather than letting memory grow.
    static constexpr size_t kCapacity = 8;

    void Push(std::shared_ptr<const Entry> entry) {
        if (!enabled_.load()) return;
        {
            std::lock_guard lock(mutex_);
            if (entries_.size() >= kCapacity) entries_.pop_front();
            entries_.push_back(std::move(entry));
        }
        // Woken after the lock is left, so a waiter does not block on it at once. The event
        // outlives this: its owner removes the pusher before it goes.
        changed_.notify_all();
    }

    // A fresh registration forgets kills aimed at an earlier one.
    void Enable() {
        std::lock_guard lock(mutex_);
        kills_.Clear();
        enabled_.store(true);
    }
    void Disable() { enabled_.store(false); }

    size_t NumInQueue() const {
        std::lock_guard lock(mutex_);
        return entries_.size();
    }

    // Waits for an entry or a kill, never waking for nothing: a flush or another reader that
    // took the entry first leaves the wait running until its deadline.
    GenTL::GC_ERROR GetData(void* buffer, size_t* size, uint64_t timeoutMs) override {
        if (size == nullptr) GENICAM_THROW(InvalidParameterException, "Invalid Size");
        const WaitDeadline deadline(timeoutMs);
        std::unique_lock lock(mutex_);
        const bool waited = entries_.empty() && !kills_.IsPending();
        if (!deadline.Wait(changed_, lock,
                           [this] { return !entries_.empty() || kills_.IsPending(); }))
            return GenTL::GC_ERR_TIMEOUT;
        if (kills_.Consume()) return GenTL::GC_ERR_ABORT;
        TakeOldest(buffer, size, waited ? "Invalid buffer Size" : "Invalid Buffer Size");
        return GenTL::GC_ERR_SUCCESS;
    }

    void GetInfo(GenTL::EVENT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                 size_t* size) override {
        switch (command) {
            case GenTL::EVENT_EVENT_TYPE:
                return CopyInfoInt32(buffer, size, type, EventType());
            case GenTL::EVENT_NUM_IN_QUEUE:
                return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_SIZET, NumInQueue());
            case GenTL::EVENT_NUM_FIRED:
                return CopyInfoNumber(buffer, size, type, GenTL::INFO_DATATYPE_UINT64,
                                      FiredCount());
            default:
                GENICAM_THROW(NotImplementedException, "Event info cmd %ld not implemented",
                              static_cast<long>(command));
        }
    }

    void GetDataInfo(const void*, size_t, GenTL::EVENT_DATA_INFO_CMD command, GenTL::INFO_DATATYPE*,
                     void*, size_t*) override {
        GENICAM_THROW(NotImplementedException, "Event data info cmd %ld not implemented",
                      static_cast<long>(command));
    }

    void Flush() override {
        std::lock_guard lock(mutex_);
        entries_.clear();
    }

    void Kill() override {
        {
            std::lock_guard lock(mutex_);
            kills_.Kill();
        }
        // The caller keeps the event alive until Kill returns (a leased handle, or the owner).
        changed_.notify_all();
    }

protected:
    virtual GenTL::EVENT_TYPE EventType() const = 0;
    virtual uint64_t FiredCount() const { return 0; }

private:
    void TakeOldest(void* buffer, size_t* size, const char* emptySizeText) {
        const Entry& oldest = *entries_.front();
        if (*size == 0) {
            *size = oldest.DataSize();
            GENICAM_THROW(InvalidParameterException, "%s", emptySizeText);
        }
        if (oldest.DataSize() > *size) GENICAM_THROW(InvalidParameterException, "Buffer too small");
        oldest.CopyTo(buffer, size);
        entries_.pop_front();
    }

    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<const Entry>> entries_;
    std::atomic<bool> enabled_{false};
    std::condition_variable changed_;
    KillLatch kills_;
};

}  // namespace GenICam::Client
