#include "events/KillLatch.h"

#include "common/GenICamException.h"

namespace GenICam::Client {

void KillLatch::ThrowIfKilled() {
    if (pending_ == 0) return;
    --pending_;
    GENICAM_THROW(AbortException, "Wait terminated");
}

}  // namespace GenICam::Client
