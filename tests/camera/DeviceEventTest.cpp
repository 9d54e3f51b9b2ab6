// Device events: no callback runs once SetEventCallback or CloseDevice has returned, however
// busy the camera is. What an event carries is checked through the producer.
#include "SimTestSupport.h"

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace Tevold::Testing {
namespace {

// Counts calls still running once the test has seen the removal return. Each call lingers a
// moment, so a removal that does not wait for a running call is caught in the act.
struct InstalledFlag {
    std::atomic<bool> installed{false};
    std::atomic<int> calls{0};
    std::atomic<int> lateCalls{0};

    static void Callback(uint32_t, uint32_t, uint64_t, uint32_t, uint32_t, void* context) {
        auto* self = static_cast<InstalledFlag*>(context);
        ++self->calls;
        std::this_thread::yield();
        if (!self->installed) {
            ++self->lateCalls;
        }
    }
};

using DeviceEventTest = CameraTest;

// Events raised without pause on both cameras race every removal with a delivery.
TEST_F(DeviceEventTest, NoCallbackAfterRemovalOrCloseReturns) {
    InstalledFlag removed;
    InstalledFlag closed;
    std::atomic<bool> raising{true};
    std::thread raiser([&] {
        while (raising) {
            Sim::RaiseDeviceEvent(kGevCamera, 1);
            Sim::RaiseDeviceEvent(kSecondGevCamera, 1);
        }
    });
    for (int round = 0; round < 200; ++round) {
        DevicePtr second = ConnectDevice(*interface_, kSecondGevCamera);
        removed.installed = true;
        closed.installed = true;
        EXPECT_EQ(Result::kSuccess, device_->SetEventCallback(&InstalledFlag::Callback, &removed));
        EXPECT_EQ(Result::kSuccess, second->SetEventCallback(&InstalledFlag::Callback, &closed));
        std::this_thread::yield();
        EXPECT_EQ(Result::kSuccess, device_->SetEventCallback(nullptr, nullptr));
        removed.installed = false;
        second.reset();
        closed.installed = false;
    }
    raising = false;
    raiser.join();
    EXPECT_GT(removed.calls, 0);
    EXPECT_EQ(0, removed.lateCalls);
    EXPECT_EQ(0, closed.lateCalls);
}

// Tries to close the device whose thread runs it, then removes itself.
struct SelfRemovingCallback {
    CamDevice* device = nullptr;
    std::atomic<int> calls{0};
    CamResult closeResult = Result::kSuccess;
    CamResult removeResult = Result::kError;
    std::promise<void> done;

    static void Callback(uint32_t, uint32_t, uint64_t, uint32_t, uint32_t, void* context) {
        auto* self = static_cast<SelfRemovingCallback*>(context);
        if (++self->calls > 1) {
            return;
        }
        self->closeResult = self->device->CloseDevice();
        self->removeResult = self->device->SetEventCallback(nullptr, nullptr);
        self->done.set_value();
    }
};

TEST_F(DeviceEventTest, CallbackMayRemoveItselfButNotCloseTheDevice) {
    SelfRemovingCallback callback;
    callback.device = device_.get();
    ASSERT_EQ(Result::kSuccess,
              device_->SetEventCallback(&SelfRemovingCallback::Callback, &callback));
    Sim::RaiseDeviceEvent(kGevCamera, 1);
    Sim::RaiseDeviceEvent(kGevCamera, 2);
    ASSERT_EQ(std::future_status::ready, callback.done.get_future().wait_for(kHangLimit));
    EXPECT_EQ(Result::kResourceInUse, callback.closeResult);
    EXPECT_EQ(Result::kSuccess, callback.removeResult);
    // Closing waits for the delivery thread, after which the second event can no longer come.
    device_.reset();
    EXPECT_EQ(1, callback.calls);
}

}  // namespace
}  // namespace Tevold::Testing
