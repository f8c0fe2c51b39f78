#pragma once

// Cuts complete requests out of the received byte stream:
//   0xFF preamble, 0x82, 5-byte address, command, byte count n, n data bytes, XOR checksum,
//   0x00 pad, CRC-16 low byte, high byte.
// A request with a wrong checksum, CRC or address is dropped and counted; the assembler then
// looks for the next preamble. Memory is bounded by the longest possible request.

#include <cstddef>
#include <span>
#include <vector>

#include "link/clock.h"
#include "sim/request.h"

namespace veld::sim {

struct AssemblerStats {
    std::size_t accepted = 0;
    std::size_t badChecksum = 0;
    std::size_t badCrc = 0;
    std::size_t wrongAddress = 0;
    std::size_t abandoned = 0;   // incomplete requests given up after a pause on the line
    std::size_t noiseBytes = 0;  // bytes that could not start a request
    std::size_t Rejected() const { return badChecksum + badCrc + wrongAddress; }
};

class RequestAssembler {
public:
    // Preamble bytes kept in front of a delimiter; more are discarded (the CRC is tried over each
    // number of preamble bytes up to this, since extra 0xFF from an idle line may precede one).
    static constexpr std::size_t kMaxPreamble = 20;
    // Preamble, delimiter, address, command, byte count, 255 data bytes, checksum, pad, CRC.
    static constexpr std::size_t kMaxFrame = kMaxPreamble + 8 + 255 + 4;

    // A request is sent in one go; bytes after a pause longer than this start afresh, so a
    // damaged byte count cannot swallow the next request.
    explicit RequestAssembler(link::Micros gapTimeout = link::Micros{100'000}) : gap_(gapTimeout) {}

    // Adds bytes received at `now` and returns the requests they complete, in order.
    std::vector<Request> Feed(std::span<const Byte> bytes, link::Micros now);
    void Reset();

    const AssemblerStats& Stats() const { return stats_; }
    std::size_t Pending() const { return buffer_.size(); }

private:
    void Extract(std::vector<Request>& out);
    void Drop(std::size_t count);

    link::Micros gap_;
    link::Micros lastArrival_{0};
    std::vector<Byte> buffer_;
    std::vector<link::Micros> arrival_;  // arrival time of each buffered byte
    AssemblerStats stats_;
};

}  // namespace veld::sim
