#include "tevold/TransportChoice.h"

#include <net/if.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Tevold {
namespace {

std::vector<std::string> SplitList(const char* text) {
    std::vector<std::string> items;
    if (text == nullptr) {
        return items;
    }
    std::istringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        const auto first = item.find_first_not_of(" \t");
        if (first == std::string::npos) {
            continue;
        }
        items.push_back(item.substr(first, item.find_last_not_of(" \t") - first + 1));
    }
    return items;
}

// A name that matches nothing would otherwise just leave the camera list empty.
void WarnAboutUnknownNames(const char* transports, const char* gevNetworkInterfaces) {
    for (const std::string& name : SplitList(transports)) {
        if (name != "sim" && name != "gev" && name != "u3v") {
            std::fprintf(stderr,
                         "warning: KAVRIN_TRANSPORTS: \"%s\" is no transport (sim, gev, u3v)\n",
                         name.c_str());
        }
    }
    for (const std::string& name : SplitList(gevNetworkInterfaces)) {
        if (if_nametoindex(name.c_str()) == 0) {
            std::fprintf(stderr,
                         "warning: KAVRIN_GEV_INTERFACES: this host has no network interface "
                         "\"%s\"\n",
                         name.c_str());
        }
    }
}

}  // namespace

TransportChoice TransportChoice::Parse(const char* transports, const char* gevNetworkInterfaces) {
    TransportChoice choice;
    const std::vector<std::string> names = SplitList(transports);
    if (!names.empty()) {
        const auto named = [&names](const char* name) {
            return std::find(names.begin(), names.end(), name) != names.end();
        };
        choice.simulator = named("sim");
        choice.gev = named("gev");
        choice.u3v = named("u3v");
    }
    choice.gevNetworkInterfaces = SplitList(gevNetworkInterfaces);
    return choice;
}

TransportChoice TransportChoice::FromEnvironment() {
    const char* transports = std::getenv("KAVRIN_TRANSPORTS");
    const char* gevNetworkInterfaces = std::getenv("KAVRIN_GEV_INTERFACES");
    WarnAboutUnknownNames(transports, gevNetworkInterfaces);
    return Parse(transports, gevNetworkInterfaces);
}

}  // namespace Tevold
