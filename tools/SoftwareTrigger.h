// Executes the camera's TriggerSoftware command at a steady rate on a thread of its own, from
// construction until destruction, through an engine of its own over the camera's port (the
// grab's engine stays on the grab's thread).
#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

#include "tools/CameraFeatures.h"

namespace Kavrin::Tools {

class SoftwareTrigger {
public:
    // The port must stay open while this object lives.
    SoftwareTrigger(GenTLProducer& gentl, GenTL::PORT_HANDLE port, const std::string& xml,
                    double hertz);
    ~SoftwareTrigger();
    SoftwareTrigger(const SoftwareTrigger&) = delete;
    SoftwareTrigger& operator=(const SoftwareTrigger&) = delete;

    // Throws what made the trigger stop, if anything did.
    void ThrowFailure();

private:
    void Run();

    CameraFeatures features_;
    const std::chrono::steady_clock::duration period_;
    std::mutex mutex_;
    std::condition_variable stopRequested_;
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace Kavrin::Tools
