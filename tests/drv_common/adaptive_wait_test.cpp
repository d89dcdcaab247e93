#include "drv/common/adaptive_wait.h"

#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;
using lumivex::drv::WaitClock;
using lumivex::drv::WakeLatency;

namespace {

// Time moves 1 µs per reading, and each sleep wakes up as late as the script says.
class ScriptedClock final : public WaitClock {
public:
    std::chrono::nanoseconds now() override { return time += 1us; }
    void sleep_until(std::chrono::nanoseconds wake) override {
        sleeps.push_back(wake);
        time = wake + late;
    }
    std::chrono::nanoseconds time{};
    std::chrono::nanoseconds late{};
    std::vector<std::chrono::nanoseconds> sleeps;
};

WakeLatency after(std::vector<std::chrono::nanoseconds> oversleeps) {
    WakeLatency latency;
    for (auto oversleep : oversleeps)
        latency.record(oversleep);
    return latency;
}

std::vector<std::chrono::nanoseconds> repeated(std::chrono::nanoseconds value, int times) {
    return std::vector<std::chrono::nanoseconds>(static_cast<std::size_t>(times), value);
}

TEST(WakeLatency, MarginFollowsAHighQuantileOfRecentOversleeps) {
    auto spikes = repeated(50us, 64);
    spikes[10] = spikes[20] = 400us;
    auto three_spikes = spikes;
    three_spikes[30] = 400us;
    auto aged = three_spikes;
    aged.insert(aged.end(), 64, 50us);
    const struct {
        const char* name;
        std::vector<std::chrono::nanoseconds> oversleeps;
        std::chrono::nanoseconds margin;
    } cases[] = {
        {"nothing measured", {}, 200us},
        {"steady", repeated(50us, 64), 60us},
        {"two spikes", spikes, 60us},
        {"three spikes", three_spikes, 410us},
        {"spikes out of the window", aged, 60us},
        {"one sample", {30us}, 40us},
        {"hardly late", repeated(0us, 8), 20us},
        {"very late", repeated(8ms, 8), 500us},
    };
    for (const auto& c : cases)
        EXPECT_EQ(after(c.oversleeps).margin(), c.margin) << c.name;
}

TEST(WaitUntil, SleepsToTheMarginLearnsHowLateItWokeAndSpinsToTheDeadline) {
    ScriptedClock clock;
    clock.late = 70us;
    WakeLatency latency; // 200 µs at first
    lumivex::drv::wait_until(1000us, latency, clock);
    ASSERT_EQ(clock.sleeps, std::vector<std::chrono::nanoseconds>{800us});
    EXPECT_GE(clock.time, 1000us);
    EXPECT_LE(clock.time, 1002us);
    EXPECT_EQ(latency.margin(), 81us); // 70 µs late, and 1 µs to read the clock

    lumivex::drv::wait_until(clock.time + 60us, latency, clock); // shorter than the margin
    EXPECT_EQ(clock.sleeps.size(), 1u);
}

} // namespace
