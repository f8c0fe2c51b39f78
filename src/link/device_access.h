#pragma once

// Device access: the typed layer every handler uses above the transaction engine. Each call sends
// exactly the bytes the engine's documented pattern sends (BuildRequest, SendAndWait) and returns
// a result that cannot be mistaken for success: a reply only counts when it answers the command
// that was sent and holds the bytes that were asked for.

#include <QString>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "link/frame.h"

namespace veld::link {

class Link;

// Why an access did not deliver what it asked for.
struct AccessFailure {
    enum class Kind {
        Transaction,   // the engine reported ReplyError (its message, if any, has been shown)
        WrongCommand,  // a reply arrived, but it answers another command
        ShortReply,    // the reply holds fewer payload bytes than were asked for
    };
    Kind kind = Kind::Transaction;
    Byte command = 0;       // the command that was sent
    Byte replyCommand = 0;  // WrongCommand: the command the reply answers
    Byte responseCode = 0;  // the reply's response code, where a reply arrived
    int expected = 0;       // ShortReply: payload bytes asked for and received
    int received = 0;

    // One Czech sentence for the command line. The window shows nothing beyond the engine's own
    // messages: its sequences end silently, as after any failed transaction.
    QString describe() const;
};

// A value, or why there is none. The response code of the reply travels with a success too: the
// window's sequences never look at it, the command line does.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value, Byte responseCode) : state_(std::move(value)), responseCode_(responseCode) {}
    Result(AccessFailure failure)  // NOLINT(google-explicit-constructor): failures convert
        : state_(std::move(failure)), responseCode_(std::get<AccessFailure>(state_).responseCode) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    // Only when ok().
    const T& value() const { return std::get<T>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    // Only when !ok().
    const AccessFailure& failure() const { return std::get<AccessFailure>(state_); }
    Byte responseCode() const { return responseCode_; }

private:
    std::variant<T, AccessFailure> state_;
    Byte responseCode_ = 0;
};

struct Done {};
using Status = Result<Done>;

// The reply of a command without memory payload ("Stop", "NastOfs", ...): its data bytes after
// the response code and device status.
struct CommandReply {
    std::vector<Byte> payload;
};

// One "ReadPV": the value as the transmitter sent it and the traffic as the window shows it.
struct ProcessValue {
    Byte unitCode = 0;
    float value = 0;                // DecodePvFloat of payload bytes 1..4
    std::vector<Byte> request;      // the first 12 bytes of TxFrame (no pad, no CRC)
    std::vector<Byte> replyFrame;   // RxFrame[0..ReplyLength], checksum included
};

class DeviceAccess {
public:
    // The largest write one request carries in this program.
    static constexpr std::size_t kWriteChunk = 20;

    explicit DeviceAccess(Link& link) : link_(link) {}

    // "ReadEEPROM" of count bytes (1..49) at address.
    [[nodiscard]] Result<std::vector<Byte>> readBytes(std::uint16_t address, std::uint8_t count);
    // count consecutive DevFloats (1..12) from address, in one "ReadEEPROM".
    [[nodiscard]] Result<std::vector<float>> readReals(std::uint16_t address, int count);
    [[nodiscard]] Result<float> readReal(std::uint16_t address);
    // "WriteEEPROM" of the bytes from address, in requests of at most `chunk` bytes, in order;
    // stops at the first failed request (earlier chunks stay written).
    [[nodiscard]] Status writeBytes(std::uint16_t address, std::span<const Byte> bytes,
                                    std::size_t chunk = kWriteChunk);
    // The reals as DevFloats from address, in one "WriteEEPROM" per 20 bytes.
    [[nodiscard]] Status writeReals(std::uint16_t address, std::span<const float> values);
    [[nodiscard]] Status writeReal(std::uint16_t address, float value);
    // A command without data ("Stop", "Reset", "Continue", "NastOfs", "NastFS").
    [[nodiscard]] Result<CommandReply> command(std::string_view name);
    // "ReadPV". `request` is filled whether or not the transaction succeeds; see lastRequest().
    [[nodiscard]] Result<ProcessValue> readPv();

    // The request bytes of the last call (first TxLength bytes of TxFrame), also after a failure.
    const std::vector<Byte>& lastRequest() const { return lastRequest_; }

    Link& link() { return link_; }

private:
    Link& link_;
    std::vector<Byte> lastRequest_;
};

}  // namespace veld::link
