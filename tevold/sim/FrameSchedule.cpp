#include "tevold/sim/FrameSchedule.h"

#include <algorithm>

namespace Tevold::Sim {

void FrameSchedule::Restart(SimClock::time_point now)
{
    nextDue_ = now;
}

SimClock::time_point FrameSchedule::BookImage(SimClock::time_point now, bool paced,
                                              double framesPerSecond)
{
    const auto period = std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double>(1.0 / framesPerSecond));
    SimClock::time_point stamp = now;
    if (paced && now - nextDue_ <= period) {
        stamp = nextDue_;
    }
    // Timestamps must increase even when the clock is coarse or images come back to back.
    stamp = std::max(stamp, lastStamp_ + SimClock::duration(1));
    lastStamp_ = stamp;
    nextDue_ = stamp + period;
    return stamp;
}

}  // namespace Tevold::Sim
