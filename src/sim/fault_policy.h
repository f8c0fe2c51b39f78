#pragma once

// Named faults of the simulated transmitter, applied to the reply of the next request(s) or of
// every request: "no reply to the first attempt, answer the retry".

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/clock.h"
#include "link/frame.h"

namespace veld::sim {

using link::Byte;

struct Fault {
    enum class Kind {
        NoReply,       // the request is received and counted, nothing is sent
        BadChecksum,   // the reply's last byte is inverted
        WrongAddress,  // the last address byte differs (checksum made to match, so only the address
                       // is wrong)
        Delay,         // the reply leaves amount milliseconds later
        LongPreamble,  // the reply has amount 0xFF bytes in front (at most kMaxPreamble)
        Truncated,     // only the first amount bytes of the reply are sent
        Repeated,      // the reply is sent again amount ms after it has gone out, byte for byte
        RepeatedBadChecksum,  // the same, but the copy's checksum is wrong
        ByteCountOver,        // the byte count says 50, one more than the receiver has room for
                              // (checksum made to match, so only the count is wrong)
    };
    Kind kind = Kind::NoReply;
    std::uint32_t amount = 0;
    static constexpr std::uint32_t kMaxPreamble = 1000;

    static Fault NoReply() { return {Kind::NoReply, 0}; }
    static Fault BadChecksum() { return {Kind::BadChecksum, 0}; }
    static Fault WrongAddress() { return {Kind::WrongAddress, 0}; }
    static Fault Delay(std::chrono::milliseconds ms) {
        return {Kind::Delay, static_cast<std::uint32_t>(ms.count() < 0 ? 0 : ms.count())};
    }
    static Fault LongPreamble(std::uint32_t bytes) { return {Kind::LongPreamble, bytes}; }
    static Fault Truncated(std::uint32_t keptBytes) { return {Kind::Truncated, keptBytes}; }
    static Fault ByteCountOver() { return {Kind::ByteCountOver, 0}; }
    static constexpr Byte kOversizeByteCount = 50;
    static Fault Repeated(std::chrono::milliseconds gap) {
        return {Kind::Repeated, static_cast<std::uint32_t>(gap.count() < 0 ? 0 : gap.count())};
    }
    static Fault RepeatedBadChecksum(std::chrono::milliseconds gap) {
        return {Kind::RepeatedBadChecksum,
                static_cast<std::uint32_t>(gap.count() < 0 ? 0 : gap.count())};
    }

    bool operator==(const Fault&) const = default;
};

// Faults applied together to one reply (a delayed reply with a wrong checksum, ...). Empty: the
// reply goes out as built.
using FaultSet = std::vector<Fault>;

// The reply as it goes on the line.
struct ShapedReply {
    bool send = true;
    std::vector<Byte> bytes;
    link::Micros delay{0};  // extra time before the reply starts
    // A second copy, sent `gap` after the first has gone out. It models the line, not the
    // transmitter: whoever has the port open when it arrives receives it.
    struct Copy {
        std::vector<Byte> bytes;
        link::Micros gap{0};
    };
    std::optional<Copy> repeat;
};

// Applies the faults to a reply frame built by BuildReplyFrame. Order: preamble, address, byte
// count, checksum, then truncation, so a truncated reply is cut from the finished bytes; a copy is
// made of the finished bytes (with its own checksum fault for RepeatedBadChecksum).
ShapedReply ApplyFaults(const FaultSet& faults, std::vector<Byte> reply);

class FaultPolicy {
public:
    // Queues faults for the next `requests` answered requests, after those already queued.
    void Queue(FaultSet faults, std::size_t requests = 1);
    void Queue(Fault fault, std::size_t requests = 1) { Queue(FaultSet{fault}, requests); }
    // Queues normal answers, so that a later queued fault hits a later request.
    void QueueClean(std::size_t requests = 1) { Queue(FaultSet{}, requests); }
    // Faults for every request once the queue is empty.
    void SetPermanent(FaultSet faults) { permanent_ = std::move(faults); }
    void Clear();

    // The faults for the request being answered now; consumes one queue entry. Only requests that
    // the transmitter answers take an entry (damaged ones never reach it).
    FaultSet Next();
    // Called by Next() as each request is answered, before the faults are picked: lets a test act
    // on the line at a given request (pull the port out, ...).
    std::function<void()> onAnswer;
    // Requests still covered by the queue.
    std::size_t Queued() const;

private:
    struct Entry {
        FaultSet faults;
        std::size_t requests;
    };
    std::deque<Entry> queue_;
    FaultSet permanent_;
};

// Parses the command-line form of queued faults, "NAME[=N][+NAME[=N]...][:TIMES]" where NAME is
// no-reply, bad-checksum, wrong-address, byte-count-over, delay=MS, long-preamble=N, truncated=N,
// repeat=MS, repeat-bad-checksum=MS or none, and TIMES is a count (default 1) or "all". Adds to the
// policy; on error returns the message and leaves the policy unchanged.
std::optional<std::string> AddFaultRule(FaultPolicy& policy, std::string_view rule);

}  // namespace veld::sim
