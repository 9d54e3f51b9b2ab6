#include "events/EventObj.h"

#include "exports/HandleRegistry.h"

namespace GenICam::Client {

CEventObj::CEventObj() { HandleRegistry::Instance().AddEvent(this); }

CEventObj::~CEventObj() { HandleRegistry::Instance().Remove(this); }

}  // namespace GenICam::Client
