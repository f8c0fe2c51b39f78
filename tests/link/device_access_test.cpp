#include "link/device_access.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "link/link.h"
#include "support/fake_transport.h"
#include "support/sim_world.h"
#include "support/wire.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;
using veld::testing::ReplyFrame;
using veld::testing::RequestWire;
using veld::testing::SimWorld;
using Kind = AccessFailure::Kind;

constexpr Byte kWriteEeprom = 0x72;
constexpr Byte kReadPv = 0x01;

class DeviceAccessTest : public ::testing::Test, protected veld::testing::FakeLinkWorld {};

// Every way a read can fail, and what the user has been told.
TEST_F(DeviceAccessTest, readBytes_refusesWhatDoesNotAnswerTheRequest) {
    auto badChecksum = ReplyFrame({0, 0, 1, 2});
    badChecksum.back() ^= 0xFF;
    // clang-format off
    struct Case { const char* name; std::optional<std::vector<Byte>> reply; Kind kind;
                  Byte responseCode; QStringList shown; };
    // clang-format on
    const Case cases[] = {
        // A ReadPV reply padded to the length asked for is not memory.
        {"other command", ReplyFrame({0, 0, 32, 0x42, 0xC8}, kReadPv), Kind::WrongCommand, 0, {}},
        {"refused, code 3", ReplyFrame({3, 0}), Kind::ShortReply, 3, {}},
        {"one byte short", ReplyFrame({0, 0, 1, 2, 3}), Kind::ShortReply, 0, {}},
        {"bad checksum", badChecksum, Kind::BadChecksum, 0, {}},
        {"silence", std::nullopt, Kind::Transaction, 0, {kMsgNoAnswer}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.messages.clear();
        transport.answers.clear();
        for (int i = 0; i < kAttempts; ++i)
            answer(c.reply);
        const auto r = access.readBytes(100, 4);
        ASSERT_FALSE(r.ok());
        EXPECT_EQ(r.failure().kind, c.kind);
        EXPECT_EQ(r.failure().responseCode, c.responseCode);
        EXPECT_EQ(r.failure().messageShown(), !c.shown.isEmpty());
        EXPECT_EQ(prompts.messages, c.shown);
        EXPECT_FALSE(r.failure().describe().isEmpty());
        EXPECT_EQ(r.strict()->kind, c.kind);
    }
}

TEST_F(DeviceAccessTest, writeBytes_inChunksOfTwentyInOrder_stopsAtTheFirstFailure) {
    std::vector<Byte> bytes(45);
    std::iota(bytes.begin(), bytes.end(), Byte{1});
    for (int i = 0; i < 3; ++i)
        answer(ReplyFrame({0, 0}, kWriteEeprom));
    ASSERT_TRUE(access.writeBytes(600, bytes).ok());
    const std::span<const Byte> all(bytes);
    EXPECT_EQ(transport.writes, (std::vector<std::vector<Byte>>{
                                    RequestWire("WriteEEPROM", 600, 20, all.subspan(0, 20)),
                                    RequestWire("WriteEEPROM", 620, 20, all.subspan(20, 20)),
                                    RequestWire("WriteEEPROM", 640, 5, all.subspan(40))}));

    transport.writes.clear();
    answer(ReplyFrame({0, 0}, kWriteEeprom));  // the second chunk is never answered
    const auto r = access.writeBytes(600, bytes);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.failure().kind, Kind::Transaction);
    EXPECT_EQ(transport.writes.size(), 1u + kAttempts);
}

// The reals, the value and the request shown on success are the scenarios' (read,
// measurement_single).
TEST_F(DeviceAccessTest, commandAndReadPv_checkPayloadLength_commandsWithDataAreRefused) {
    answer(ReplyFrame({0, 0, 9}, 0x25));
    const auto ofs = access.command("NastOfs", 1);
    ASSERT_TRUE(ofs.ok());
    EXPECT_EQ(ofs->payload, std::vector<Byte>{9});
    answer(ReplyFrame({0, 0}, 0x24));
    EXPECT_EQ(access.command("NastFS", 1).failure().kind, Kind::ShortReply);
    answer(ReplyFrame({0, 0, 32}, kReadPv));  // a unit without its value
    EXPECT_EQ(access.readPv().failure().kind, Kind::ShortReply);
    EXPECT_EQ(access.command("ReadEEPROM").failure().kind, Kind::BadRequest);
    EXPECT_EQ(access.command("NoSuchCommand").failure().kind, Kind::BadRequest);
    EXPECT_EQ(transport.writes.size(), 3u);
}

TEST_F(DeviceAccessTest, requestsOneFrameCannotCarry_sendNothing) {
    const std::vector<Byte> bytes(40, 0xAA);
    EXPECT_EQ(access.readBytes(0, 0).failure().kind, Kind::BadRequest);
    EXPECT_EQ(access.readBytes(0, 40).failure().kind, Kind::BadRequest)
        << "39 payload bytes fill the receive buffer behind a one-byte preamble";
    EXPECT_EQ(access.readBytes(65535, 2).failure().kind, Kind::BadRequest);
    EXPECT_EQ(access.readReals(0, 10).failure().kind, Kind::BadRequest);
    EXPECT_EQ(access.writeBytes(0, bytes, 34).failure().kind, Kind::BadRequest);
    EXPECT_EQ(access.writeBytes(65500, bytes).failure().kind, Kind::BadRequest)
        << "the second chunk's address would wrap to 4";
    EXPECT_EQ(access.writeBytes(0, {}).failure().kind, Kind::BadRequest);
    EXPECT_TRUE(transport.writes.empty());
}

TEST_F(DeviceAccessTest, callWhileATransactionWaits_isBusyAndLeavesItAlone) {
    std::optional<AccessFailure> inner;
    clock.schedule(55ms, [&] {
        const auto r = access.readBytes(7, 1);
        if (!r.ok())
            inner = r.failure();
    });
    answer(ReplyFrame({0, 0, 0x42}));
    const auto outer = access.readBytes(3, 1);
    ASSERT_TRUE(outer.ok());
    EXPECT_EQ(*outer, std::vector<Byte>{0x42});
    ASSERT_TRUE(inner.has_value());
    EXPECT_EQ(std::tuple(inner->kind, inner->messageShown()), std::tuple(Kind::Busy, false));
    EXPECT_EQ(transport.writes.size(), 1u);
    EXPECT_EQ(link.lastResult(), TransactionResult::Success);
}

// A refused read's code is the command line's business (its eeprom tests); a refused write
// succeeds for the window, and the command line sees the code.
TEST(DeviceAccessOnTheSimulator, refusedWrite_carriesTheResponseCode) {
    SimWorld world;
    const auto write = world.access.writeBytes(2040, std::vector<Byte>(16, 1));
    ASSERT_TRUE(write.ok()) << "the window's sequences ignore the code";
    EXPECT_EQ(write.responseCode(), sim::kResponseParameterTooLarge);
    ASSERT_TRUE(write.strict().has_value());
    EXPECT_EQ(write.strict()->describe(),
              QStringLiteral("Převodník odpověděl na příkaz WriteEEPROM kódem 3."));
}

}  // namespace
}  // namespace veld::link
