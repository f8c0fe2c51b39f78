#pragma once

// The byte transport under the transaction engine: a real serial port or the simulator.
// Standard library only, so that the simulator can implement it without Qt.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "link/clock.h"

namespace veld::link {

// A character on the transmitter's line is 11 bits (start, 8 data, odd parity, stop) at
// 14400 bit/s: 763.9 us. Counted at 90 % of that, rounded down, so that a sender whose rate runs a
// little fast is still on the safe side.
inline constexpr Micros kShortestLineCharacter{687};

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the named port ("COM3", "/dev/ttyUSB0", a pseudo-terminal path, ...) with the line
    // settings of the transmitter: 14400 bit/s, 8 data bits, odd parity, 1 stop bit, no
    // handshake, DTR on. True when the port is open afterwards (also when it was open already).
    virtual bool open(const std::string& portName) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Why the last open failed when another program holds the port or the user may not open it:
    // one line for the user (UTF-8). Empty when the open succeeded or failed for another reason.
    virtual std::string openRefusal() const { return {}; }
    // Writes the bytes; returns how many were accepted (0 when none could be).
    virtual std::int64_t write(std::span<const std::uint8_t> bytes) = 0;
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // Drops input that has arrived but has not been handed on yet; bytes still on their way
    // arrive as usual. Called right before each request is written. A transport that hands on
    // every byte at once has nothing to drop.
    virtual void clearInput() {}
    // The shortest time one character can take on the line: no two received bytes are closer,
    // and no reply can begin before the request has left, i.e. before this time per request byte
    // counted from the write call. Zero for a transport without line timing, whose bytes may
    // arrive together at any time.
    virtual Micros shortestCharacterTime() const { return Micros{0}; }
    Micros minimumReplyDelay(std::size_t requestBytes) const {
        return shortestCharacterTime() * static_cast<Micros::rep>(requestBytes);
    }

    // Received bytes, delivered as they arrive (on the thread that runs the event loop).
    std::function<void(std::span<const std::uint8_t>)> onReceive;
    // The open port has stopped working (a USB modem pulled out).
    std::function<void()> onLost;
};

}  // namespace veld::link
