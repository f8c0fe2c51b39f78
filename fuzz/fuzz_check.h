#pragma once

// What every fuzz target shares: a property check that stops the run with a readable reason,
// and an independent reading of a decoded reply frame.

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "link/frame.h"

// A broken property is a finding like a crash: libFuzzer keeps the input that caused it.
#define FUZZ_CHECK(condition, what)                                                          \
    do {                                                                                     \
        if (!(condition)) {                                                                  \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", what, __FILE__, __LINE__); \
            std::abort();                                                                    \
        }                                                                                    \
    } while (false)

namespace veld::fuzz {

// A reply frame as read straight from its bytes, without the decoder's state machine.
struct FrameView {
    std::size_t delimiter = 0;  // index of the delimiter
    link::Byte command = 0;
    link::Byte byteCount = 0;
    std::size_t dataStart = 0;  // index of the first data byte (the response code)
    std::size_t checksum = 0;   // index of the checksum byte
};

// Reads frame[0..last] as a reply whose checksum is at `last`: preamble (the first byte whatever
// it is, then 0xFF), delimiter, short or long address, command, byte count, data, checksum.
// nullopt when the bytes are no such reply or its checksum is wrong.
inline std::optional<FrameView> ReadReply(std::span<const link::Byte> frame, std::size_t last) {
    if (last >= frame.size())
        return std::nullopt;
    std::size_t at = 1;
    while (at < last && frame[at] == 0xFF)
        ++at;
    FrameView v;
    v.delimiter = at;
    const link::Byte delimiter = frame[at];
    std::size_t addressLength = 0;
    if (delimiter == 0x06 || delimiter == 0x01)
        addressLength = 1;
    else if (delimiter == 0x86 || delimiter == 0x81)
        addressLength = link::DeviceAddress.size();
    else
        return std::nullopt;
    if (at + addressLength + 3 > last)
        return std::nullopt;
    if (addressLength == link::DeviceAddress.size()) {
        for (std::size_t i = 0; i < addressLength; ++i)
            if (frame[at + 1 + i] != link::DeviceAddress[i])
                return std::nullopt;
    }
    v.command = frame[at + 1 + addressLength];
    v.byteCount = frame[at + 2 + addressLength];
    v.dataStart = at + 3 + addressLength;
    v.checksum = v.dataStart + v.byteCount;
    if (v.checksum != last || v.byteCount > 49)
        return std::nullopt;
    link::Byte x = 0;
    for (std::size_t i = v.delimiter; i < v.checksum; ++i)
        x ^= frame[i];
    if (x != frame[v.checksum])
        return std::nullopt;
    return v;
}

}  // namespace veld::fuzz
