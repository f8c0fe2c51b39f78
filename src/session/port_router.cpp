#include "session/port_router.h"

namespace veld::session {

PortRouter::PortRouter(link::Transport& serial, link::Transport& simulator)
    : serial_(serial), simulator_(simulator) {
    route(serial_);
    route(simulator_);
}

PortRouter::~PortRouter() {
    serial_.onReceive = nullptr;
    serial_.onLost = nullptr;
    simulator_.onReceive = nullptr;
    simulator_.onLost = nullptr;
}

void PortRouter::route(link::Transport& from) {
    from.onReceive = [this, &from](std::span<const std::uint8_t> bytes) {
        if (active_ == &from && onReceive)
            onReceive(bytes);
    };
    from.onLost = [this, &from] {
        if (active_ == &from && onLost)
            onLost();
    };
}

bool PortRouter::open(const std::string& portName) {
    link::Transport& target = portName == kSimulatorPort ? simulator_ : serial_;
    // Switching ports: the other one must not stay open behind the link's back.
    if (active_ && active_ != &target && active_->isOpen())
        active_->close();
    active_ = &target;
    return target.open(portName);
}

void PortRouter::close() {
    if (active_)
        active_->close();
}

bool PortRouter::isOpen() const {
    return active_ && active_->isOpen();
}

std::string PortRouter::openRefusal() const {
    return active_ ? active_->openRefusal() : std::string();
}

std::int64_t PortRouter::write(std::span<const std::uint8_t> bytes) {
    return active_ ? active_->write(bytes) : 0;
}

void PortRouter::setDtr(bool on) {
    if (active_)
        active_->setDtr(on);
}

void PortRouter::setRts(bool on) {
    if (active_)
        active_->setRts(on);
}

link::Micros PortRouter::shortestCharacterTime() const {
    return active_ ? active_->shortestCharacterTime() : link::Micros{0};
}

void PortRouter::clearInput() {
    if (active_)
        active_->clearInput();
}

}  // namespace veld::session
