#include "link/reply_decoder.h"

#include <gtest/gtest.h>

#include <random>
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

TEST(ReplyDecoder, DecodesTheDocumentedReply) {
    Decoding d;
    d.feed(Reply({0x00, 0x00}));
    EXPECT_TRUE(d.state.ReplyComplete);
    EXPECT_FALSE(d.state.ReplyError);
    EXPECT_EQ(d.state.RxData[0], 0x00);
    EXPECT_EQ(d.state.RxData[1], 0x00);
    EXPECT_EQ(d.state.ReplyLength, 12);
    EXPECT_EQ(d.state.ReplyByteCount, 2);
    EXPECT_EQ(d.decoder.replyCommand(), 0x7F);
}

TEST(ReplyDecoder, FirstByteIsPreambleWhateverItsValue) {
    Decoding d;
    auto reply = Reply({0x00, 0x00}, 2);
    reply[0] = 0x00;
    d.feed(reply);
    EXPECT_TRUE(d.state.ReplyComplete);
    EXPECT_FALSE(d.state.ReplyError);

    // Without a preamble 0x86 is eaten as preamble and 0x3A is no delimiter.
    Decoding bare;
    bare.feed(Reply({0x00, 0x00}, 0));
    EXPECT_TRUE(bare.state.ReplyError);
    EXPECT_FALSE(bare.state.ReplyComplete);
}

TEST(ReplyDecoder, ShortAddressIsAcceptedWithoutComparison) {
    for (Byte delimiter : {Byte{0x06}, Byte{0x01}}) {
        Decoding d;
        std::vector<Byte> f{0xFF, delimiter, 0x99, 0x71, 3, 0x00, 0x40, 0xAB};
        Byte x = 0;
        for (std::size_t i = 1; i < f.size(); ++i)
            x ^= f[i];
        f.push_back(x);
        d.feed(f);
        EXPECT_TRUE(d.state.ReplyComplete);
        EXPECT_FALSE(d.state.ReplyError);
        EXPECT_EQ(d.state.RxData[2], 0xAB);
    }
}

TEST(ReplyDecoder, InvalidRepliesStopDecodingWithoutCompleting) {
    struct Case {
        const char* what;
        std::size_t index;
        Byte value;
    };
    const Case cases[] = {
        {"unknown delimiter", 2, 0x82},
        {"first address byte", 3, 0x3B},
        {"last address byte", 7, 0x35},
    };
    for (const Case& c : cases) {
        Decoding d;
        auto reply = Reply({0x00, 0x00, 0x12});
        reply[c.index] = c.value;
        d.feed(reply);
        EXPECT_TRUE(d.state.ReplyError) << c.what;
        EXPECT_FALSE(d.state.ReplyComplete) << c.what;
        EXPECT_NE(d.state.RxData[2], 0x12) << c.what;
    }
}

TEST(ReplyDecoder, WrongChecksumCompletesWithError) {
    Decoding d;
    auto reply = Reply({0x00, 0x00});
    reply.back() ^= 0x01;
    d.feed(reply);
    EXPECT_TRUE(d.state.ReplyComplete);
    EXPECT_TRUE(d.state.ReplyError);
}

TEST(ReplyDecoder, ZeroByteCountKeepsEarlierData) {
    Decoding d;
    d.state.RxData[0] = 0x42;
    d.feed(Reply({}));
    EXPECT_TRUE(d.state.ReplyComplete);
    EXPECT_FALSE(d.state.ReplyError);
    EXPECT_EQ(d.state.RxData[0], 0x42);
}

TEST(ReplyDecoder, BytesAfterTheChecksumAreIgnored) {
    Decoding d;
    auto reply = Reply({0x00, 0x00, 0x07});
    const std::size_t length = reply.size();
    reply.push_back(0x55);
    reply.push_back(0x66);
    d.feed(reply);
    EXPECT_TRUE(d.state.ReplyComplete);
    EXPECT_FALSE(d.state.ReplyError);
    EXPECT_EQ(d.state.RxFrame[length - 1], reply[length - 1]);
    EXPECT_EQ(d.state.RxFrame[length], 0x00);
}

TEST(ReplyDecoder, RepliesTooLargeForTheBuffersAreRejected) {
    {
        Decoding d;  // byte count above 49
        d.feed(Reply(std::vector<Byte>(50, 0x01), 1));
        EXPECT_TRUE(d.state.ReplyError);
        EXPECT_FALSE(d.state.ReplyComplete);
    }
    {
        Decoding d;  // endless preamble
        d.feed(std::vector<Byte>(300, 0xFF));
        EXPECT_TRUE(d.state.ReplyError);
        EXPECT_LE(d.state.RxCount, kBufferSize);
    }
    {
        Decoding d;  // legal byte count, but the frame would pass the 51-byte buffer
        d.feed(Reply(std::vector<Byte>(45, 0x01), 3));
        EXPECT_TRUE(d.state.ReplyError);
        EXPECT_FALSE(d.state.ReplyComplete);
    }
    {
        Decoding d;  // the largest reply that fits: checksum lands on index 50
        d.feed(Reply(std::vector<Byte>(41, 0x01), 1));
        EXPECT_TRUE(d.state.ReplyComplete);
        EXPECT_FALSE(d.state.ReplyError);
        EXPECT_EQ(d.state.ReplyLength, 50);
    }
}

TEST(ReplyDecoder, RandomAndMutatedInputNeverOverrunsOrFakesSuccess) {
    std::mt19937 gen(4242);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 120);
    for (int round = 0; round < 20000; ++round) {
        Decoding d;
        std::vector<Byte> input;
        if (round % 2 == 0) {
            for (int i = length(gen); i > 0; --i)
                input.push_back(static_cast<Byte>(byte(gen)));
        } else {
            // A valid reply with one byte flipped somewhere after the preamble.
            std::vector<Byte> data(static_cast<std::size_t>(length(gen) % 40));
            for (Byte& b : data)
                b = static_cast<Byte>(byte(gen));
            input = Reply(data, 1 + round % 4);
            const std::size_t at = 1 + static_cast<std::size_t>(round) % (input.size() - 1);
            input[at] ^= static_cast<Byte>(1 + byte(gen) % 255);
        }
        d.feed(input);
        ASSERT_LE(d.state.RxCount, kBufferSize);
        if (d.state.ReplyComplete && !d.state.ReplyError) {
            // Success only with a checksum that matches what was stored.
            Byte x = 0;
            std::size_t i = 0;
            while (i < d.state.ReplyLength && (i == 0 || d.state.RxFrame[i] == 0xFF))
                ++i;
            for (std::size_t k = i; k < d.state.ReplyLength; ++k)
                x ^= d.state.RxFrame[k];
            ASSERT_EQ(x, d.state.RxFrame[d.state.ReplyLength]) << "round " << round;
        }
    }
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
