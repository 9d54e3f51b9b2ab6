// The object behind a BUFFER_HANDLE: one announced buffer, where it stands in the stream's
// queues, and what the last image written into it was.
#pragma once

#include <atomic>
#include <mutex>

#include "camlib/CamLib.h"
#include "common/ICommonBase.h"

namespace GenICam::Client {

// What the acquisition left in a buffer.
struct BufferFill {
    Tevold::CamImageInfo image;
    bool imagePresent = false;
    bool dataLargerThanBuffer = false;
};

class CBufferInfo final : public ICommonBase {
public:
    CBufferInfo(void* base, size_t size, void* userPointer, bool ownsMemory);
    ~CBufferInfo() override;

    // The memory; a buffer announced without memory raises "Invalid Memory Buffer".
    void* CheckedBase() const;
    void* Base() const { return base_; }
    size_t Size() const { return size_; }
    void* UserPointer() const { return userPointer_; }

    BufferFill Fill() const;
    void SetFill(const BufferFill& fill);

    void GetBufferInfo(GenTL::BUFFER_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                       size_t* size) const;

    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;

    // Where the buffer stands; the stream changes these under its queue locks while others
    // read them.
    std::atomic<bool> isQueued{false};
    std::atomic<bool> hasNewData{false};
    std::atomic<bool> isAwaitingDelivery{false};

private:
    void* const base_;
    const size_t size_;
    void* const userPointer_;
    const bool ownsMemory_;
    mutable std::mutex fillMutex_;
    BufferFill fill_;
};

}  // namespace GenICam::Client
