#include "link/reply_decoder.h"

#include <span>

namespace veld::link {

namespace {
constexpr std::uint8_t kMaxByteCount = 49;  // response code + status + 47 payload bytes
}

void ReplyDecoder::ParseReplyByte(Byte b) {
    // An invalid reply is not decoded further; bytes after a complete reply are ignored.
    if (s_.ReplyError || s_.ReplyComplete)
        return;
    if (s_.RxCount >= kBufferSize) {
        s_.ReplyError = true;
        return;
    }
    s_.RxFrame[s_.RxCount] = b;
    if (s_.RxCount == 0)
        phase_ = Phase::Preamble;

    switch (phase_) {
        case Phase::Preamble:
            // The first byte counts as preamble whatever its value.
            if (s_.RxCount == 0 || b == 0xFF) {
                ++s_.RxCount;
                return;
            }
            delimiterIndex_ = s_.RxCount;
            phase_ = Phase::Delimiter;
            handleDelimiter(b);
            return;
        case Phase::Delimiter:
            handleDelimiter(b);
            return;
        case Phase::Address:
            if (!shortAddress_) {
                const unsigned p = s_.RxCount - delimiterIndex_;  // 1..5
                if (b != DeviceAddress[p - 1]) {
                    s_.ReplyError = true;
                    return;
                }
                if (p == DeviceAddress.size())
                    phase_ = Phase::Command;
            } else {
                phase_ = Phase::Command;
            }
            ++s_.RxCount;
            return;
        case Phase::Command:
            command_ = b;
            phase_ = Phase::ByteCount;
            ++s_.RxCount;
            return;
        case Phase::ByteCount:
            if (b > kMaxByteCount) {
                s_.ReplyError = true;
                return;
            }
            byteCount_ = b;
            s_.ReplyByteCount = b;
            byteCountIndex_ = s_.RxCount;
            phase_ = Phase::Data;
            ++s_.RxCount;
            return;
        case Phase::Data: {
            const unsigned k = s_.RxCount - byteCountIndex_;
            if (k <= byteCount_) {
                s_.RxData[k - 1] = b;
                ++s_.RxCount;
                return;
            }
            phase_ = Phase::Checksum;
            handleChecksum(b);
            return;
        }
        case Phase::Checksum:
            handleChecksum(b);
            return;
    }
}

void ReplyDecoder::Restart() {
    s_.RxCount = 0;
    s_.ReplyError = false;
    s_.ReplyComplete = false;
    phase_ = Phase::Preamble;
    command_ = 0;
    checksumWrong_ = false;
}

void ReplyDecoder::handleDelimiter(Byte b) {
    phase_ = Phase::Address;
    ++s_.RxCount;
    if (b == 0x06 || b == 0x01) {
        shortAddress_ = true;
    } else if (b == 0x86 || b == 0x81) {
        shortAddress_ = false;
    } else {
        s_.ReplyError = true;
    }
}

void ReplyDecoder::handleChecksum(Byte b) {
    const std::size_t first = delimiterIndex_;
    const std::size_t last = std::size_t{byteCountIndex_} + byteCount_;
    const Byte expected =
        XorChecksum(std::span<const Byte>(s_.RxFrame).subspan(first, last - first + 1));
    if (expected != b) {
        s_.ReplyError = true;
        checksumWrong_ = true;
    }
    s_.ReplyLength = s_.RxCount;
    s_.ReplyComplete = true;
}

}  // namespace veld::link
