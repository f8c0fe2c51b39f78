#pragma once

// The simulated transmitter on a pseudo-terminal (POSIX only). The program opens the slave path
// like a serial port; the server reads requests from the master side and writes the replies,
// paced with real time as the line would carry them.

#ifndef _WIN32

#include <chrono>
#include <cstddef>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "sim/device.h"
#include "sim/fault_policy.h"
#include "sim/request_assembler.h"

namespace veld::sim {

struct PtyOptions {
    bool pacing = true;
    // The server ends when no byte has arrived for this long.
    std::chrono::milliseconds idleTimeout = std::chrono::seconds(600);
    // Hex dumps of requests and replies, when set.
    std::ostream* trace = nullptr;
};

class PtyServer {
public:
    enum class EndReason { IdleTimeout, StopRequested, Error };

    PtyServer(Device& device, FaultPolicy& faults, PtyOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal. Returns an empty text on success, else what failed.
    std::string Open();
    const std::string& SlavePath() const { return slavePath_; }

    // Serves until the idle time-out, an error, or stopFd (when not -1) becomes readable: a pipe
    // or a signalfd that the caller owns.
    EndReason Run(int stopFd);
    const std::string& ErrorText() const { return error_; }

    const RequestAssembler& Assembler() const { return assembler_; }

private:
    struct Outgoing {
        std::vector<Byte> bytes;
        std::size_t sent = 0;
        link::Micros start{0};  // when the first byte starts on the line
    };

    static link::Micros UnpacedDue(const Outgoing& out);
    void HandleInput(link::Micros now);
    // Writes every byte that is due; returns when the next one is, if any.
    bool SendDue(link::Micros now, link::Micros& nextDue);
    void Trace(const char* direction, const std::vector<Byte>& bytes);

    Device& device_;
    FaultPolicy& faults_;
    PtyOptions options_;
    RequestAssembler assembler_;
    int master_ = -1;
    int slave_ = -1;  // kept open so the master does not hang up between client sessions
    std::string slavePath_;
    std::string error_;
    std::deque<Outgoing> outgoing_;
    link::Micros lineFreeAt_{0};
};

// Monotonic time for the server's pacing.
link::Micros MonotonicNow();

}  // namespace veld::sim

#endif  // _WIN32
