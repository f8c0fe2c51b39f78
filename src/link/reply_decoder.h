#pragma once

// Byte-by-byte decoder of reply frames and the receive ring in front of it. Pure codec.

#include <array>
#include <cstdint>

#include "link/frame.h"

namespace veld::link {

// What one transaction's decoding has produced so far. RxData survives a failed transaction:
// it still holds the data of the last reply that was decoded.
struct ReplyState {
    std::array<Byte, kBufferSize> RxFrame{};
    std::uint8_t RxCount = 0;
    std::uint8_t ReplyLength = 0;            // index of the checksum byte once complete
    std::uint8_t ReplyByteCount = 0;         // data bytes of the last reply (code, status, payload)
    std::array<Byte, kBufferSize> RxData{};  // response code, device status, payload
    bool ReplyError = false;
    bool ReplyComplete = false;
};

class ReplyDecoder {
public:
    explicit ReplyDecoder(ReplyState& state) : s_(state) {}

    // Feeds one received byte. A byte that would have to be stored beyond the 51-byte buffers
    // (an endless preamble, a byte count above 49) makes the reply invalid, like a wrong
    // delimiter: the attempt then runs into its time-out.
    void ParseReplyByte(Byte b);

    // Forgets the reply in progress and its verdict: the next byte starts a new reply. The
    // engine calls it right before each write, so that only bytes received after the request
    // count.
    void Restart();

    // The command byte of the reply being decoded (valid once the command has been received).
    Byte replyCommand() const { return command_; }
    // The reply completed with a wrong checksum. Bytes after a complete reply are ignored, so a
    // later copy cannot overturn this verdict before the next Restart.
    bool checksumWrong() const { return checksumWrong_; }

private:
    enum class Phase { Preamble, Delimiter, Address, Command, ByteCount, Data, Checksum };

    void handleDelimiter(Byte b);
    void handleChecksum(Byte b);

    ReplyState& s_;
    Phase phase_ = Phase::Preamble;
    bool shortAddress_ = false;
    std::uint8_t delimiterIndex_ = 0;
    std::uint8_t byteCount_ = 0;
    std::uint8_t byteCountIndex_ = 0;
    Byte command_ = 0;
    bool checksumWrong_ = false;
};

// 256-byte ring between the port's receive event and the decoder. Clearing it also restarts
// the reply (RxCount := 0), because the ring is cleared at the start of every transaction and
// whenever its write index would pass the end.
class ReceiveRing {
public:
    explicit ReceiveRing(ReplyState& state) : s_(state) {}

    void Clear() {
        read_ = write_ = 0;
        s_.RxCount = 0;
    }
    bool IsEmpty() const { return read_ == write_; }
    Byte GetChar() {
        if (IsEmpty())
            return 0;
        return storage_[read_++];
    }
    void PutChar(Byte b) {
        storage_[write_] = b;
        if (write_ < 255) {
            ++write_;
        } else {
            Clear();
        }
    }

private:
    ReplyState& s_;
    std::array<Byte, 256> storage_{};
    std::uint8_t read_ = 0;  // wraps 255 -> 0 by its type
    std::uint8_t write_ = 0;
};

}  // namespace veld::link
