// Turns a camera-library register result into a GenICam exception with its fixed text. Both
// the interface port and the remote device port use it.
#pragma once

#include <cstdint>

#include "camlib/CamLib.h"

namespace GenICam::Client {

enum class RegisterAccess { Read, Write };

// Results -1014 to -1001 raise; every other value is success.
void CheckRegisterResult(Tevold::CamResult result, uint64_t address, RegisterAccess access);

}  // namespace GenICam::Client
