#ifndef _WIN32

#include "sim/pty_server.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <algorithm>
#include <array>

#include "sim/line_timing.h"

namespace veld::sim {

link::Micros MonotonicNow() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return link::Micros{static_cast<long long>(ts.tv_sec) * 1'000'000 + ts.tv_nsec / 1000};
}

namespace {

std::string SystemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

timespec ToTimespec(link::Micros d) {
    if (d < link::Micros{0})
        d = link::Micros{0};
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(d.count() / 1'000'000);
    ts.tv_nsec = static_cast<long>((d.count() % 1'000'000) * 1000);
    return ts;
}

}  // namespace

// Unpaced, the bytes go out in one piece, when a line could have carried them all: the program
// counts no two received bytes closer than a character time, and takes a block that comes
// sooner for the tail of something older.
link::Micros PtyServer::UnpacedDue(const Outgoing& out) {
    return out.start + TransmissionTime(out.bytes.size());
}

PtyServer::PtyServer(Device& device, FaultPolicy& faults, PtyOptions options)
    : device_(device), faults_(faults), options_(options) {}

PtyServer::~PtyServer() {
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
}

std::string PtyServer::Open() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return SystemError("posix_openpt");
    if (grantpt(master_) != 0)
        return SystemError("grantpt");
    if (unlockpt(master_) != 0)
        return SystemError("unlockpt");
    const char* name = ptsname(master_);
    if (name == nullptr)
        return SystemError("ptsname");
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return SystemError("open slave");
    // Raw: no echo, no line editing, no translation, so a client that does not set the line up
    // itself still sees exactly the bytes sent.
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return SystemError("tcgetattr");
    cfmakeraw(&tio);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0)
        return SystemError("tcsetattr");
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return SystemError("fcntl");
    return {};
}

PtyServer::EndReason PtyServer::Run(int stopFd) {
    if (master_ < 0) {
        error_ = "pseudo-terminal not open";
        return EndReason::Error;
    }
    const link::Micros idle = options_.idleTimeout;
    link::Micros lastInput = MonotonicNow();
    for (;;) {
        link::Micros now = MonotonicNow();
        link::Micros nextDue{0};
        const bool waiting = SendDue(now, nextDue);
        if (!error_.empty())
            return EndReason::Error;
        if (!waiting && now - lastInput >= idle)
            return EndReason::IdleTimeout;

        link::Micros timeout = std::max(lastInput + idle - now, link::Micros{0});
        if (waiting)
            timeout = timeout > link::Micros{0} ? std::min(timeout, nextDue - now) : nextDue - now;
        std::array<pollfd, 2> fds{{{master_, POLLIN, 0}, {stopFd, POLLIN, 0}}};
        const nfds_t count = stopFd >= 0 ? 2 : 1;
        const timespec ts = ToTimespec(timeout);
        const int ready = ppoll(fds.data(), count, &ts, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            error_ = SystemError("ppoll");
            return EndReason::Error;
        }
        if (count == 2 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            return EndReason::StopRequested;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            lastInput = MonotonicNow();
            HandleInput(lastInput);
            if (!error_.empty())
                return EndReason::Error;
        } else if ((fds[0].revents & (POLLERR | POLLNVAL)) != 0) {
            error_ = "pseudo-terminal master failed";
            return EndReason::Error;
        }
    }
}

void PtyServer::HandleInput(link::Micros now) {
    std::array<Byte, 512> buffer{};
    for (;;) {
        const ssize_t got = ::read(master_, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            // EIO: no client has the slave open (cannot happen while we hold it, but harmless).
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EIO)
                error_ = SystemError("read");
            return;
        }
        if (got == 0)
            return;
        const std::span<const Byte> bytes(buffer.data(), static_cast<std::size_t>(got));
        if (options_.trace != nullptr)
            Trace("<-", {bytes.begin(), bytes.end()});
        for (const Request& request : assembler_.Feed(bytes, now)) {
            ShapedReply reply = ApplyFaults(faults_.Next(), device_.Handle(request));
            if (!reply.send || reply.bytes.empty())
                continue;
            // Not before the request has crossed the line, paced or not: the program takes
            // whatever comes sooner for something else and drops it.
            const link::Micros requestEnd =
                request.firstByteAt + TransmissionTime(request.wireLength);
            link::Micros start = requestEnd + reply.delay;
            if (options_.pacing) {
                start = std::max(requestEnd, lineFreeAt_) + reply.delay;
                lineFreeAt_ = start + TransmissionTime(reply.bytes.size());
            }
            const link::Micros end = start + TransmissionTime(reply.bytes.size());
            outgoing_.push_back({std::move(reply.bytes), 0, start});
            if (reply.repeat && !reply.repeat->bytes.empty()) {
                const link::Micros copyStart = end + reply.repeat->gap;
                if (options_.pacing)
                    lineFreeAt_ = copyStart + TransmissionTime(reply.repeat->bytes.size());
                outgoing_.push_back({std::move(reply.repeat->bytes), 0, copyStart});
            }
        }
        if (static_cast<std::size_t>(got) < buffer.size())
            return;
    }
}

bool PtyServer::SendDue(link::Micros now, link::Micros& nextDue) {
    while (!outgoing_.empty()) {
        Outgoing& out = outgoing_.front();
        std::size_t due = out.bytes.size();
        if (options_.pacing) {
            // Byte i has crossed the line at start + (i + 1) character times.
            due = 0;
            while (due < out.bytes.size() && out.start + TransmissionTime(due + 1) <= now)
                ++due;
        } else if (now < UnpacedDue(out)) {
            due = 0;
        }
        if (out.sent == 0 && due > 0 && options_.trace != nullptr)
            Trace("->", out.bytes);
        while (out.sent < due) {
            const ssize_t put = ::write(master_, out.bytes.data() + out.sent, due - out.sent);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                error_ = SystemError("write");
                return false;
            }
            out.sent += static_cast<std::size_t>(put);
        }
        if (out.sent < out.bytes.size()) {
            // The next byte, or a retry soon when the terminal's queue was full.
            nextDue = out.sent < due    ? now + link::Micros{1000}
                      : options_.pacing ? out.start + TransmissionTime(out.sent + 1)
                                        : UnpacedDue(out);
            return true;
        }
        outgoing_.pop_front();
    }
    return false;
}

void PtyServer::Trace(const char* direction, const std::vector<Byte>& bytes) {
    std::string line = direction;
    std::array<char, 4> hex{};
    for (Byte b : bytes) {
        std::snprintf(hex.data(), hex.size(), " %02X", b);
        line += hex.data();
    }
    *options_.trace << line << '\n' << std::flush;
}

}  // namespace veld::sim

#endif  // _WIN32
