#pragma once

// The simulated transmitter as an in-process transport. Written bytes go through the request
// assembler to the device; the reply, shaped by the fault policy, comes back through onReceive
// from the clock's event loop: with the VirtualClock in unit tests, with the window program's
// clock when the window runs against the simulator.

#include <cstddef>
#include <memory>
#include <string>

#include "link/clock.h"
#include "link/transport.h"
#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/request_assembler.h"

namespace veld::sim {

class SimTransport final : public link::Transport {
public:
    static constexpr const char* kDefaultPortName = "simulator";

    SimTransport(Device& device, FaultPolicy& faults, link::Clock& clock);
    ~SimTransport() override;
    SimTransport(const SimTransport&) = delete;
    SimTransport& operator=(const SimTransport&) = delete;

    bool open(const std::string& portName) override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::int64_t write(std::span<const std::uint8_t> bytes) override;
    void setDtr(bool on) override { dtr_ = on; }
    void setRts(bool on) override { rts_ = on; }
    // Drops reply bytes that have arrived but not been handed on yet (due by now, still waiting
    // in the event queue); bytes still on the line, and replies to requests written afterwards,
    // arrive as usual.
    void clearInput() override;
    // Paced, the line's own timing; unpaced, replies come on the next pass with no line time.
    link::Micros shortestCharacterTime() const override {
        return pacing_ ? link::kShortestLineCharacter : link::Micros{0};
    }

    bool Dtr() const { return dtr_; }
    bool Rts() const { return rts_; }
    std::size_t OpenCount() const { return opens_; }

    // Port behaviour.
    void SetPortName(std::string name) { portName_ = std::move(name); }
    void SetOpenFails(bool fails) { openFails_ = fails; }
    // The port disappears: onLost is delivered from the event loop, writes accept nothing and
    // open fails until Reappear().
    void Vanish();
    void Reappear() { vanished_ = false; }

    // Pacing as on the real line (on by default): a reply starts when the request has been
    // transmitted, counted from its first byte, and takes its own transmission time. Off, the
    // reply is delivered on the next pass of the event loop.
    void SetPacing(bool on) { pacing_ = on; }
    // Deliver paced replies in pieces of this many bytes, each when its last byte has crossed the
    // line; 0 delivers the whole reply when it is complete.
    void SetDeliveryChunk(std::size_t bytes) { chunk_ = bytes; }

    const RequestAssembler& Assembler() const { return assembler_; }

private:
    // sameSession: dropped when the port has been closed since (a reply); otherwise delivered
    // to whoever has the port open when it arrives (a copy the line repeats).
    void Deliver(std::vector<Byte> bytes, link::Micros at, bool sameSession = true);
    void Send(const ShapedReply::Copy& copy, link::Micros start, bool sameSession);

    Device& device_;
    FaultPolicy& faults_;
    link::Clock& clock_;
    RequestAssembler assembler_;
    std::string portName_ = kDefaultPortName;
    bool open_ = false;
    bool openFails_ = false;
    bool vanished_ = false;
    bool dtr_ = false;
    bool rts_ = false;
    bool pacing_ = true;
    std::size_t chunk_ = 0;
    std::size_t opens_ = 0;
    // Replies scheduled for an earlier opening of the port are not delivered to a later one.
    std::uint64_t session_ = 0;
    link::Micros lineFreeAt_{0};  // when the reply direction of the line is idle again
    // The last clearInput(): deliveries scheduled before it and due by then are dropped.
    std::uint64_t purges_ = 0;
    link::Micros purgedAt_{-1};
    // Scheduled deliveries hold a weak reference, so a transport destroyed before its clock
    // runs them is not touched.
    std::shared_ptr<SimTransport*> self_;
};

}  // namespace veld::sim
