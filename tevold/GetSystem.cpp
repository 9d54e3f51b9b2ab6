#include "camlib/CamLib.h"
#include "tevold/CamResults.h"
#include "tevold/CompositeSystem.h"
#include "tevold/TransportChoice.h"
#include "tevold/sim/SimSystem.h"

#if TEVOLD_WITH_ARAVIS
#include "tevold/aravis/RealCameraBackends.h"
#endif

// The backends the environment chooses (TransportChoice.h), side by side. The simulator alone,
// the default, is handed out as it is.
extern "C" TEVOLD_API Tevold::CamResult GetSystem(Tevold::CamSystem** system) {
    if (system == nullptr) {
        return Tevold::Result::kInvalidParameter;
    }
    const Tevold::TransportChoice choice = Tevold::TransportChoice::FromEnvironment();
    std::vector<Tevold::CamSystem*> backends;
    if (choice.simulator) {
        backends.push_back(new Tevold::Sim::SimSystem(Tevold::Sim::SimulatedWorld::Instance()));
    }
#if TEVOLD_WITH_ARAVIS
    Tevold::Aravis::AddRealCameraBackends(choice, backends);
#endif
    *system = backends.size() == 1 ? backends.front() : new Tevold::CompositeSystem(backends);
    return Tevold::Result::kSuccess;
}
