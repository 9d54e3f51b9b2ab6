#include "tevold/aravis/RealCameraEntry.h"

#include "tevold/CamResults.h"
#include "tevold/aravis/GevSystem.h"
#include "tevold/aravis/U3vSystem.h"

#include <exception>
#include <string>
#include <type_traits>
#include <vector>

namespace Tevold::Aravis {
namespace {

CamSystem* MakeBackend(RealTransport transport, const char* const* gevInterfaceNames,
                       size_t nameCount) {
    if (transport == RealTransport::kUsb3Vision) {
        return new U3vSystem();
    }
    std::vector<std::string> names;
    for (size_t index = 0; index < nameCount; ++index) {
        names.emplace_back(gevInterfaceNames[index]);
    }
    return new GevSystem(std::move(names));
}

}  // namespace
}  // namespace Tevold::Aravis

extern "C" TEVOLD_API Tevold::CamResult TevoldOpenRealCameraBackend(
    Tevold::Aravis::RealTransport transport, const char* const* gevInterfaceNames, size_t nameCount,
    Tevold::CamSystem** system) {
    using Tevold::Aravis::RealTransport;
    if (system == nullptr || (nameCount > 0 && gevInterfaceNames == nullptr) ||
        (transport != RealTransport::kGigEVision && transport != RealTransport::kUsb3Vision)) {
        return Tevold::Result::kInvalidParameter;
    }
    try {
        *system = Tevold::Aravis::MakeBackend(transport, gevInterfaceNames, nameCount);
        return Tevold::Result::kSuccess;
    } catch (const std::exception&) {
        return Tevold::Result::kError;
    }
}

// The loader looks the entry up by name: the type is checked here, where it is defined.
static_assert(
    std::is_same_v<decltype(TevoldOpenRealCameraBackend), Tevold::Aravis::OpenRealCameraBackend>);
