// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/media_contract/dispatch.h"
#include "core/monitor/status_monitor.h"

#include <gmock/gmock.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

// A window stand-in that plays back scripted status reads and records every
// action of a tick in order.
struct ScriptedWindow {
    std::deque<std::int32_t> statuses; // one value per read; the last one repeats
    std::vector<std::string> calls;
    std::vector<std::string> logLines;
    std::vector<std::string> captions;
    int restarts = 0;
    int flagSets = 0;
    int reads = 0;

    std::int32_t read()
    {
        ++reads;
        const std::int32_t v = statuses.empty() ? 0 : statuses.front();
        if (statuses.size() > 1)
            statuses.pop_front();
        calls.push_back("read " + std::to_string(v));
        return v;
    }

    camera::MonitorActions actions()
    {
        camera::MonitorActions a;
        a.setDebugFlag = [this] {
            ++flagSets;
            calls.push_back("flag18");
        };
        a.readStatus = [this] { return read(); };
        a.timeStampNow = [] { return std::string("03/07/2014 4:05:09 PM"); };
        a.appendDebugLog = [this](const std::string& line) {
            logLines.push_back(line);
            calls.push_back("log");
        };
        a.setCaption = [this](const std::string& caption) {
            captions.push_back(caption);
            calls.push_back("caption");
        };
        a.restartStream = [this] {
            ++restarts;
            calls.push_back("restart");
        };
        return a;
    }

    // A tick where every read of this tick gives `status`.
    void tick(int index, int level, std::int32_t& last, std::int32_t status)
    {
        statuses = { status };
        camera::runMonitorTick(index, level, last, actions());
    }
};

TEST(SignedNumberForm, BlankBeforeZeroAndPositiveMinusBeforeNegative)
{
    EXPECT_EQ(camera::signedNumberForm(0), " 0");
    EXPECT_EQ(camera::signedNumberForm(2), " 2");
    EXPECT_EQ(camera::signedNumberForm(1025), " 1025");
    EXPECT_EQ(camera::signedNumberForm(-1), "-1");
    EXPECT_EQ(camera::signedNumberForm(-32769), "-32769");
    EXPECT_EQ(camera::signedNumberForm(std::numeric_limits<std::int32_t>::min()), "-2147483648");
    EXPECT_EQ(camera::signedNumberForm(std::numeric_limits<std::int32_t>::max()), " 2147483647");
}

TEST(LogLine, TwoBlanksBeforeAPositiveStatus)
{
    EXPECT_EQ(
        camera::statusLogLine(1025, "03/07/2014 4:05:09 PM"), "Status =  1025 on 03/07/2014 4:05:09 PM");
    EXPECT_EQ(camera::statusLogLine(-7, "x"), "Status = -7 on x");
}

struct CaptionCase {
    int index;
    std::int32_t status;
    const char* caption;
};

class Caption : public testing::TestWithParam<CaptionCase> { };

TEST_P(Caption, ShowsIndexPlusOneAndPlainStatus)
{
    EXPECT_EQ(camera::cameraCaption(GetParam().index, GetParam().status), GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Monitor, Caption,
    testing::Values(CaptionCase { 4, 5, "*Camera #5 Status:5" },
        CaptionCase { 2, 1026, "*Camera #3 Status:1026" }, CaptionCase { 0, 0, "*Camera #1 Status:0" },
        CaptionCase { 13, -3, "*Camera #14 Status:-3" },
        CaptionCase { 0, 70000, "*Camera #1 Status:70000" }));

struct RestartCase {
    std::int32_t status;
    bool restarts;
};

class RestartDecision : public testing::TestWithParam<RestartCase> { };

TEST_P(RestartDecision, RestartsOn1025AndAbove1027OnEveryTick)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    for (int tick = 0; tick < 3; ++tick)
        w.tick(0, 1, last, GetParam().status);
    EXPECT_EQ(w.restarts, GetParam().restarts ? 3 : 0) << "status " << GetParam().status;
}

INSTANTIATE_TEST_SUITE_P(Monitor, RestartDecision,
    testing::Values(RestartCase { 0, false }, RestartCase { 1, false }, RestartCase { 2, false },
        RestartCase { 1024, false }, RestartCase { 1025, true }, RestartCase { 1026, false },
        RestartCase { 1027, false }, RestartCase { 1028, true }, RestartCase { 1029, true },
        RestartCase { 1030, true }, RestartCase { 1031, true }, RestartCase { 70000, true },
        RestartCase { -1025, false }));

TEST(RestartDecision, Read4DecidesFor1025AndRead5ForAbove1027)
{
    EXPECT_TRUE(media::Status::needsRestart(1025, 2));
    EXPECT_FALSE(media::Status::needsRestart(2, 1025));
    EXPECT_TRUE(media::Status::needsRestart(2, 1028));
    EXPECT_FALSE(media::Status::needsRestart(1028, 2));
    EXPECT_FALSE(media::Status::needsRestart(1027, 1027));
}

TEST(Tick, LevelZeroAndNegativeDoNothingAtAll)
{
    for (int level : { 0, -1, -32768 }) {
        ScriptedWindow w;
        std::int32_t last = 0;
        w.tick(3, level, last, 1025);
        EXPECT_THAT(w.calls, IsEmpty()) << "level " << level;
        EXPECT_EQ(last, 0);
    }
}

TEST(Tick, ReadsInOrderWhenTheStatusChanged)
{
    ScriptedWindow w;
    std::int32_t last = 2;
    w.statuses = { 1025, 1025, 1025, 1025, 1025 };
    camera::runMonitorTick(0, 2, last, w.actions());
    EXPECT_THAT(w.calls,
        ElementsAre("flag18", "read 1025", "log", "read 1025", "read 1025", "caption", "read 1025",
            "read 1025", "restart"));
    EXPECT_EQ(w.reads, 5);
}

TEST(Tick, FourReadsWhenTheStatusStayed)
{
    ScriptedWindow w;
    std::int32_t last = 2;
    w.tick(0, 1, last, 2);
    EXPECT_THAT(w.calls, ElementsAre("read 2", "read 2", "caption", "read 2", "read 2"));
}

TEST(Tick, EachReadIsFreshAndUsedForItsOwnStep)
{
    // Read 1 sees a change, read 2 gives the new LastStatus, read 3 the
    // caption, read 4 and read 5 the restart decision.
    ScriptedWindow w;
    std::int32_t last = 2;
    w.statuses = { 1026, 1027, 1, 2, 1028 };
    camera::runMonitorTick(6, 1, last, w.actions());
    EXPECT_EQ(last, 1027);
    EXPECT_THAT(w.logLines, ElementsAre("Status =  2 on 03/07/2014 4:05:09 PM"));
    EXPECT_THAT(w.captions, ElementsAre("*Camera #7 Status:1"));
    EXPECT_EQ(w.restarts, 1);
}

TEST(Tick, SequenceZeroTwo1025WritesExactlyOneLine)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    w.tick(0, 1, last, 0);
    w.tick(0, 1, last, 2);
    EXPECT_THAT(w.logLines, IsEmpty()); // leaving the initial 0 is not logged
    EXPECT_EQ(last, 2);
    w.tick(0, 1, last, 1025);
    EXPECT_THAT(w.logLines, ElementsAre("Status =  2 on 03/07/2014 4:05:09 PM"));
    EXPECT_EQ(last, 1025);
    w.tick(0, 1, last, 1025);
    EXPECT_EQ(w.logLines.size(), 1u); // no change, no line
}

TEST(Tick, LeavingZeroIsNeverLoggedButEnteringZeroIs)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    w.tick(0, 1, last, 2);
    w.tick(0, 1, last, 0);
    w.tick(0, 1, last, 1);
    EXPECT_THAT(w.logLines, ElementsAre("Status =  2 on 03/07/2014 4:05:09 PM"));
}

TEST(Tick, NegativeStatusIsLoggedWithMinus)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    w.tick(0, 1, last, -5);
    w.tick(0, 1, last, 2);
    EXPECT_THAT(w.logLines, ElementsAre("Status = -5 on 03/07/2014 4:05:09 PM"));
    EXPECT_THAT(w.captions.front(), "*Camera #1 Status:-5");
}

TEST(Tick, StatusBeyond16BitsIsKeptWhole)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    w.tick(0, 1, last, 100000);
    EXPECT_EQ(last, 100000);
    w.tick(0, 1, last, 100000);
    EXPECT_EQ(w.logLines.size(), 0u); // the same status is no change
    w.tick(0, 1, last, 2);
    EXPECT_THAT(w.logLines, ElementsAre("Status =  100000 on 03/07/2014 4:05:09 PM"));
}

TEST(Tick, PropertyEighteenOnEveryTickAtLevelTwoAndMoreNeverAtOne)
{
    struct Case {
        int level;
        int flagsPerTick;
    };
    for (const Case c : { Case { 1, 0 }, Case { 2, 1 }, Case { 3, 1 }, Case { 32767, 1 } }) {
        ScriptedWindow w;
        std::int32_t last = 0;
        for (std::int32_t status : { 2, 2, 1025, 1026 })
            w.tick(1, c.level, last, status);
        EXPECT_EQ(w.flagSets, 4 * c.flagsPerTick) << "level " << c.level;
        if (c.flagsPerTick) {
            EXPECT_EQ(w.calls.front(), "flag18");
        }
    }
}

TEST(Tick, CaptionEveryTickAtLevelOne)
{
    ScriptedWindow w;
    std::int32_t last = 0;
    w.tick(4, 1, last, 5);
    w.tick(4, 1, last, 5);
    EXPECT_THAT(w.captions, ElementsAre("*Camera #5 Status:5", "*Camera #5 Status:5"));
}

} // namespace
