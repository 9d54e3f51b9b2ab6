// The URL list of a port, as GenApi-based consumers read it: one entry when the port's URL
// names a description, else none.
#pragma once

#include <cstdint>

#include "GenTL.h"
#include "common/PortUrl.h"

namespace GenICam::Client {

class IPort;

uint32_t NumPortUrls(IPort& port);
void GetPortUrlInfo(IPort& port, uint32_t index, GenTL::URL_INFO_CMD command,
                    GenTL::INFO_DATATYPE* type, void* buffer, size_t* size);
// One URL information value; NotAvailableException for a part the URL does not have.
void AnswerUrlInfo(const PortUrl& url, GenTL::URL_INFO_CMD command, GenTL::INFO_DATATYPE* type,
                   void* buffer, size_t* size);

}  // namespace GenICam::Client
