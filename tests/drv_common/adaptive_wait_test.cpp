#include "drv/common/adaptive_wait.h"
#include "drv/common/counter_time.h"

#include <gtest/gtest.h>
#include <vector>

using namespace std::chrono_literals;
using Oversleeps = std::vector<std::chrono::nanoseconds>;

namespace {

TEST(WakeLatency, MarginFollowsAHighQuantileOfRecentOversleeps) {
    Oversleeps spikes(64, 50us);
    spikes[10] = spikes[20] = 400us;
    Oversleeps three_spikes = spikes;
    three_spikes[30] = 400us;
    Oversleeps aged = three_spikes;
    aged.insert(aged.end(), 64, 50us);
    const struct {
        const char* name;
        Oversleeps oversleeps;
        std::chrono::nanoseconds margin;
    } cases[] = {{"nothing measured", {}, 200us},
                 {"steady", Oversleeps(64, 50us), 60us},
                 {"two spikes", spikes, 60us},
                 {"three spikes", three_spikes, 410us},
                 {"spikes out of the window", aged, 60us},
                 {"one sample", {30us}, 40us},
                 {"hardly late", Oversleeps(8, 0us), 20us},
                 {"very late", Oversleeps(8, 8ms), 500us}};
    for (const auto& c : cases) {
        lumivex::drv::WakeLatency latency;
        for (auto oversleep : c.oversleeps)
            latency.record(oversleep);
        EXPECT_EQ(latency.margin(), c.margin) << c.name;
    }
}

// Time moves 1 µs per reading, and each sleep wakes up 70 µs late.
class ScriptedClock final : public lumivex::drv::WaitClock {
public:
    std::chrono::nanoseconds now() override { return time += 1us; }
    void sleep_until(std::chrono::nanoseconds wake) override {
        sleeps.push_back(wake);
        time = wake + 70us;
    }
    std::chrono::nanoseconds time{};
    Oversleeps sleeps;
};

TEST(WaitUntil, SleepsToTheMarginLearnsHowLateItWokeAndSpinsToTheDeadline) {
    ScriptedClock clock;
    lumivex::drv::WakeLatency latency; // 200 µs at first
    lumivex::drv::wait_until(1000us, latency, clock);
    ASSERT_EQ(clock.sleeps, Oversleeps{800us});
    EXPECT_EQ(clock.time, 1000us);
    EXPECT_EQ(latency.margin(), 81us); // 70 µs late, and 1 µs to read the clock
    lumivex::drv::wait_until(clock.time + 60us, latency, clock); // shorter than the margin
    EXPECT_EQ(clock.sleeps.size(), 1u);
}

// A 10 MHz counter 12 and 22 days after start, where its count times 10^6 is past 64 bits.
TEST(CounterTime, StaysExactAfterDaysOfUptime) {
    for (const std::chrono::seconds uptime : {288h, 528h})
        EXPECT_EQ(lumivex::drv::counter_time(uptime.count() * 10'000'000 + 3, 10'000'000),
                  uptime + 300ns);
}

} // namespace
