#pragma once

// Command handling of the simulated transmitter: one verified request in, one reply frame out.
// Counts what it received so that tests can say "two requests received".

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sim/memory_image.h"
#include "sim/process_value.h"
#include "sim/request.h"

namespace veld::sim {

// Response codes of a refused request (data byte 0 of the reply; 0 means accepted).
inline constexpr Byte kResponseParameterTooLarge = 3;  // address or count beyond the memory
inline constexpr Byte kResponseTooFewDataBytes = 5;    // data field shorter than the command needs
inline constexpr Byte kResponseNotImplemented = 64;    // a command this transmitter does not serve

// Reply frames come from the codec's encoder, the counterpart of the program's BuildRequest.
using link::BuildReplyFrame;
using link::kDefaultReplyPreamble;
using link::kReplyDelimiter;

class Device {
public:
    explicit Device(MemoryImage& memory) : memory_(memory) {}

    // Answers one complete request whose checksum, CRC and address have been verified. Every such
    // request is answered; whether the answer reaches the line is the fault policy's business.
    std::vector<Byte> Handle(const Request& request);

    // Counters and the log of requests (the newest kLogCapacity of them).
    std::size_t RequestsReceived() const { return received_; }
    std::size_t Count(std::string_view commandName) const;
    std::size_t Count(Byte command) const;
    const std::deque<Request>& Log() const { return log_; }
    void ClearCounters();
    static constexpr std::size_t kLogCapacity = 4096;

    // Result code answered to "NastOfs" and "NastFS": 6, 9, 10 and 14 refuse, anything else
    // succeeds and stores the present value as the new range end.
    void SetCalibrationResult(Byte code) { calibrationResult_ = code; }
    Byte CalibrationResult() const { return calibrationResult_; }

    // The value present at the input. Unset, it lies at the given fraction of the stored range
    // (1568..1572), so it follows whatever range was last written.
    void SetProcessValue(std::optional<float> value) { processValue_ = value; }
    void SetRangeFraction(float fraction) { rangeFraction_ = fraction; }
    // Unset and with a wave, it moves over the stored range with the time of the request.
    void SetProcessWave(std::optional<ProcessWave> wave) { wave_ = wave; }
    float ProcessValue() const;

    void SetReplyPreamble(std::size_t bytes) { preamble_ = bytes; }

    // "Stop" halts the measurement until "Continue"; "Reset" restarts the transmitter.
    bool Measuring() const { return measuring_; }
    std::size_t Resets() const { return resets_; }

    MemoryImage& Memory() { return memory_; }
    const MemoryImage& Memory() const { return memory_; }

private:
    std::vector<Byte> Reply(Byte command, Byte responseCode,
                            std::span<const Byte> payload = {}) const;
    std::vector<Byte> ReadMemory(const Request& r, std::size_t addressBytes);
    std::vector<Byte> WriteMemory(const Request& r, std::size_t addressBytes);
    std::vector<Byte> ReadPv(const Request& r) const;
    std::vector<Byte> Calibrate(const Request& r, std::size_t rangeEndAddress);
    std::vector<Byte> ReadUniqueIdentifier(const Request& r) const;

    MemoryImage& memory_;
    std::size_t received_ = 0;
    std::map<Byte, std::size_t> counts_;
    std::deque<Request> log_;
    Byte calibrationResult_ = 0;
    std::optional<float> processValue_;
    std::optional<ProcessWave> wave_;
    link::Micros now_{0};  // when the request being answered began to arrive
    float rangeFraction_ = 0.5f;
    std::size_t preamble_ = kDefaultReplyPreamble;
    bool measuring_ = true;
    std::size_t resets_ = 0;
};

}  // namespace veld::sim
