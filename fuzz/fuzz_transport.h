#pragma once

// A transport whose far end is the fuzz input: each write is answered with the chunks, delays,
// silences and port losses the input dictates, on the virtual clock.

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "link/clock.h"
#include "link/frame.h"
#include "link/transport.h"

namespace veld::fuzz {

class FuzzTransport final : public link::Transport {
public:
    FuzzTransport(FuzzedDataProvider& input, link::Clock& clock) : in_(input), clock_(clock) {}

    bool open(const std::string&) override {
        if (!open_ && in_.remaining_bytes() > 0 && in_.ConsumeIntegral<std::uint8_t>() == 0xEE)
            return false;  // the port cannot be opened, now and then
        open_ = true;
        return true;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void setDtr(bool) override {}
    void setRts(bool) override {}

    std::int64_t write(std::span<const std::uint8_t> bytes) override {
        if (!open_)
            return 0;
        const std::uint8_t command = bytes.size() > 9 ? bytes[9] : 0;
        ++writes;
        const int chunks = in_.ConsumeIntegralInRange<int>(0, 4);
        for (int i = 0; i < chunks; ++i)
            answer(command);
        return static_cast<std::int64_t>(bytes.size());
    }

    int writes = 0;

private:
    // One chunk of the reply: raw bytes, a well-formed reply (possibly spoilt), or a port loss,
    // after a delay up to beyond the reply time-out.
    void answer(link::Byte command) {
        const auto kind = in_.ConsumeIntegral<std::uint8_t>();
        const auto delay = link::Micros{in_.ConsumeIntegralInRange<std::int64_t>(0, 1'300'000)};
        std::vector<link::Byte> bytes;
        if (kind < 0x60) {
            bytes = in_.ConsumeBytes<link::Byte>(in_.ConsumeIntegralInRange<std::size_t>(0, 80));
        } else if (kind < 0xF8) {
            const link::Byte replyCommand = kind & 1 ? in_.ConsumeIntegral<link::Byte>() : command;
            const link::Byte code = in_.ConsumeIntegral<link::Byte>();
            const link::Byte status = in_.ConsumeIntegral<link::Byte>();
            const auto payload =
                in_.ConsumeBytes<link::Byte>(in_.ConsumeIntegralInRange<std::size_t>(0, 52));
            const auto preamble = in_.ConsumeIntegralInRange<std::size_t>(1, 6);
            bytes = link::BuildReplyFrame(replyCommand, code, status, payload, preamble);
            if (kind & 2) {  // one byte spoilt, or the frame cut short
                const auto at = in_.ConsumeIntegralInRange<std::size_t>(0, bytes.size() - 1);
                if (kind & 4)
                    bytes.resize(at);
                else
                    bytes[at] ^= in_.ConsumeIntegralInRange<link::Byte>(1, 255);
            }
        } else {
            clock_.schedule(delay, [this] {
                open_ = false;
                if (onLost)
                    onLost();
            });
            return;
        }
        clock_.schedule(delay, [this, reply = std::move(bytes)] {
            if (open_ && onReceive)
                onReceive(reply);
        });
    }

    FuzzedDataProvider& in_;
    link::Clock& clock_;
    bool open_ = false;
};

}  // namespace veld::fuzz
