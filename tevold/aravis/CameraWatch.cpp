#include "tevold/aravis/CameraWatch.h"

#include <cstdlib>
#include <string>

namespace Tevold::Aravis {

CameraWatch::CameraWatch(Probe probe, std::function<void()> onLost, Timing timing)
    : probe_(std::move(probe)), onLost_(std::move(onLost)), timing_(timing) {
    thread_ = std::thread(&CameraWatch::Run, this);
}

CameraWatch::~CameraWatch() { Stop(); }

void CameraWatch::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool CameraWatch::Pause(std::chrono::milliseconds time) {
    std::unique_lock lock(mutex_);
    return !stopped_.wait_for(lock, time, [this] { return stopping_; });
}

void CameraWatch::Run() {
    auto lastAnswer = std::chrono::steady_clock::now();
    while (Pause(timing_.period)) {
        const Answer answer = probe_(timing_.wait);
        const auto now = std::chrono::steady_clock::now();
        if (answer == Answer::Controlled) {
            lastAnswer = now;
            continue;
        }
        if (answer == Answer::NotControlled || now - lastAnswer >= timing_.silence) {
            {
                std::lock_guard lock(mutex_);
                if (stopping_) {
                    return;
                }
            }
            onLost_();
            return;
        }
    }
}

std::chrono::milliseconds CameraWatch::SilenceLimitFromEnvironment() {
    constexpr long kDefaultMs = 1000;
    constexpr long kLeastMs = 100;
    const char* text = std::getenv("KAVRIN_GEV_LOSS_TIMEOUT_MS");
    if (text == nullptr) {
        return std::chrono::milliseconds(kDefaultMs);
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return std::chrono::milliseconds(end != text && *end == '\0' && value >= kLeastMs ? value
                                                                                      : kDefaultMs);
}

}  // namespace Tevold::Aravis
