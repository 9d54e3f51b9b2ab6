// Device events: what they carry, and that no callback runs once SetEventCallback or CloseDevice
// has returned, however busy the camera is.
#include "SimTestSupport.h"

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace Tevold::Testing {
namespace {

struct ReceivedEvent {
    uint32_t id;
    uint64_t timestampNs;
};

class EventRecorder {
public:
    static void Callback(uint32_t eventId, uint32_t unused1, uint64_t unused2, uint32_t low,
                         uint32_t high, void* context)
    {
        auto* self = static_cast<EventRecorder*>(context);
        std::lock_guard lock(self->mutex_);
        self->unusedSeen_ |= unused1 != 0 || unused2 != 0;
        self->events_.push_back({eventId, uint64_t{high} << 32 | low});
        self->arrived_.notify_all();
    }

    std::vector<ReceivedEvent> WaitFor(size_t count)
    {
        std::unique_lock lock(mutex_);
        arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return events_.size() >= count; });
        return events_;
    }

    bool UnusedArgumentsSeen()
    {
        std::lock_guard lock(mutex_);
        return unusedSeen_;
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<ReceivedEvent> events_;
    bool unusedSeen_ = false;
};

// Counts calls that arrive while it is not installed.
struct InstalledFlag {
    std::atomic<bool> installed{false};
    std::atomic<int> calls{0};
    std::atomic<int> lateCalls{0};

    static void Callback(uint32_t, uint32_t, uint64_t, uint32_t, uint32_t, void* context)
    {
        auto* self = static_cast<InstalledFlag*>(context);
        ++self->calls;
        if (!self->installed) {
            ++self->lateCalls;
        }
    }
};

uint64_t SteadyNowNs()
{
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

class DeviceEventTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ConnectGevCamera();
    }
};

TEST_F(DeviceEventTest, AcquisitionStartAndStopRaiseEvents)
{
    EventRecorder recorder;
    ASSERT_EQ(Result::kSuccess, device_->SetEventCallback(&EventRecorder::Callback, &recorder));
    StreamPtr stream = OpenStream(*device_);
    ASSERT_EQ(Result::kSuccess, stream->StartGrab(0, -1));
    ASSERT_EQ(Result::kSuccess, stream->StopGrab(0));
    const auto events = recorder.WaitFor(2);
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ(Sim::kEventAcquisitionStart, events[0].id);
    EXPECT_EQ(Sim::kEventAcquisitionStop, events[1].id);
    EXPECT_LE(events[0].timestampNs, events[1].timestampNs);
    EXPECT_FALSE(recorder.UnusedArgumentsSeen());
}

TEST_F(DeviceEventTest, RaisedEventCarriesItsIdAndTheMomentItWasRaised)
{
    EventRecorder recorder;
    ASSERT_EQ(Result::kSuccess, device_->SetEventCallback(&EventRecorder::Callback, &recorder));
    const uint64_t before = SteadyNowNs();
    Sim::RaiseDeviceEvent(kGevCamera, 0x1234);
    const uint64_t after = SteadyNowNs();
    const auto events = recorder.WaitFor(1);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(0x1234u, events[0].id);
    EXPECT_GE(events[0].timestampNs, before);
    EXPECT_LE(events[0].timestampNs, after);
}

TEST_F(DeviceEventTest, NoCallbackAfterRemovalReturns)
{
    InstalledFlag flag;
    std::atomic<bool> raising{true};
    std::thread raiser([&] {
        while (raising) {
            Sim::RaiseDeviceEvent(kGevCamera, 1);
        }
    });
    for (int round = 0; round < 200; ++round) {
        flag.installed = true;
        ASSERT_EQ(Result::kSuccess, device_->SetEventCallback(&InstalledFlag::Callback, &flag));
        std::this_thread::yield();
        ASSERT_EQ(Result::kSuccess, device_->SetEventCallback(nullptr, nullptr));
        flag.installed = false;
    }
    raising = false;
    raiser.join();
    EXPECT_GT(flag.calls, 0);
    EXPECT_EQ(0, flag.lateCalls);
}

TEST_F(DeviceEventTest, NoCallbackAfterCloseDeviceReturns)
{
    InstalledFlag flag;
    std::atomic<bool> raising{true};
    std::thread raiser([&] {
        while (raising) {
            Sim::RaiseDeviceEvent(kSecondGevCamera, 1);
        }
    });
    for (int round = 0; round < 100; ++round) {
        DevicePtr device = ConnectDevice(*interface_, kSecondGevCamera);
        flag.installed = true;
        ASSERT_EQ(Result::kSuccess, device->SetEventCallback(&InstalledFlag::Callback, &flag));
        std::this_thread::yield();
        device.reset();
        flag.installed = false;
    }
    raising = false;
    raiser.join();
    EXPECT_EQ(0, flag.lateCalls);
}

// Tries to close the device whose thread runs it, then removes itself.
struct SelfRemovingCallback {
    CamDevice* device = nullptr;
    std::atomic<int> calls{0};
    CamResult closeResult = 1;
    CamResult removeResult = 1;
    std::promise<void> done;

    static void Callback(uint32_t, uint32_t, uint64_t, uint32_t, uint32_t, void* context)
    {
        auto* self = static_cast<SelfRemovingCallback*>(context);
        if (++self->calls > 1) {
            return;
        }
        self->closeResult = self->device->CloseDevice();
        self->removeResult = self->device->SetEventCallback(nullptr, nullptr);
        self->done.set_value();
    }
};

TEST_F(DeviceEventTest, CallbackMayRemoveItselfButNotCloseTheDevice)
{
    SelfRemovingCallback callback;
    callback.device = device_.get();
    ASSERT_EQ(Result::kSuccess,
              device_->SetEventCallback(&SelfRemovingCallback::Callback, &callback));
    Sim::RaiseDeviceEvent(kGevCamera, 1);
    Sim::RaiseDeviceEvent(kGevCamera, 2);
    ASSERT_EQ(std::future_status::ready,
              callback.done.get_future().wait_for(std::chrono::seconds(10)));
    EXPECT_EQ(Result::kResourceInUse, callback.closeResult);
    EXPECT_EQ(Result::kSuccess, callback.removeResult);
    // Closing waits for the delivery thread, after which the second event can no longer come.
    device_.reset();
    EXPECT_EQ(1, callback.calls);
}

}  // namespace
}  // namespace Tevold::Testing
