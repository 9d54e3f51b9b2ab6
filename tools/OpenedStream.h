// The first data stream of an opened device, open while this object lives.
#pragma once

#include "tools/OpenedDevice.h"

namespace Kavrin::Tools {

class OpenedStream {
public:
    explicit OpenedStream(OpenedDevice& device);
    ~OpenedStream();
    OpenedStream(const OpenedStream&) = delete;
    OpenedStream& operator=(const OpenedStream&) = delete;

    GenTL::DS_HANDLE Handle() const { return stream_; }

private:
    GenTLProducer& gentl_;
    GenTL::DS_HANDLE stream_ = nullptr;
};

}  // namespace Kavrin::Tools
