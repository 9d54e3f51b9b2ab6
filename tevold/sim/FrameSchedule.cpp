#include "tevold/sim/FrameSchedule.h"

#include <algorithm>

namespace Tevold::Sim {
namespace {

SimClock::duration Period(double framesPerSecond) {
    return std::chrono::duration_cast<SimClock::duration>(
        std::chrono::duration<double>(1.0 / framesPerSecond));
}

}  // namespace

void FrameSchedule::Restart(SimClock::time_point now) { nextDue_ = now; }

SimClock::time_point FrameSchedule::BookImage(SimClock::time_point now, bool paced,
                                              double framesPerSecond) {
    const bool onTime = paced && now - nextDue_ <= Period(framesPerSecond);
    return Stamp(onTime ? nextDue_ : now, framesPerSecond);
}

SimClock::time_point FrameSchedule::BookDroppedImage(double framesPerSecond) {
    return Stamp(nextDue_, framesPerSecond);
}

SimClock::time_point FrameSchedule::Stamp(SimClock::time_point moment, double framesPerSecond) {
    // Timestamps must increase even when the clock is coarse or images come back to back.
    const SimClock::time_point stamp = std::max(moment, lastStamp_ + SimClock::duration(1));
    lastStamp_ = stamp;
    nextDue_ = stamp + Period(framesPerSecond);
    return stamp;
}

}  // namespace Tevold::Sim
