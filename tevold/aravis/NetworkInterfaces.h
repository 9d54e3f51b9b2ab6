#pragma once

#include <netinet/in.h>

#include <optional>
#include <string>
#include <vector>

namespace Tevold::Aravis {

// An IPv4 network interface that is up, as GigE discovery uses it.
struct NetworkInterface {
    std::string name;
    in_addr address{};
    // Where a discovery request goes: the broadcast address, or the interface's own address on
    // interfaces without broadcast (loopback), where cameras listen on that address itself.
    in_addr discoveryTarget{};
};

// The interfaces that are up with an IPv4 address; only the named ones when names are given.
std::vector<NetworkInterface> ListNetworkInterfaces(const std::vector<std::string>& allowedNames);

std::optional<NetworkInterface> FindNetworkInterface(const std::string& name,
                                                     const std::vector<std::string>& allowedNames);

std::string FormatAddress(const in_addr& address);

}  // namespace Tevold::Aravis
