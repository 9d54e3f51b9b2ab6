#include "tevold/aravis/NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>
#include <memory>

namespace Tevold::Aravis {
namespace {

bool Allowed(const std::string& name, const std::vector<std::string>& allowedNames) {
    return allowedNames.empty() ||
           std::find(allowedNames.begin(), allowedNames.end(), name) != allowedNames.end();
}

in_addr Ipv4Of(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
}

}  // namespace

std::vector<NetworkInterface> ListNetworkInterfaces(const std::vector<std::string>& allowedNames) {
    std::vector<NetworkInterface> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    const std::unique_ptr<ifaddrs, decltype(&freeifaddrs)> owner(list, &freeifaddrs);
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_UP) == 0 || !Allowed(entry->ifa_name, allowedNames)) {
            continue;
        }
        NetworkInterface nic{entry->ifa_name, Ipv4Of(entry->ifa_addr), Ipv4Of(entry->ifa_addr)};
        if ((entry->ifa_flags & IFF_BROADCAST) != 0 && entry->ifa_broadaddr != nullptr) {
            nic.discoveryTarget = Ipv4Of(entry->ifa_broadaddr);
        }
        // One IPv4 address per interface is enough to reach its cameras: the first one.
        const bool known =
            std::any_of(found.begin(), found.end(),
                        [&](const NetworkInterface& other) { return other.name == nic.name; });
        if (!known) {
            found.push_back(nic);
        }
    }
    return found;
}

std::optional<NetworkInterface> FindNetworkInterface(const std::string& name,
                                                     const std::vector<std::string>& allowedNames) {
    for (const NetworkInterface& nic : ListNetworkInterfaces(allowedNames)) {
        if (nic.name == name) {
            return nic;
        }
    }
    return std::nullopt;
}

std::string FormatAddress(const in_addr& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

}  // namespace Tevold::Aravis
