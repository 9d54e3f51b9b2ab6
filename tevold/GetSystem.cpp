#include "camlib/CamLib.h"
#include "tevold/CamResults.h"
#include "tevold/sim/SimSystem.h"

// The simulator is the only backend so far; a hardware backend will be chosen here.
extern "C" TEVOLD_API Tevold::CamResult GetSystem(Tevold::CamSystem** system)
{
    if (system == nullptr) {
        return Tevold::Result::kInvalidParameter;
    }
    *system = new Tevold::Sim::SimSystem(Tevold::Sim::SimulatedWorld::Instance());
    return Tevold::Result::kSuccess;
}
