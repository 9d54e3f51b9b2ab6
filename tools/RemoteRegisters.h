// Raw register access to a device's remote port (GCReadPort/GCWritePort), for the registers a
// register description does not name or names wrongly, and the words of the regs command that ask
// for it: ADDRESS, ADDRESS:LEN or ADDRESS=VALUE (or ADDRESS:LEN=VALUE).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

struct RegisterRequest {
    uint64_t address = 0;
    size_t length = 4;
    std::optional<uint64_t> value;  // written in length bytes, then read back
};

// Throws std::runtime_error saying what is wrong with the word.
RegisterRequest ParseRegisterRequest(const std::string& word);

// "0x00000100: 80 02 00 00" lines of 16 bytes, and for 1, 2, 4 or 8 bytes the value they hold,
// " = 0x00000280 (640)", in the byte order asked for.
std::string HexDump(uint64_t address, const std::vector<uint8_t>& bytes, bool bigEndian);

// value in length bytes in the byte order asked for.
std::vector<uint8_t> ValueBytes(uint64_t value, size_t length, bool bigEndian);

class RemoteRegisters {
public:
    // The port must stay open while this object lives.
    RemoteRegisters(GenTLProducer& gentl, GenTL::PORT_HANDLE port) : gentl_(gentl), port_(port) {}

    std::vector<uint8_t> Read(uint64_t address, size_t length);
    void Write(uint64_t address, const std::vector<uint8_t>& bytes);

private:
    GenTLProducer& gentl_;
    GenTL::PORT_HANDLE port_;
};

}  // namespace Kavrin::Tools
