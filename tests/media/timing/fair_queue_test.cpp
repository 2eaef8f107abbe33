// SPDX-License-Identifier: GPL-2.0-or-later
// Turns of the decode pool: fair in decode time, so that one stream of slow
// pictures does not hold up the others.
#include "media/timing/fair_queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct Stream {
    std::string name;
};

using Queue = media::FairQueue<Stream>;
constexpr std::int64_t kMs = 1'000'000;

std::shared_ptr<Stream> stream(const char* name)
{
    return std::make_shared<Stream>(Stream { name });
}

// Takes the next stream and books `ms` of decode time to it, as a decode thread does.
std::string decodeNext(Queue& queue, std::int64_t ms, std::shared_ptr<Stream>* taken = nullptr)
{
    std::shared_ptr<Stream> next = queue.pop();
    queue.charge(next, ms * kMs);
    if (taken)
        *taken = next;
    return next->name;
}

TEST(FairQueue, EqualStreamsTakeTurnsInArrivalOrder)
{
    Queue queue(500 * kMs);
    auto a = stream("a");
    auto b = stream("b");
    auto c = stream("c");
    queue.push(a);
    queue.push(b);
    queue.push(c);
    std::string order;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 3; ++i) {
            std::shared_ptr<Stream> taken;
            order += decodeNext(queue, 4, &taken);
            queue.push(taken);
        }
    }
    EXPECT_EQ(order, "abcabc");
}

TEST(FairQueue, SlowStreamsWaitWhileCheapOnesAreWaiting)
{
    // Two cameras of slow pictures that always have another one waiting, and
    // a normal camera whose picture arrives while both are queued: it goes
    // next, not after both slow ones as in a plain first-come line.
    Queue queue(500 * kMs);
    auto slow1 = stream("slow1");
    auto slow2 = stream("slow2");
    queue.push(slow1);
    queue.push(slow2);
    std::shared_ptr<Stream> taken;
    EXPECT_EQ(decodeNext(queue, 80, &taken), "slow1");
    queue.push(taken);
    EXPECT_EQ(decodeNext(queue, 80, &taken), "slow2");
    queue.push(taken);
    queue.push(stream("normal"));
    EXPECT_EQ(decodeNext(queue, 3), "normal");
}

TEST(FairQueue, TimeNotUsedIsNotSavedUp)
{
    // A camera that was quiet for a long time does not get a burst of turns
    // ahead of the others when it comes back.
    Queue queue(500 * kMs);
    auto busy = stream("busy");
    auto quiet = stream("quiet");
    queue.push(busy);
    std::shared_ptr<Stream> taken;
    for (int i = 0; i < 100; ++i) {
        decodeNext(queue, 10, &taken);
        queue.push(taken);
    }
    queue.push(quiet);
    std::string order;
    for (int i = 0; i < 4; ++i) {
        order += decodeNext(queue, 10, &taken) + " ";
        queue.push(taken);
    }
    EXPECT_EQ(order, "quiet busy quiet busy ");
}

TEST(FairQueue, ACostlyStreamIsHeldBackOnlyForALimitedTime)
{
    // One picture of 10 s must not bar its camera for 10 s of the others'
    // decoding: its lead is capped.
    Queue queue(500 * kMs);
    auto costly = stream("costly");
    auto other = stream("other");
    queue.push(costly);
    std::shared_ptr<Stream> taken;
    decodeNext(queue, 10'000, &taken);
    queue.push(taken);
    queue.push(other);
    int othersTurns = 0;
    while (decodeNext(queue, 10, &taken) == "other") {
        ++othersTurns;
        queue.push(taken);
    }
    EXPECT_GE(othersTurns, 45);
    EXPECT_LE(othersTurns, 55);
}

} // namespace
