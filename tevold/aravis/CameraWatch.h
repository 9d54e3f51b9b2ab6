#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace Tevold::Aravis {

// Notices a camera that stops answering long before Aravis's heartbeat gives up on it (which
// takes many seconds): a thread of its own asks the camera a question every period and reports
// the camera lost once it has answered nothing for the silence limit, or answers that this
// process no longer controls it. Owns its thread from construction to Stop() (or destruction).
class CameraWatch final {
public:
    enum class Answer { Controlled, NotControlled, Silent };
    // Asks the camera once, waiting at most the given time for its answer.
    using Probe = std::function<Answer(std::chrono::milliseconds wait)>;

    struct Timing {
        std::chrono::milliseconds period{100};    // between the end of one probe and the next
        std::chrono::milliseconds wait{200};      // for one answer
        std::chrono::milliseconds silence{1000};  // without an answer: the camera is lost
    };

    // onLost runs once at most, on the watch's thread, which then ends.
    CameraWatch(Probe probe, std::function<void()> onLost, Timing timing);
    ~CameraWatch();
    CameraWatch(const CameraWatch&) = delete;
    CameraWatch& operator=(const CameraWatch&) = delete;

    // Ends the watching and joins the thread, within one probe's wait.
    void Stop();

    // The silence limit of GigE Vision cameras: KAVRIN_GEV_LOSS_TIMEOUT_MS when it holds a
    // number from 100 up, else one second.
    static std::chrono::milliseconds SilenceLimitFromEnvironment();

private:
    void Run();
    // False once stopped.
    bool Pause(std::chrono::milliseconds time);

    const Probe probe_;
    const std::function<void()> onLost_;
    const Timing timing_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace Tevold::Aravis
