#include "tools/SoftwareTrigger.h"

namespace Kavrin::Tools {

SoftwareTrigger::SoftwareTrigger(GenTLProducer& gentl, GenTL::PORT_HANDLE port,
                                 const std::string& xml, double hertz)
    : features_(gentl, port, xml),
      period_(std::chrono::duration_cast<std::chrono::steady_clock::duration>(
          std::chrono::duration<double>(1.0 / hertz))),
      thread_([this] { Run(); }) {}

SoftwareTrigger::~SoftwareTrigger() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stopRequested_.notify_all();
    thread_.join();
}

void SoftwareTrigger::ThrowFailure() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure_) std::rethrow_exception(failure_);
}

void SoftwareTrigger::Run() {
    // Ticks on a fixed schedule, so a late trigger does not delay the ones after it.
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        try {
            features_.Execute("TriggerSoftware");
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            return;
        }
        next += period_;
        lock.lock();
        stopRequested_.wait_until(lock, next, [this] { return stopping_; });
    }
}

}  // namespace Kavrin::Tools
