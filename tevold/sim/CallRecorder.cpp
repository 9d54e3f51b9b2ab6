#include "tevold/sim/CallRecorder.h"

namespace Tevold::Sim {

void CallRecorder::Record(CameraCall call) {
    std::lock_guard lock(mutex_);
    entries_.push_back(call);
}

std::vector<CameraCall> CallRecorder::Entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

}  // namespace Tevold::Sim
