// The two faces of every module object: a port (registers, description URL, port information)
// and an event source. A module's handle is a token that resolves to its ICommonBase part.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GenTL.h"
#include "common/HandleRegistry.h"

namespace GenICam::Client {

class IPort {
public:
    virtual void Read(uint64_t address, void* buffer, size_t* size) = 0;
    virtual void Write(uint64_t address, const void* buffer, size_t* size) = 0;
    virtual void GetURL(char* url, size_t* size) = 0;
    virtual void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                             size_t* size) = 0;

protected:
    ~IPort() = default;
};

class IEventSrc {
public:
    virtual void RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) = 0;
    virtual void UnregisterEvent(GenTL::EVENT_TYPE eventType) = 0;

protected:
    ~IEventSrc() = default;
};

// Every module hands out a token as its handle, published once the module is complete and
// retired before it goes, so the exports refuse stale and garbage handles instead of following
// them.
class ICommonBase : public IPort, public IEventSrc {
public:
    ICommonBase() = default;
    virtual ~ICommonBase();
    ICommonBase(const ICommonBase&) = delete;
    ICommonBase& operator=(const ICommonBase&) = delete;

    // Modules without registers of their own: nothing is read or written, the size stays.
    void Read(uint64_t address, void* buffer, size_t* size) override;
    void Write(uint64_t address, const void* buffer, size_t* size) override;

    // Modules that offer no events reject every type.
    void RegisterEvent(GenTL::EVENT_TYPE eventType, GenTL::EVENT_HANDLE* event) override;
    void UnregisterEvent(GenTL::EVENT_TYPE eventType) override;

    // The handle the application gets for this module; the first call publishes it, so only
    // a module that is fully built may be asked.
    void* Handle() { return handle_.Get(HandleRegistry::Kind::Module, this); }

    // Refuses new calls through this module's handle and waits for the calls of other threads
    // to leave it. Every module class is final and does this first in its destructor, before
    // any part of the object is torn down; doing it again is harmless.
    void RetireHandle() { handle_.Retire({}); }

private:
    PublishedHandle handle_;
};

}  // namespace GenICam::Client
