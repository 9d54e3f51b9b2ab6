#include "events/KillLatch.h"

#include "common/GenICamException.h"

namespace GenICam::Client {

void KillLatch::ThrowIfKilled() {
    uint32_t pending = pending_.load();
    while (pending > 0) {
        if (pending_.compare_exchange_weak(pending, pending - 1))
            GENICAM_THROW(AbortException, "Wait terminated");
    }
}

}  // namespace GenICam::Client
