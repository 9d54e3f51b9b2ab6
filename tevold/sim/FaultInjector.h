#pragma once

#include "tevold/SimControl.h"

#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace Tevold::Sim {

// The faults tests asked for; every simulated operation asks here before doing its work.
class FaultInjector {
public:
    void Inject(const Fault& fault);
    void Clear();
    // The forced result of this call, if any, using up one of the fault's times.
    std::optional<CamResult> Take(Operation operation, std::string_view target);

private:
    std::mutex mutex_;
    std::vector<Fault> faults_;
};

}  // namespace Tevold::Sim
