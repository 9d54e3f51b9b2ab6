// Lets aravis, an independent GenICam implementation, reach our registers: the GenApi device of
// kavrin-grab with memory reads and writes going to a CamDevice or CamInterface, so a parsed
// register description can be evaluated against the simulated hardware.
#pragma once

#include "camlib/CamLib.h"
#include "tools/GenApiPortDevice.h"

#include <string>

namespace Tevold::Testing {
using namespace Kavrin::Tools;

// The port must not outlive the object it reaches (a CamDevice or a CamInterface).
template <typename Port>
ArvDevicePtr MakeAravisPortDevice(Port& port) {
    const auto failure = [](CamResult result) {
        return result == 0 ? std::string() : "register access: " + std::to_string(result);
    };
    return MakeGenApiPortDevice(
        [&port, failure](uint64_t address, void* data, size_t size) {
            return failure(port.ReadRegister(address, data, &size));
        },
        [&port, failure](uint64_t address, void* data, size_t size) {
            return failure(port.WriteRegister(address, data, &size));
        });
}

}  // namespace Tevold::Testing
