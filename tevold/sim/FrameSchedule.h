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
    // Books the image due next, which nobody took: the camera sent it on time whether or not
    // it was paced, so dropped images follow each other at exactly the frame rate.
    SimClock::time_point BookDroppedImage(double framesPerSecond);

private:
    SimClock::time_point Stamp(SimClock::time_point moment, double framesPerSecond);

    SimClock::time_point nextDue_{};
    SimClock::time_point lastStamp_{};
};

}  // namespace Tevold::Sim
