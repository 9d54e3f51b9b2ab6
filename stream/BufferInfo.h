// The object behind a BUFFER_HANDLE: one announced buffer, where it stands in the stream's
// queues, and what the last image written into it was.
#pragma once

#include <atomic>
#include <mutex>

#include "camlib/CamLib.h"
#include "common/ICommonBase.h"

namespace GenICam::Client {

// Where a buffer stands. The stream changes it only under its input lock; others read it.
enum class BufferState {
    Announced,         // in no queue
    Input,             // in the input queue, waiting to be filled
    Filling,           // taken by the acquisition thread, which puts it back or delivers it
    FillingDiscarded,  // being filled when a flush discarded it: it returns to no queue
    Output,            // in the output queue, waiting to be reported
    Delivered,         // reported to the application, in no queue
};

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
    // The chunks of the last payload (none without chunk data): with a null list only their
    // number, else up to *count of them, and their number in *count.
    void GetChunkData(GenTL::SINGLE_CHUNK_DATA* list, size_t* count) const;

    void GetURL(char* url, size_t* size) override;
    void GetPortInfo(GenTL::PORT_INFO_CMD command, GenTL::INFO_DATATYPE* type, void* buffer,
                     size_t* size) override;

    std::atomic<BufferState> state{BufferState::Announced};
    // Filled (or reported) and not queued again since.
    std::atomic<bool> hasNewData{false};

    // In the input queue or being filled for it.
    bool IsQueued() const;

private:
    void* const base_;
    const size_t size_;
    void* const userPointer_;
    const bool ownsMemory_;
    mutable std::mutex fillMutex_;
    BufferFill fill_;
};

}  // namespace GenICam::Client
