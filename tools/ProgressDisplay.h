// Shows how far a grab is: a bar redrawn in place on a terminal, a plain line each second
// otherwise (a log or a pipe).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace Kavrin::Tools {

class ProgressDisplay {
public:
    ProgressDisplay(std::FILE* out, uint64_t total);

    void Update(uint64_t done, double framesPerSecond);
    // Ends the bar's line; call once when the grab is over.
    void Finish();

private:
    void Draw(uint64_t done, double framesPerSecond);

    std::FILE* out_;
    uint64_t total_;
    bool terminal_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace Kavrin::Tools
