#include <gtest/gtest.h>

#include "sim/device.h"
#include "sim/fault_policy.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::Decode;

// A ReadEEPROM reply of four bytes: 2 preamble + 15 frame bytes + checksum.
const std::vector<Byte> kReply = BuildReplyFrame(0x71, 0, 0, std::vector<Byte>{1, 2, 3, 4});

// How the link takes each shape is the fault matrix's business; here the shapes the matrix
// does not tell apart.
TEST(ApplyFaults, eachFaultShapesTheReplyAsNamed) {
    EXPECT_EQ(ApplyFaults({}, kReply).bytes, kReply);
    // Only the address is wrong: the XOR still matches.
    const auto wrong = ApplyFaults({Fault::WrongAddress()}, kReply).bytes;
    EXPECT_NE(wrong[7], kReply[7]);
    EXPECT_EQ(link::XorChecksum(std::span<const Byte>(wrong).subspan(2, wrong.size() - 3)),
              wrong.back());
    const auto delayed = ApplyFaults({Fault::Delay(1500ms), Fault::Truncated(1000)}, kReply);
    EXPECT_EQ(delayed.delay, 1500ms);
    EXPECT_EQ(delayed.bytes, kReply);
    EXPECT_TRUE(ApplyFaults({Fault::Truncated(0)}, kReply).bytes.empty());
}

TEST(ApplyFaults, repeated_sendsACopyAfterTheGap) {
    EXPECT_FALSE(ApplyFaults({}, kReply).repeat.has_value());
    const auto same = ApplyFaults({Fault::Repeated(20ms)}, kReply);
    EXPECT_EQ(same.bytes, kReply);
    ASSERT_TRUE(same.repeat.has_value());
    EXPECT_EQ(same.repeat->bytes, kReply);
    EXPECT_EQ(same.repeat->gap, 20ms);

    // Only the copy is damaged, or both when the reply itself is.
    const auto badCopy = ApplyFaults({Fault::RepeatedBadChecksum(5ms)}, kReply);
    EXPECT_TRUE(Decode(badCopy.bytes).Valid());
    EXPECT_TRUE(Decode(badCopy.repeat->bytes).state.ReplyError);
    EXPECT_TRUE(Decode(badCopy.repeat->bytes).state.ReplyComplete);
    const auto bothBad = ApplyFaults({Fault::Repeated(5ms), Fault::BadChecksum()}, kReply);
    EXPECT_EQ(bothBad.repeat->bytes, bothBad.bytes);
    EXPECT_TRUE(Decode(bothBad.repeat->bytes).state.ReplyError);
    // A truncated reply is repeated truncated.
    EXPECT_EQ(ApplyFaults({Fault::Repeated(5ms), Fault::Truncated(4)}, kReply).repeat->bytes.size(),
              4u);
}

TEST(ApplyFaults, longPreamble_replacesThePreamble) {
    for (std::uint32_t n : {1u, 5u, 20u, 60u}) {
        const auto bytes = ApplyFaults({Fault::LongPreamble(n)}, kReply).bytes;
        ASSERT_EQ(bytes.size(), kReply.size() - 2 + n);
        EXPECT_TRUE(
            std::all_of(bytes.begin(), bytes.begin() + n, [](Byte b) { return b == 0xFF; }));
        EXPECT_TRUE(std::equal(kReply.begin() + 2, kReply.end(), bytes.begin() + n));
        // The program's 51-byte reply buffer takes 20 preamble bytes, not 60.
        EXPECT_EQ(Decode(bytes).Valid(), n <= 20) << n;
    }
}

TEST(AddFaultRule, parsesTheCommandLineForm) {
    FaultPolicy p;
    for (const char* rule :
         {"no-reply:2", "none", "delay=1500+bad-checksum", "repeat=20+repeat-bad-checksum=30",
          "long-preamble=30+wrong-address:all"})
        ASSERT_EQ(AddFaultRule(p, rule), std::nullopt) << rule;
    EXPECT_EQ(p.Queued(), 5u);
    EXPECT_EQ(p.Next(), FaultSet{Fault::NoReply()});
    EXPECT_EQ(p.Next(), FaultSet{Fault::NoReply()});
    EXPECT_TRUE(p.Next().empty());
    EXPECT_EQ(p.Next(), (FaultSet{Fault::Delay(1500ms), Fault::BadChecksum()}));
    EXPECT_EQ(p.Next(), (FaultSet{Fault::Repeated(20ms), Fault::RepeatedBadChecksum(30ms)}));
    EXPECT_EQ(p.Next(), (FaultSet{Fault::LongPreamble(30), Fault::WrongAddress()}));
}

TEST(AddFaultRule, badSpecs_giveAMessageAndAddNothing) {
    for (const char* rule :
         {"no-reply:0", "no-reply:x", "delay", "delay=", "delay=abc", "no-reply=3", "explode",
          "truncated=-1", "delay=5:", "repeat", "byte-count-over=50"}) {
        FaultPolicy p;
        const auto error = AddFaultRule(p, rule);
        ASSERT_TRUE(error.has_value()) << rule;
        EXPECT_NE(error->find(rule), std::string::npos) << *error;
        EXPECT_EQ(p.Queued(), 0u) << rule;
        EXPECT_TRUE(p.Next().empty()) << rule;
    }
}

}  // namespace
}  // namespace veld::sim
