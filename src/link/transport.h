#pragma once

// The byte transport under the transaction engine: a real serial port or the simulator.
// Standard library only, so that the simulator can implement it without Qt.

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace veld::link {

class Transport {
public:
    virtual ~Transport() = default;

    // Opens the named port ("COM3", "/dev/ttyUSB0", a pseudo-terminal path, ...) with the line
    // settings of the transmitter: 14400 bit/s, 8 data bits, odd parity, 1 stop bit, no
    // handshake, DTR on. True when the port is open afterwards (also when it was open already).
    virtual bool open(const std::string& portName) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Writes the bytes; returns how many were accepted (0 when none could be).
    virtual std::int64_t write(std::span<const std::uint8_t> bytes) = 0;
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // Drops input that has arrived but has not been handed on yet; bytes still on their way
    // arrive as usual. Called right before each request is written. A transport that hands on
    // every byte at once has nothing to drop.
    virtual void clearInput() {}

    // Received bytes, delivered as they arrive (on the thread that runs the event loop).
    std::function<void(std::span<const std::uint8_t>)> onReceive;
    // The open port has stopped working (a USB modem pulled out).
    std::function<void()> onLost;
};

}  // namespace veld::link
