#pragma once

#include <chrono>

namespace Tevold::Sim {

using SimClock = std::chrono::steady_clock;

// When a camera's next image is due and which timestamp each image gets (see the pacing rules in
// SimControl.h).
class FrameSchedule {
public:
    // The first image of an acquisition is due at once.
    void Restart(SimClock::time_point now);
    SimClock::time_point NextDue() const { return nextDue_; }
    // Books an image made at now; returns its timestamp.
    SimClock::time_point BookImage(SimClock::time_point now, bool paced, double framesPerSecond);

private:
    SimClock::time_point nextDue_{};
    SimClock::time_point lastStamp_{};
};

}  // namespace Tevold::Sim
