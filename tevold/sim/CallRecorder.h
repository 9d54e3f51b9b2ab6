#pragma once

#include "tevold/SimControl.h"

#include <mutex>
#include <vector>

namespace Tevold::Sim {

// The calls one camera received, for tests that check what the producer did and in which order.
class CallRecorder {
public:
    void Record(CameraCall call);
    std::vector<CameraCall> Entries() const;

private:
    mutable std::mutex mutex_;
    std::vector<CameraCall> entries_;
};

}  // namespace Tevold::Sim
