// A failed GenTL call, told the way a user can act on it: the call, the code's name and number,
// and the producer's last-error text.
#pragma once

#include <stdexcept>
#include <string>

#include "tools/GenTLProducer.h"

namespace Kavrin::Tools {

class GenTLError : public std::runtime_error {
public:
    GenTLError(const std::string& call, GenTL::GC_ERROR code, const std::string& lastError);

    GenTL::GC_ERROR Code() const { return code_; }

private:
    GenTL::GC_ERROR code_;
};

// "GC_ERR_TIMEOUT" and the like; codes outside the standard list give "GC_ERR_<number>".
std::string GenTLCodeName(GenTL::GC_ERROR code);

// Throws GenTLError for anything but GC_ERR_SUCCESS, with the producer's last-error text.
void CheckGenTL(GenTLProducer& producer, GenTL::GC_ERROR result, const char* call);

}  // namespace Kavrin::Tools
