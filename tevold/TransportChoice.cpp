#include "tevold/TransportChoice.h"

#include <algorithm>
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
    return Parse(std::getenv("KAVRIN_TRANSPORTS"), std::getenv("KAVRIN_GEV_INTERFACES"));
}

}  // namespace Tevold
