#pragma once

#include "link/transport.h"

#include <string>

namespace veld::session {

// The transport the link talks to: the simulated transmitter when the port is named
// "simulator", the serial port otherwise. Bytes and a lost port reach the link only from the
// transport that is in use, so a late reply of the other one is dropped.
class PortRouter final : public link::Transport {
public:
    static constexpr const char* kSimulatorPort = "simulator";

    PortRouter(link::Transport& serial, link::Transport& simulator);
    ~PortRouter() override;
    PortRouter(const PortRouter&) = delete;
    PortRouter& operator=(const PortRouter&) = delete;

    bool open(const std::string& portName) override;
    void close() override;
    bool isOpen() const override;
    std::string openRefusal() const override;
    std::int64_t write(std::span<const std::uint8_t> bytes) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    void clearInput() override;
    link::Micros shortestCharacterTime() const override;

    // The transport of the last open, or nullptr before the first.
    const link::Transport* active() const { return active_; }

private:
    void route(link::Transport& from);

    link::Transport& serial_;
    link::Transport& simulator_;
    link::Transport* active_ = nullptr;
};

}  // namespace veld::session
