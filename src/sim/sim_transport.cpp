#include "sim/sim_transport.h"

#include <algorithm>

#include "sim/line_timing.h"

namespace veld::sim {

SimTransport::SimTransport(Device& device, FaultPolicy& faults, link::Clock& clock)
    : device_(device),
      faults_(faults),
      clock_(clock),
      self_(std::make_shared<SimTransport*>(this)) {}

SimTransport::~SimTransport() = default;

bool SimTransport::open(const std::string& portName) {
    if (open_)
        return true;
    if (openFails_ || vanished_ || portName != portName_)
        return false;
    open_ = true;
    ++opens_;
    ++session_;
    dtr_ = true;  // DTR goes on with the port, as the real one does
    assembler_.Reset();
    return true;
}

void SimTransport::close() {
    open_ = false;
    dtr_ = false;
    rts_ = false;
    ++session_;
}

void SimTransport::Vanish() {
    if (vanished_)
        return;
    vanished_ = true;
    if (!open_)
        return;
    std::weak_ptr<SimTransport*> weak = self_;
    clock_.schedule(link::Micros{0}, [weak] {
        const auto self = weak.lock();
        if (!self)
            return;
        SimTransport& t = **self;
        if (t.open_ && t.onLost)
            t.onLost();
        t.clock_.wake();
    });
}

std::int64_t SimTransport::write(std::span<const std::uint8_t> bytes) {
    if (!open_ || vanished_)
        return 0;
    const link::Micros now = clock_.now();
    for (const Request& request : assembler_.Feed(bytes, now)) {
        ShapedReply reply = ApplyFaults(faults_.Next(), device_.Handle(request));
        if (!reply.send)
            continue;
        link::Micros start = now + reply.delay;
        if (pacing_) {
            const link::Micros requestEnd =
                request.firstByteAt + TransmissionTime(request.wireLength);
            start = std::max(requestEnd, lineFreeAt_) + reply.delay;
        }
        Send({std::move(reply.bytes), {}}, start, true);
        if (reply.repeat) {
            const link::Micros copyStart = (pacing_ ? lineFreeAt_ : start) + reply.repeat->gap;
            Send(*reply.repeat, copyStart, false);
        }
    }
    return static_cast<std::int64_t>(bytes.size());
}

void SimTransport::Send(const ShapedReply::Copy& copy, link::Micros start, bool sameSession) {
    const std::vector<Byte>& bytes = copy.bytes;
    if (!pacing_) {
        Deliver(bytes, start, sameSession);
        return;
    }
    const std::size_t total = bytes.size();
    lineFreeAt_ = start + TransmissionTime(total);
    const std::size_t piece = chunk_ == 0 ? total : chunk_;
    for (std::size_t from = 0; from < total; from += piece) {
        const std::size_t to = std::min(total, from + piece);
        Deliver(std::vector<Byte>(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(to)),
                start + TransmissionTime(to), sameSession);
    }
}

void SimTransport::clearInput() {
    ++purges_;
    purgedAt_ = clock_.now();
}

void SimTransport::Deliver(std::vector<Byte> bytes, link::Micros at, bool sameSession) {
    if (bytes.empty())
        return;
    std::weak_ptr<SimTransport*> weak = self_;
    const std::uint64_t session = session_;
    const std::uint64_t purges = purges_;
    clock_.schedule(at - clock_.now(),
                    [weak, session, sameSession, purges, at, data = std::move(bytes)] {
                        const auto self = weak.lock();
                        if (!self)
                            return;
                        SimTransport& t = **self;
                        // Bytes that reach a closed or lost port are gone, as on a real line.
                        if ((sameSession && t.session_ != session) || !t.open_ || t.vanished_)
                            return;
                        // Arrived before the last purge, but not yet handed on: purged with the
                        // port's input.
                        if (purges != t.purges_ && at <= t.purgedAt_)
                            return;
                        if (t.onReceive)
                            t.onReceive(data);
                        t.clock_.wake();
                    });
}

}  // namespace veld::sim
