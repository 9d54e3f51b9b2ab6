#include "events/KillLatch.h"

#include "common/GenICamException.h"

namespace GenICam::Client {

void KillLatch::RaiseAbort() { GENICAM_THROW(AbortException, "Wait terminated"); }

}  // namespace GenICam::Client
