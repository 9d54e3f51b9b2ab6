// Preloaded (LD_PRELOAD) into a kavrin-grab process, this unplugs a simulated camera in that
// process once the camera has produced a given frame: the simulated hardware lives in the
// process that loads the camera library, so a test cannot pull the camera from outside.
//   KAVRIN_UNPLUG_CAMERA        the device ID
//   KAVRIN_UNPLUG_AFTER_FRAME   the frame ID after which it vanishes
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tevold/SimControl.h"

namespace {

class UnplugAgent {
public:
    UnplugAgent() {
        const char* camera = std::getenv("KAVRIN_UNPLUG_CAMERA");
        const char* frame = std::getenv("KAVRIN_UNPLUG_AFTER_FRAME");
        if (camera == nullptr || frame == nullptr) return;
        thread_ = std::thread([this, id = std::string(camera),
                               after = std::strtoull(frame, nullptr, 10)] { Watch(id, after); });
    }

    ~UnplugAgent() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    void Watch(const std::string& camera, uint64_t afterFrame) {
        while (!stop_) {
            if (Tevold::Sim::GetCameraStatus(camera).lastFrameId >= afterFrame) {
                Tevold::Sim::RemoveCamera(camera);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

UnplugAgent agent;

}  // namespace
