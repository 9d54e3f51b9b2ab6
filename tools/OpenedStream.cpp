#include "tools/OpenedStream.h"

#include "tools/GenTLError.h"

namespace Kavrin::Tools {

using namespace GenTL;

OpenedStream::OpenedStream(OpenedDevice& device) : gentl_(device.GenTL()) {
    char id[256] = {};
    size_t size = sizeof id;
    CheckGenTL(gentl_, gentl_.DevGetDataStreamID(device.Handle(), 0, id, &size),
               "DevGetDataStreamID");
    CheckGenTL(gentl_, gentl_.DevOpenDataStream(device.Handle(), id, &stream_),
               "DevOpenDataStream");
}

OpenedStream::~OpenedStream() { gentl_.DSClose(stream_); }

}  // namespace Kavrin::Tools
