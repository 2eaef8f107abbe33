// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/util/pause_seconds.h"

#include <gmock/gmock.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

// A clock that moves only when the test says so: each do-events round
// advances it by `step` seconds (wrapping at midnight like the real one).
class FakeClock {
public:
    explicit FakeClock(float start, float step = 0.1f)
        : m_now(start)
        , m_step(step)
    {
    }

    float now() const { return m_now; }
    void advance(float seconds)
    {
        m_total += seconds;
        m_now = std::fmod(m_now + seconds, 86400.0f);
    }
    float step() const { return m_step; }
    float totalAdvanced() const { return m_total; }

    Veskat::ClockSecondsSinceMidnight reader()
    {
        return [this] { return m_now; };
    }

private:
    float m_now;
    float m_step;
    float m_total = 0.0f;
};

struct PauseCase {
    const char* name;
    float seconds;
};

class ImmediateReturn : public testing::TestWithParam<PauseCase> { };

TEST_P(ImmediateReturn, ReturnsWithoutDispatching)
{
    FakeClock clock(1000.0f);
    int rounds = 0;
    Veskat::PauseSeconds(GetParam().seconds, clock.reader(), [&](float) {
        ++rounds;
        clock.advance(clock.step());
    });
    EXPECT_EQ(rounds, 0);
}

INSTANTIATE_TEST_SUITE_P(Pause, ImmediateReturn,
    testing::Values(PauseCase { "zero", 0.0f }, PauseCase { "negative", -1.0f },
        PauseCase { "very_negative", -86400.0f }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pause, DispatchesEventsUntilTheTimeHasPassed)
{
    FakeClock clock(3600.0f, 0.25f);
    int rounds = 0;
    Veskat::PauseSeconds(2.0f, clock.reader(), [&](float) {
        ++rounds;
        clock.advance(clock.step());
    });
    EXPECT_EQ(rounds, 8);
    EXPECT_FLOAT_EQ(clock.totalAdvanced(), 2.0f);
}

TEST(Pause, DispatchesAtLeastOnceForAnyPositiveWait)
{
    FakeClock clock(100.0f, 5.0f);
    int rounds = 0;
    Veskat::PauseSeconds(0.001f, clock.reader(), [&](float) {
        ++rounds;
        clock.advance(clock.step());
    });
    EXPECT_EQ(rounds, 1);
}

TEST(Pause, EachRoundMayWaitOnlyForWhatIsLeft)
{
    // A round that returns before the clock moves (an event came) just means
    // another round; the wait it is allowed shrinks with the time left, also
    // across midnight, and is never zero while the pause goes on.
    FakeClock clock(86399.5f);
    std::vector<float> allowed;
    Veskat::PauseSeconds(1.0f, clock.reader(), [&](float secondsLeft) {
        allowed.push_back(secondsLeft);
        if (allowed.size() % 2 == 0)
            clock.advance(0.25f);
    });
    ASSERT_EQ(allowed.size(), 8u);
    for (std::size_t i = 0; i < allowed.size(); ++i)
        EXPECT_NEAR(allowed[i], 1.0f - 0.25f * static_cast<float>(i / 2), 0.02f) << "round " << i;
}

struct MidnightCase {
    const char* name;
    float start;
    float step;
    float seconds;
};

class MidnightWrap : public testing::TestWithParam<MidnightCase> { };

TEST_P(MidnightWrap, EndsAfterTheAskedTimeNotADay)
{
    const auto& c = GetParam();
    FakeClock clock(c.start, c.step);
    int rounds = 0;
    Veskat::PauseSeconds(c.seconds, clock.reader(), [&](float) {
        ++rounds;
        clock.advance(clock.step());
        ASSERT_LT(rounds, 100000) << "the pause did not end after midnight";
    });
    // The float clock near 86400 has a coarse grain, hence the slack.
    EXPECT_GE(clock.totalAdvanced(), c.seconds - 0.1f);
    EXPECT_LE(clock.totalAdvanced(), c.seconds + c.step + 0.1f);
}

INSTANTIATE_TEST_SUITE_P(Pause, MidnightWrap,
    testing::Values(MidnightCase { "one_second_before", 86399.0f, 0.1f, 2.0f },
        MidnightCase { "just_before", 86399.9f, 0.05f, 2.0f },
        MidnightCase { "big_steps", 86398.5f, 1.0f, 2.0f },
        MidnightCase { "long_wait", 86000.0f, 1.0f, 1000.0f }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pause, NestedPauseInsideDoEventsLengthensTheOuterOne)
{
    // Another window's restart runs inside this pause: its own 2-second wait
    // holds the outer loop, which then ends as soon as its own 2 seconds
    // are over too. Started at 0.5 s into the outer wait, the inner one ends
    // at 2.5 s, later than the outer's 2 s.
    FakeClock clock(7200.0f, 0.1f);
    const float outerStart = clock.now();
    bool innerRan = false;
    float innerEnd = 0.0f;
    Veskat::DoEvents innerDoEvents = [&](float) { clock.advance(clock.step()); };
    Veskat::PauseSeconds(2.0f, clock.reader(), [&](float) {
        clock.advance(clock.step());
        if (!innerRan && clock.now() - outerStart >= 0.5f - 0.001f) {
            innerRan = true;
            Veskat::PauseSeconds(2.0f, clock.reader(), innerDoEvents);
            innerEnd = clock.now();
        }
    });
    ASSERT_TRUE(innerRan);
    EXPECT_NEAR(innerEnd - outerStart, 2.5f, 0.15f);
    // The outer pause returned in the first round after the inner one.
    EXPECT_NEAR(clock.now() - outerStart, 2.5f, 0.15f);
}

TEST(Pause, NestedShortPauseDoesNotShortenTheOuterOne)
{
    FakeClock clock(7200.0f, 0.1f);
    const float outerStart = clock.now();
    bool innerRan = false;
    Veskat::PauseSeconds(2.0f, clock.reader(), [&](float) {
        clock.advance(clock.step());
        if (!innerRan) {
            innerRan = true;
            Veskat::PauseSeconds(0.3f, clock.reader(), [&](float) { clock.advance(clock.step()); });
        }
    });
    EXPECT_TRUE(innerRan);
    EXPECT_GE(clock.now() - outerStart, 2.0f - 0.001f);
    EXPECT_LE(clock.now() - outerStart, 2.1f + 0.001f);
}

} // namespace
