// Counts children that are being destroyed outside their parent's lock (they wait for calls
// still inside them, which may need that lock), so that the parent, going away itself, can wait
// for them before it releases what they still use.
#pragma once

#include <condition_variable>
#include <mutex>

namespace GenICam::Client {

class PendingCloses {
public:
    void Begin();
    void End();
    void WaitForAll();

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    int pending_ = 0;
};

}  // namespace GenICam::Client
