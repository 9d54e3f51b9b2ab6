// Writes frames on a thread of its own, so that compressing and storing one frame overlaps
// the acquisition of the next. Frames are copied in, so their buffers can go back to the
// producer at once; at most `capacity` copies wait, after which Save waits for the writer.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/FrameWriter.h"

namespace Kavrin::Tools {

class FrameSaver {
public:
    FrameSaver(const FrameWriter& writer, size_t capacity);
    // Writes what is still waiting, then joins the writer thread.
    ~FrameSaver();
    FrameSaver(const FrameSaver&) = delete;
    FrameSaver& operator=(const FrameSaver&) = delete;

    // Queues a copy of the frame as file number index. Throws the writer's first failure.
    void Save(const Frame& frame, uint64_t index);
    // Waits until every queued frame is written; throws the writer's first failure.
    void Finish();

private:
    struct Pending {
        Frame frame;
        std::vector<uint8_t> bytes;
        uint64_t index = 0;
    };

    void Write();
    void ThrowFailure();

    const FrameWriter& writer_;
    const size_t capacity_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;
    bool writing_ = false;
    bool closing_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace Kavrin::Tools
