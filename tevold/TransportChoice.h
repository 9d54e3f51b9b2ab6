#pragma once

#include <string>
#include <vector>

namespace Tevold {

// Which backends GetSystem composes, read from the environment of the process:
//   KAVRIN_TRANSPORTS       comma-separated "sim", "gev", "u3v"; unset or empty means "sim".
//   KAVRIN_GEV_INTERFACES   comma-separated network interface names GigE discovery may use;
//                           unset or empty means every IPv4 interface that is up.
// GigE discovery broadcasts on every interface it is allowed, so real transports stay off until
// the user names them. Unknown transport names are ignored.
struct TransportChoice {
    bool simulator = true;
    bool gev = false;
    bool u3v = false;
    std::vector<std::string> gevNetworkInterfaces;

    static TransportChoice Parse(const char* transports, const char* gevNetworkInterfaces);
    static TransportChoice FromEnvironment();
};

}  // namespace Tevold
