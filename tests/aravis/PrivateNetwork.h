// Tests that touch the network run in a network namespace of their own, so no discovery packet
// can leave the machine: only loopback exists there.
#pragma once

#include <string>

namespace aravis_tests {

// Moves the calling process (it must have no other thread yet) into a new network namespace and
// brings its loopback interface up. Returns why it could not, or an empty text.
std::string EnterPrivateNetwork();

// Empty once EnterPrivateNetwork succeeded; else the reason tests skip.
const std::string& PrivateNetworkUnavailable();

}  // namespace aravis_tests
