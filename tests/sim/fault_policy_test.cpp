#include <gtest/gtest.h>

#include "sim/device.h"
#include "sim/fault_policy.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::Decode;

// A ReadEEPROM reply of four bytes: 2 preamble + 15 frame bytes + checksum.
std::vector<Byte> SampleReply() {
    const std::vector<Byte> payload{1, 2, 3, 4};
    return BuildReplyFrame(0x71, 0, 0, payload);
}

// How the link takes each shape is the fault matrix's business; here the shapes the matrix
// does not tell apart.
TEST(ApplyFaults, eachFaultShapesTheReplyAsNamed) {
    const auto reply = SampleReply();
    EXPECT_EQ(ApplyFaults({}, reply).bytes, reply);
    // Only the address is wrong: the XOR still matches.
    const auto wrong = ApplyFaults({Fault::WrongAddress()}, reply).bytes;
    EXPECT_NE(wrong[7], reply[7]);
    EXPECT_EQ(link::XorChecksum(std::span<const Byte>(wrong).subspan(2, wrong.size() - 3)),
              wrong.back());
    const auto delayed = ApplyFaults({Fault::Delay(1500ms), Fault::Truncated(1000)}, reply);
    EXPECT_EQ(delayed.delay, 1500ms);
    EXPECT_EQ(delayed.bytes, reply);
    EXPECT_TRUE(ApplyFaults({Fault::Truncated(0)}, reply).bytes.empty());
}

TEST(ApplyFaults, repeated_sendsACopyAfterTheGap) {
    const auto reply = SampleReply();
    EXPECT_FALSE(ApplyFaults({}, reply).repeat.has_value());
    const auto same = ApplyFaults({Fault::Repeated(20ms)}, reply);
    EXPECT_EQ(same.bytes, reply);
    ASSERT_TRUE(same.repeat.has_value());
    EXPECT_EQ(same.repeat->bytes, reply);
    EXPECT_EQ(same.repeat->gap, 20ms);

    // Only the copy is damaged, or both when the reply itself is.
    const auto badCopy = ApplyFaults({Fault::RepeatedBadChecksum(5ms)}, reply);
    EXPECT_TRUE(Decode(badCopy.bytes).Valid());
    EXPECT_TRUE(Decode(badCopy.repeat->bytes).state.ReplyError);
    EXPECT_TRUE(Decode(badCopy.repeat->bytes).state.ReplyComplete);
    const auto bothBad = ApplyFaults({Fault::Repeated(5ms), Fault::BadChecksum()}, reply);
    EXPECT_EQ(bothBad.repeat->bytes, bothBad.bytes);
    EXPECT_TRUE(Decode(bothBad.repeat->bytes).state.ReplyError);
    // A truncated reply is repeated truncated.
    EXPECT_EQ(ApplyFaults({Fault::Repeated(5ms), Fault::Truncated(4)}, reply).repeat->bytes.size(),
              4u);
}

TEST(ApplyFaults, longPreamble_replacesThePreamble) {
    const auto reply = SampleReply();
    for (std::uint32_t n : {1u, 5u, 20u, 60u}) {
        const auto bytes = ApplyFaults({Fault::LongPreamble(n)}, reply).bytes;
        ASSERT_EQ(bytes.size(), reply.size() - 2 + n);
        EXPECT_TRUE(
            std::all_of(bytes.begin(), bytes.begin() + n, [](Byte b) { return b == 0xFF; }));
        EXPECT_TRUE(std::equal(reply.begin() + 2, reply.end(), bytes.begin() + n));
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
