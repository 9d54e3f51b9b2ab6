#include "tevold/sim/FaultInjector.h"

#include <algorithm>

namespace Tevold::Sim {

void FaultInjector::Inject(const Fault& fault) {
    std::lock_guard lock(mutex_);
    const auto sameSlot = [&](const Fault& existing) {
        return existing.operation == fault.operation && existing.target == fault.target;
    };
    faults_.erase(std::remove_if(faults_.begin(), faults_.end(), sameSlot), faults_.end());
    if (fault.times > 0) {
        faults_.push_back(fault);
    }
}

void FaultInjector::Clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<CamResult> FaultInjector::Take(Operation operation, std::string_view target) {
    std::lock_guard lock(mutex_);
    const auto matches = [&](const Fault& fault) {
        return fault.operation == operation && (fault.target.empty() || fault.target == target);
    };
    const auto found = std::find_if(faults_.begin(), faults_.end(), matches);
    if (found == faults_.end()) {
        return std::nullopt;
    }
    const CamResult result = found->result;
    if (found->times != kUntilCleared && --found->times == 0) {
        faults_.erase(found);
    }
    return result;
}

}  // namespace Tevold::Sim
