// The handle registry: tokens that never come back, kinds kept apart, leases that hold a
// retirement back until the calls inside the object have left.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>
#include <utility>

#include "common/HandleRegistry.h"

using namespace GenICam::Client;

namespace {

using Kind = HandleRegistry::Kind;

void* AsHandle(uintptr_t token) { return reinterpret_cast<void*>(token); }

class HandleRegistryTest : public ::testing::Test {
protected:
    HandleRegistry registry_;
    int object_ = 0;
    int other_ = 0;
};

TEST_F(HandleRegistryTest, ATokenNeverComesBackWhenItsSlotIsReused) {
    std::set<uintptr_t> seen;
    for (int i = 0; i < 1000; ++i) {
        // The same object at the same address, published and retired again and again.
        const uintptr_t token = registry_.Publish(Kind::Module, &object_);
        EXPECT_TRUE(seen.insert(token).second) << "token " << token << " handed out twice";
        EXPECT_NE(token, reinterpret_cast<uintptr_t>(&object_));
        EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), &object_);
        registry_.Retire(token, {});
        EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), nullptr);
    }
}

TEST_F(HandleRegistryTest, KindsGarbageAndNullAreRefused) {
    const uintptr_t module = registry_.Publish(Kind::Module, &object_);
    const uintptr_t event = registry_.Publish(Kind::Event, &other_);
    EXPECT_EQ(registry_.Lease(AsHandle(module), Kind::Event), nullptr);
    EXPECT_EQ(registry_.Lease(AsHandle(event), Kind::Module), nullptr);
    EXPECT_EQ(registry_.Lease(AsHandle(event), Kind::Event), &other_);
    for (uintptr_t garbage : {uintptr_t{0}, uintptr_t{1}, module + 1,
                              module ^ (uintptr_t{1} << (sizeof(uintptr_t) * 8 - 2)), ~uintptr_t{0},
                              reinterpret_cast<uintptr_t>(&object_)})
        EXPECT_EQ(registry_.Lease(AsHandle(garbage), Kind::Module), nullptr) << garbage;
    EXPECT_FALSE(registry_.Claim(nullptr));
    EXPECT_TRUE(registry_.Claim(AsHandle(module)));
    EXPECT_FALSE(registry_.Claim(AsHandle(module)));
    registry_.Retire(module, {});
    registry_.Retire(event, {});
    registry_.Retire(event, {});
}

TEST_F(HandleRegistryTest, RetiringWaitsForCallsOfOtherThreadsButNotForItsOwn) {
    const uintptr_t token = registry_.Publish(Kind::Module, &object_);
    std::promise<void> leased;
    std::promise<void> leave;
    std::thread call([&] {
        const LeaseScope scope;
        EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), &object_);
        leased.set_value();
        leave.get_future().wait();
    });
    leased.get_future().wait();
    // Retire asks the object to release the calls inside it, and goes on asking until they left.
    std::promise<void> releasing;
    bool askedOnce = false;
    auto retired = std::async(std::launch::async, [&] {
        // The retiring thread holds a lease of its own, as a close inside an export call does.
        const LeaseScope scope;
        EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), &object_);
        registry_.Retire(token, [&] {
            if (!std::exchange(askedOnce, true)) releasing.set_value();
        });
    });
    releasing.get_future().wait();
    // The other call is still inside: the retirement waits, and new calls are refused.
    EXPECT_EQ(retired.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), nullptr);
    leave.set_value();
    call.join();
    retired.get();
    // The slot is free for a new object, under a new token.
    const uintptr_t next = registry_.Publish(Kind::Module, &other_);
    EXPECT_NE(next, token);
    EXPECT_EQ(registry_.Lease(AsHandle(token), Kind::Module), nullptr);
    EXPECT_EQ(registry_.Lease(AsHandle(next), Kind::Module), &other_);
}

TEST_F(HandleRegistryTest, AnObjectHasNoHandleBeforeItIsAskedForOneAndNoneAfterItWent) {
    PublishedHandle handle;
    void* first = handle.Get(Kind::Module, &object_);
    EXPECT_EQ(handle.Get(Kind::Module, &object_), first);
    EXPECT_EQ(HandleRegistry::Instance().Lease(first, Kind::Module), &object_);
    handle.Retire({});
    EXPECT_EQ(HandleRegistry::Instance().Lease(first, Kind::Module), nullptr);
    EXPECT_ANY_THROW(handle.Get(Kind::Module, &object_));
}

}  // namespace
