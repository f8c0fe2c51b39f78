#include "link/reply_decoder.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace veld::link {
namespace {

// A long-address reply: preamble, 0x86, address, command, byte count, data, XOR checksum.
std::vector<Byte> Reply(const std::vector<Byte>& data, std::size_t preamble = 2,
                        Byte command = 0x7F) {
    std::vector<Byte> f(preamble, 0xFF);
    const std::size_t start = f.size();
    f.push_back(0x86);
    f.insert(f.end(), DeviceAddress.begin(), DeviceAddress.end());
    f.push_back(command);
    f.push_back(static_cast<Byte>(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    Byte x = 0;
    for (std::size_t i = start; i < f.size(); ++i)
        x ^= f[i];
    f.push_back(x);
    return f;
}

struct Decoding {
    ReplyState state;
    ReplyDecoder decoder{state};
    void feed(const std::vector<Byte>& bytes) {
        for (Byte b : bytes)
            decoder.ParseReplyByte(b);
    }
};

std::vector<Byte> With(std::vector<Byte> bytes, std::size_t index, Byte value) {
    bytes[index] = value;
    return bytes;
}

std::vector<Byte> ShortAddressReply(Byte delimiter) {
    std::vector<Byte> f{0xFF, delimiter, 0x99, 0x71, 3, 0x00, 0x40, 0xAB};
    Byte x = 0;
    for (std::size_t i = 1; i < f.size(); ++i)
        x ^= f[i];
    f.push_back(x);
    return f;
}

// What the decoder makes of each shape of reply: complete or not, valid or not.
TEST(ReplyDecoder, JudgesEachShapeOfReply) {
    const auto good = Reply({0x00, 0x00, 0x12});
    auto trailing = good;
    trailing.insert(trailing.end(), {0x55, 0x66});
    // clang-format off
    struct Case { const char* what; std::vector<Byte> bytes; bool complete, error; };
    const std::vector<Case> cases{
        {"first byte taken as preamble whatever its value", With(good, 0, 0x00), true, false},
        // Without a preamble 0x86 is eaten as preamble and 0x3A is no delimiter.
        {"no preamble", Reply({0x00, 0x00}, 0), false, true},
        {"short address 0x06, not compared", ShortAddressReply(0x06), true, false},
        {"short address 0x01", ShortAddressReply(0x01), true, false},
        {"unknown delimiter", With(good, 2, 0x82), false, true},
        {"first address byte", With(good, 3, 0x3B), false, true},
        {"last address byte", With(good, 7, 0x35), false, true},
        {"wrong checksum", With(good, good.size() - 1, good.back() ^ 0x01), true, true},
        {"bytes after the checksum ignored", trailing, true, false},
        {"byte count above 49", Reply(std::vector<Byte>(50, 0x01), 1), false, true},
        {"byte count 50 in a frame that fits", With(good, 9, 50), false, true},
        {"endless preamble", std::vector<Byte>(300, 0xFF), false, true},
        {"frame past the 51-byte buffer", Reply(std::vector<Byte>(45, 0x01), 3), false, true},
        {"the largest that fits", Reply(std::vector<Byte>(41, 0x01), 1), true, false}};
    // clang-format on
    for (const Case& c : cases) {
        Decoding d;
        d.feed(c.bytes);
        EXPECT_EQ(d.state.ReplyComplete, c.complete) << c.what;
        EXPECT_EQ(d.state.ReplyError, c.error) << c.what;
        EXPECT_EQ(d.decoder.checksumWrong(), c.complete && c.error) << c.what;
        EXPECT_LE(d.state.RxCount, kBufferSize) << c.what;
        if (!c.complete) {
            EXPECT_NE(d.state.RxData[2], 0x12) << c.what << ": no data of an invalid reply";
        }
    }
}

TEST(ReplyDecoder, ZeroByteCountKeepsEarlierData_restartForgetsTheVerdict_aReplyIsDecoded) {
    Decoding d;
    d.state.RxData[0] = 0x42;
    d.feed(Reply({}));
    EXPECT_EQ(std::tuple(d.state.ReplyComplete, d.state.ReplyError, d.state.RxData[0]),
              std::tuple(true, false, 0x42));

    d.feed(Reply({0x00, 0x00}));  // after a complete reply: ignored
    EXPECT_EQ(d.state.RxData[0], 0x42);
    d.decoder.Restart();
    d.feed(Reply({0x07, 0x05}));
    const ReplyState& s = d.state;
    EXPECT_EQ(std::tuple(s.ReplyComplete, s.ReplyError, s.RxData[0], s.RxData[1], s.ReplyLength,
                         s.ReplyByteCount, d.decoder.replyCommand()),
              std::tuple(true, false, 0x07, 0x05, 12, 2, 0x7F));
}

TEST(ReceiveRing, WrapsAndClearsAtTheEnd) {
    ReplyState state;
    ReceiveRing ring(state);
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_EQ(ring.GetChar(), 0);
    state.RxCount = 7;
    for (int i = 0; i < 255; ++i)
        ring.PutChar(static_cast<Byte>(i));
    EXPECT_EQ(ring.GetChar(), 0);
    EXPECT_EQ(state.RxCount, 7);
    ring.PutChar(0xAA);  // the write index would pass 255: everything starts over
    EXPECT_TRUE(ring.IsEmpty());
    EXPECT_EQ(state.RxCount, 0);
}

}  // namespace
}  // namespace veld::link
