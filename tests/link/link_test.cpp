#include "link/link.h"

#include <gtest/gtest.h>

#include "support/fake_transport.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;
using veld::testing::FakeTransport;
using veld::testing::ReplyFrame;

class LinkTest : public ::testing::Test, protected veld::testing::FakeLinkWorld {};

std::vector<Byte> WithBadChecksum(std::vector<Byte> frame) {
    frame.back() ^= 0xFF;
    return frame;
}

TEST_F(LinkTest, SuccessfulReadFollowsTheDocumentedTiming) {
    answer(ReplyFrame({0x00, 0x00, 0x0D, 0xE5}));
    std::vector<int> progress;
    link.onTransfer1 = [&](int v) { progress.push_back(v); };
    std::vector<bool> busy;
    link.onBusyChanged = [&](bool b) { busy.push_back(b); };
    bool linesUpAtWrite = false;
    clock.schedule(49ms, [&] { linesUpAtWrite = transport.dtr && transport.rts; });

    EXPECT_FALSE(link.ReadKonst(257, 2));
    EXPECT_EQ(link.lastResult(), TransactionResult::Success);
    EXPECT_EQ(link.rx.RxData[2], 0x0D);
    EXPECT_EQ(link.rx.RxData[3], 0xE5);
    ASSERT_EQ(transport.writes.size(), 1u);
    EXPECT_EQ(transport.writes[0], link.tx.WireBytes());
    EXPECT_TRUE(linesUpAtWrite);
    EXPECT_EQ(transport.writeTimes[0], 50ms);  // after DTR, RTS and the 50 ms settle
    EXPECT_EQ(clock.now(), 50ms + 20ms);       // reply arrived 20 ms after the write
    EXPECT_EQ(transport.opened, std::vector<std::string>{"COM1"});
    EXPECT_FALSE(transport.isOpen());  // closed after every transaction
    EXPECT_FALSE(link.PortOpen);
    EXPECT_TRUE(prompts.messages.isEmpty());
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));

    EXPECT_TRUE(link.ReadKonst(0, 2));  // silence: what the last reply gave stays
    EXPECT_EQ(link.rx.RxData[2], 0x0D);
    EXPECT_EQ(link.rx.RxData[3], 0xE5);
}

TEST_F(LinkTest, SilenceCostsThreeAttemptsAndOneMessage) {
    link.BuildRequest("ReadPV", 0, 0);
    EXPECT_TRUE(link.SendAndWait());
    EXPECT_EQ(transport.writes.size(), 3u);
    EXPECT_EQ(link.attemptsMade(), 3);
    // 50 + 3 x (1 + 1000 + 200) ms, in virtual time.
    EXPECT_EQ(clock.now(), 50ms + 3 * (1ms + 1000ms + 200ms));
    EXPECT_EQ(transport.writeTimes[1] - transport.writeTimes[0], 1201ms);
    EXPECT_EQ(prompts.messages, QStringList{kMsgNoAnswer});
    EXPECT_EQ(link.lastResult(), TransactionResult::NoAnswer);
    EXPECT_FALSE(transport.isOpen());
}

// Each reply shape against what the engine makes of it: attempts, outcome and messages.
TEST_F(LinkTest, RepliesAreJudgedAsDocumented) {
    auto wrongAddress = ReplyFrame({0, 0, 1});
    wrongAddress[5] ^= 0x01;  // second address byte
    struct Case {
        const char* name;
        std::vector<FakeTransport::Answer> answers;
        std::size_t writes;
        TransactionResult result;
        QStringList messages;
    };
    const std::vector<Case> cases{
        {"silence, then an answered retry",
         {{std::nullopt, 20ms}, {ReplyFrame({0, 0, 0x42}), 20ms}},
         2,
         TransactionResult::Success,
         {}},
        {"a wrong address is retried like silence",
         {{wrongAddress, 20ms}, {wrongAddress, 20ms}, {wrongAddress, 20ms}},
         3,
         TransactionResult::NoAnswer,
         {kMsgNoAnswer}},
        {"a wrong checksum fails at once, silently",
         {{WithBadChecksum(ReplyFrame({0, 0, 1})), 20ms}},
         1,
         TransactionResult::BadChecksum,
         {}},
        // The verdict of a reply decoded during the 1 ms pause after the write stands.
        {"a wrong checksum during the pause after the write",
         {{WithBadChecksum(ReplyFrame({0, 0, 1})), 0us}},
         1,
         TransactionResult::BadChecksum,
         {}},
        // The 1 ms pause and the 1000 ms wait end at the same instant as the reply.
        {"a reply completing as the timer fires",
         {{ReplyFrame({0, 0}), 1001ms}},
         1,
         TransactionResult::NoAnswer,
         {kMsgNoAnswer}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        transport.writes.clear();
        prompts.messages.clear();
        transport.answers.assign(c.answers.begin(), c.answers.end());
        const bool failed = link.ReadKonst(0, 1);
        EXPECT_EQ(failed, c.result != TransactionResult::Success);
        EXPECT_EQ(link.rx.ReplyError, failed);
        EXPECT_EQ(transport.writes.size(), c.writes);
        EXPECT_EQ(link.lastResult(), c.result);
        EXPECT_EQ(prompts.messages, c.messages);
        EXPECT_EQ(link.lastMessage(), c.messages.value(0));
        EXPECT_FALSE(transport.isOpen());
        if (c.writes == 2) {
            EXPECT_EQ(transport.writes[0], transport.writes[1]);
        }
    }
}

// Only bytes received after the request is written count: a copy of the previous reply that
// arrives while the port settles (as on a line that repeats every reply 20 ms later) never
// decides the transaction, whether its checksum is right or wrong.
TEST_F(LinkTest, BytesBeforeTheWriteNeverDecideTheTransaction) {
    for (const bool badCopy : {false, true}) {
        SCOPED_TRACE(badCopy ? "bad copy" : "good copy");
        transport.writes.clear();
        transport.inputClears = 0;
        const auto earlier = ReplyFrame({0, 0, 0x11});
        transport.deliver(badCopy ? WithBadChecksum(earlier) : earlier, 20ms);
        answer(ReplyFrame({0, 0, 0x22}));
        EXPECT_FALSE(link.ReadKonst(1, 1));
        EXPECT_EQ(link.rx.RxData[2], 0x22);
        EXPECT_EQ(transport.writes.size(), 1u);

        // Unanswered, the stale copy must not turn the transaction into a success either.
        transport.deliver(badCopy ? WithBadChecksum(earlier) : earlier, 20ms);
        EXPECT_TRUE(link.ReadKonst(1, 1));
        EXPECT_EQ(link.lastResult(), TransactionResult::NoAnswer);
        EXPECT_EQ(transport.inputClears, static_cast<int>(transport.writes.size()))
            << "the port's pending input is dropped before each write";
    }
}

TEST_F(LinkTest, PartialWriteIsNotAWriteFailure_theWholeRequestIsRetried) {
    // The transmitter cannot answer a request cut short; the attempts run into their time-outs.
    transport.acceptBytes = 5;
    EXPECT_TRUE(link.ReadKonst(0, 1));
    EXPECT_EQ(transport.writes.size(), 3u);
    EXPECT_EQ(prompts.messages, QStringList{kMsgNoAnswer});
    EXPECT_FALSE(transport.isOpen());

    transport.acceptBytes.reset();
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(link.ReadKonst(0, 1));
    EXPECT_EQ(transport.writes.back(), link.tx.WireBytes());
}

TEST_F(LinkTest, OnlyAPortThatOpenedIsRemembered) {
    port.selectCom(3);
    transport.openFails = true;
    EXPECT_TRUE(link.ReadKonst(0, 1));
    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("It is not possible initialize comm 4")});
    EXPECT_EQ(link.lastResult(), TransactionResult::CannotOpen);
    EXPECT_TRUE(transport.writes.empty());
    EXPECT_FALSE(settings.contains(PortChoice::kComPortKey));
    EXPECT_EQ(clock.now(), 0ms);

    port.selectCom(5);
    transport.openFails = false;
    answer(ReplyFrame({0, 0}));
    EXPECT_FALSE(link.ReadKonst(0, 1));
    EXPECT_EQ(settings.value(PortChoice::kComPortKey).toString(), QStringLiteral("Com6"));
    EXPECT_EQ(transport.opened, std::vector<std::string>{"COM6"});
}

TEST_F(LinkTest, FailedWriteLeavesThePortOpenForTheNextTransaction) {
    transport.writeFails = true;
    EXPECT_TRUE(link.ReadKonst(0, 1));
    EXPECT_EQ(prompts.messages, QStringList{kMsgWriteFailed});
    EXPECT_EQ(link.lastResult(), TransactionResult::WriteFailed);
    EXPECT_TRUE(transport.isOpen());
    EXPECT_TRUE(link.PortOpen);

    transport.writeFails = false;
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(link.ReadKonst(0, 1));
    EXPECT_EQ(transport.opened.size(), 1u);  // reused, not reopened

    // After a failed write, choosing a port makes the next transaction reopen.
    transport.writeFails = true;
    EXPECT_TRUE(link.ReadKonst(0, 1));
    transport.writeFails = false;
    port.selectCom(1);
    link.SetComClick();
    answer(ReplyFrame({0, 0, 7}));
    EXPECT_FALSE(link.ReadKonst(0, 1));
    EXPECT_EQ(transport.opened.back(), "COM2");
    EXPECT_FALSE(link.ReopenPort);
}

TEST_F(LinkTest, VanishedPortEndsTheTransactionClosed) {
    transport.vanishAfter(60ms);  // while waiting for the reply
    EXPECT_TRUE(link.ReadKonst(0, 1));
    EXPECT_EQ(prompts.messages, QStringList{kMsgWriteFailed});
    EXPECT_EQ(link.lastResult(), TransactionResult::PortLost);
    EXPECT_FALSE(link.PortOpen);
    EXPECT_LT(clock.now(), 100ms);  // no retries against a port that is gone
    EXPECT_EQ(transport.writes.size(), 1u);

    // The next transaction opens afresh.
    answer(ReplyFrame({0, 0, 9}));
    EXPECT_FALSE(link.ReadKonst(0, 1));
    EXPECT_EQ(transport.opened.size(), 2u);
}

TEST_F(LinkTest, PutDevFloatFillsFourBytesOnly) {
    link.tx.TxData.fill(0xAA);
    link.PutDevFloat(5, 100.0f);
    link.PutDevFloat(48, 1.0f);  // would pass the end: ignored
    EXPECT_EQ(std::vector<Byte>(link.tx.TxData.begin() + 4, link.tx.TxData.begin() + 10),
              (std::vector<Byte>{0xAA, 0x87, 0x48, 0x00, 0x00, 0xAA}));
    EXPECT_EQ(link.tx.TxData[50], 0xAA);
}

}  // namespace
}  // namespace veld::link
