// SPDX-License-Identifier: GPL-2.0-or-later
// What a stream shares between its threads, driven from the test's thread the
// way the network thread, a decode thread and the control would drive it: which
// picture wins, what a stopped or restarted session leaves behind, when a
// stream is not Motion JPEG, and that a detached sink is never called.
#include "core/media_contract/dispatch.h"
#include "media/stream/stream_state.h"

#include <QImage>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace Status = media::Status;
using media::EncodedPicture;
using media::StreamState;

class RecordingSink final : public media::StreamSink {
public:
    void streamStatusChanged(std::int32_t status) override
    {
        statuses.push_back(status);
        // The state holds none of its own locks while it calls (this would hang otherwise).
        if (readBack)
            readBackStatuses.push_back(readBack->status());
    }
    void pictureReady() override
    {
        ++picturesReady;
        if (readBack)
            readBackReady = readBack->takeReadyPicture().has_value();
    }

    std::vector<std::int32_t> statuses;
    int picturesReady = 0;
    media::StreamState* readBack = nullptr;
    std::vector<std::int32_t> readBackStatuses;
    bool readBackReady = false;
};

class StreamStateTest : public testing::Test {
protected:
    StreamStateTest() { state.setSeen(true); }

    // The network thread: a part whose bytes are `name` arrives.
    void offer(const std::string& name)
    {
        state.offerPicture(EncodedPicture { name, 0, session, connection });
    }
    // A decode thread: `part` decoded (taken earlier with state.takePicture()).
    void decoded(const EncodedPicture& part)
    {
        state.pictureDecoded(part,
            media::ReadyPicture { QImage(4, 3, QImage::Format_RGB32), QSize(4, 3), part.sendTimeUs,
                std::make_shared<const std::string>(part.jpeg) });
    }
    void decodeWaiting()
    {
        if (const std::optional<EncodedPicture> part = state.takePicture())
            decoded(*part);
        state.finishDecode();
    }
    // The control: the name of the picture it would paint now, or "".
    std::string ready()
    {
        const std::optional<media::ReadyPicture> picture = state.takeReadyPicture();
        return picture ? *picture->jpeg : std::string();
    }

    RecordingSink sink;
    StreamState state { &sink };
    std::uint64_t session = state.beginSession(Status::Connecting);
    std::uint64_t connection = state.beginConnection(session);
};

using NewestPictureWins = StreamStateTest;
using OldSession = StreamStateTest;
using Stall = StreamStateTest;

TEST_F(NewestPictureWins, APartOfferedWhileOneWaitsReplacesIt)
{
    offer("first");
    offer("second");
    EXPECT_EQ(state.takePicture()->jpeg, "second");
    EXPECT_FALSE(state.takePicture());
    EXPECT_EQ(state.counters().received, 2u);
    EXPECT_EQ(state.counters().droppedBeforeDecode, 1u);
}

TEST_F(NewestPictureWins, ANewerDecodedPictureReplacesAnUntakenOneWithOneCall)
{
    offer("first");
    decodeWaiting();
    offer("second");
    decodeWaiting();
    EXPECT_EQ(ready(), "second");
    EXPECT_EQ(sink.picturesReady, 1);
    EXPECT_EQ(state.counters().droppedBeforeDraw, 1u);
}

class OutOfOrderDecodes : public StreamStateTest, public testing::WithParamInterface<bool> { };

// Two decodes of one stream finish in the wrong order: the newer picture,
// taken by the control already or not, is not followed by the older one.
TEST_P(OutOfOrderDecodes, AnOlderPictureNeverFollowsANewerOne)
{
    const bool newerTakenFirst = GetParam();
    offer("older");
    const EncodedPicture older = *state.takePicture();
    offer("newer");
    decoded(*state.takePicture());
    if (newerTakenFirst) {
        EXPECT_EQ(ready(), "newer");
    }
    decoded(older);
    EXPECT_EQ(ready(), newerTakenFirst ? "" : "newer");
    EXPECT_EQ(state.counters().decoded, 2u);
}

INSTANTIATE_TEST_SUITE_P(NewestPictureWins, OutOfOrderDecodes, testing::Bool(),
    [](const auto& info) { return info.param ? "NewerAlreadyTaken" : "NewerStillReady"; });

enum class Stage { Waiting, Decoding, Ready };

struct SessionChangeCase {
    const char* name;
    bool restart; // a new start; otherwise a stop
    Stage stage; // where the picture of the old session is when it changes
};
// ctest lists the case by its name, not as bytes.
void PrintTo(const SessionChangeCase& c, std::ostream* os)
{
    *os << c.name;
}

class SessionChange : public StreamStateTest, public testing::WithParamInterface<SessionChangeCase> { };

TEST_P(SessionChange, DropsThePicturesOfTheOldSession)
{
    const SessionChangeCase& c = GetParam();
    offer("old");
    std::optional<EncodedPicture> decoding;
    if (c.stage != Stage::Waiting)
        decoding = state.takePicture();
    if (c.stage == Stage::Ready)
        decoded(*decoding);
    const int readyCalls = sink.picturesReady;

    if (c.restart)
        state.beginSession(Status::Connecting);
    else
        state.endSession();
    if (c.stage == Stage::Decoding)
        decoded(*decoding);
    decodeWaiting();

    EXPECT_EQ(ready(), "");
    EXPECT_EQ(sink.picturesReady, readyCalls);
}

INSTANTIATE_TEST_SUITE_P(Sessions, SessionChange,
    testing::Values(SessionChangeCase { "StopWhileItWaits", false, Stage::Waiting },
        SessionChangeCase { "StopWhileItDecodes", false, Stage::Decoding },
        SessionChangeCase { "StopWhileItIsReady", false, Stage::Ready },
        SessionChangeCase { "RestartWhileItWaits", true, Stage::Waiting },
        SessionChangeCase { "RestartWhileItDecodes", true, Stage::Decoding },
        SessionChangeCase { "RestartWhileItIsReady", true, Stage::Ready }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OldSession, StatusIsRefused)
{
    const std::uint64_t old = session;
    const std::uint64_t current = state.beginSession(Status::Connecting);
    const std::size_t calls = sink.statuses.size();
    EXPECT_FALSE(state.setStatus(old, Status::ConnectionFailed, "late news"));
    EXPECT_EQ(state.status(), Status::Connecting);
    EXPECT_EQ(sink.statuses.size(), calls);
    EXPECT_TRUE(state.setStatus(current, Status::WaitingForPicture));
    EXPECT_EQ(sink.statuses.back(), Status::WaitingForPicture);
}

TEST_F(StreamStateTest, ALongDetailIsCutOnceToWholeCharacters)
{
    const std::size_t max = StreamState::kMaxDetailBytes;
    std::string euros; // 3 bytes each: the one across the limit goes whole
    for (std::size_t i = 0; i <= max / 3; ++i)
        euros += "\u20ac";
    const std::pair<std::string, std::string> cases[] = { { std::string(max, 'a'), std::string(max, 'a') },
        { std::string(max + 1, 'a'), std::string(max, 'a') + "\u2026" },
        { euros, euros.substr(0, max / 3 * 3) + "\u2026" } };
    for (const auto& [detail, kept] : cases) {
        ASSERT_TRUE(state.setStatus(session, Status::ConnectionFailed, detail));
        EXPECT_EQ(state.detail(), kept);
    }
}

TEST_F(Stall, APlayingStreamStallsAndPlaysAgainWhenAPartArrives)
{
    state.markStalled(session); // not playing yet: nothing to stall
    EXPECT_EQ(state.status(), Status::Connecting);
    offer("first");
    decodeWaiting();
    state.markStalled(session);
    EXPECT_EQ(state.status(), Status::Stalled);
    state.partArrived(session);
    EXPECT_EQ(sink.statuses,
        (std::vector<std::int32_t> {
            Status::Connecting, Status::Playing, Status::Stalled, Status::Playing }));
}

struct DecodeScriptCase {
    const char* name;
    // Per step: F a part of this connection fails, G one decodes, O one of
    // the connection before fails, | a new connection.
    const char* script;
    std::int32_t status;
    const char* reason;
    const char* detail;
};
void PrintTo(const DecodeScriptCase& c, std::ostream* os)
{
    *os << c.name;
}

class UndecodableParts : public StreamStateTest, public testing::WithParamInterface<DecodeScriptCase> { };

TEST_P(UndecodableParts, GiveNotMjpegOnlyWhenAConnectionDecodesNone)
{
    const DecodeScriptCase& c = GetParam();
    state.setStatus(session, Status::WaitingForPicture);
    std::uint64_t before = connection;
    for (const char step : std::string(c.script)) {
        const EncodedPicture part { "part", 0, session, step == 'O' ? before : connection };
        if (step == '|') {
            before = connection;
            connection = state.beginConnection(session);
        } else if (step == 'G') {
            offer("good");
            decodeWaiting();
        } else {
            state.pictureFailed(part, c.reason);
        }
    }
    EXPECT_EQ(state.status(), c.status);
    EXPECT_EQ(state.detail(), c.detail);
}

INSTANTIATE_TEST_SUITE_P(NotMjpeg, UndecodableParts,
    testing::Values(DecodeScriptCase { "FourAreNotEnough", "FFFF", Status::WaitingForPicture, "bad", "" },
        DecodeScriptCase { "FiveGiveTheReason", "FFFFF", Status::NotMjpeg, "picture too large: 7071x7071",
            "picture too large: 7071x7071" },
        DecodeScriptCase {
            "FiveWithoutAReason", "FFFFF", Status::NotMjpeg, "", "no picture of the stream decodes" },
        DecodeScriptCase { "AGoodOneProvesTheConnection", "FFFFGFFFFFFF", Status::Playing, "bad", "" },
        DecodeScriptCase { "ANewConnectionCountsAfresh", "FFFF|FFFF", Status::WaitingForPicture, "bad", "" },
        DecodeScriptCase {
            "ThePreviousConnectionDoesNotCount", "F|FFFFOOO", Status::WaitingForPicture, "bad", "" },
        DecodeScriptCase { "FiveOnTheNewConnection", "FFFF|FFFFF", Status::NotMjpeg, "bad", "bad" }),
    [](const auto& info) { return std::string(info.param.name); });

enum class Finish { Decoded, FailedFiveTimes, LeftTheQueue };

struct DetachCase {
    const char* name;
    Finish finish;
    bool sessionEnded; // as the control's destructor does after detaching
};
void PrintTo(const DetachCase& c, std::ostream* os)
{
    *os << c.name;
}

class DetachedSink : public StreamStateTest, public testing::WithParamInterface<DetachCase> { };

// The control is destroyed while one of its parts is being decoded.
TEST_P(DetachedSink, IsNotCalledByADecodeThatFinishesLater)
{
    const DetachCase& c = GetParam();
    state.setStatus(session, Status::WaitingForPicture);
    offer("part");
    const EncodedPicture part = *state.takePicture();
    offer("next");
    state.detach();
    const std::vector<std::int32_t> statuses = sink.statuses;
    const int readyCalls = sink.picturesReady;
    if (c.sessionEnded)
        state.endSession();

    if (c.finish == Finish::Decoded)
        decoded(part);
    for (int i = 0; c.finish == Finish::FailedFiveTimes && i < StreamState::kFailuresBeforeNotMjpeg; ++i)
        state.pictureFailed(part, "bad");
    state.finishDecode();
    decodeWaiting();
    state.setStatus(session, Status::ConnectionFailed);

    EXPECT_EQ(sink.statuses, statuses);
    EXPECT_EQ(sink.picturesReady, readyCalls);
    EXPECT_EQ(state.status(), c.sessionEnded ? Status::Stopped : Status::ConnectionFailed);
}

INSTANTIATE_TEST_SUITE_P(Detach, DetachedSink,
    testing::Values(DetachCase { "Decoded", Finish::Decoded, false },
        DetachCase { "FailedFiveTimes", Finish::FailedFiveTimes, false },
        DetachCase { "LeftTheQueue", Finish::LeftTheQueue, false },
        DetachCase { "DecodedAfterTheSessionEnded", Finish::Decoded, true },
        DetachCase { "FailedAfterTheSessionEnded", Finish::FailedFiveTimes, true }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_F(StreamStateTest, TheSinkIsCalledWithNoLockOfTheStateHeld)
{
    sink.readBack = &state;
    state.setStatus(session, Status::WaitingForPicture);
    offer("first");
    decodeWaiting();
    EXPECT_EQ(
        sink.readBackStatuses, (std::vector<std::int32_t> { Status::WaitingForPicture, Status::Playing }));
    EXPECT_TRUE(sink.readBackReady);
}
