#pragma once

// Device access: the typed layer every handler uses above the transaction engine. Each call sends
// exactly the bytes the engine's documented pattern sends (BuildRequest, SendAndWait) and returns
// a result that cannot be mistaken for success: a reply only counts when it answers the command
// that was sent and holds the bytes that were asked for.

#include <QString>
#include <cstdint>
#include <optional>
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
        Transaction,   // the engine failed and has shown its message (port, write, no answer)
        BadChecksum,   // a complete reply with a wrong checksum; the engine shows nothing
        Busy,          // another transaction is waiting for its reply; nothing was sent
        BadRequest,    // one request cannot carry what was asked; nothing was sent
        WrongCommand,  // a reply arrived, but it answers another command
        ShortReply,    // the reply holds fewer payload bytes than were asked for
        ResponseCode,  // the reply carries a response code other than 0 (see Result::strict)
    };
    Kind kind = Kind::Transaction;
    QString commandName;    // the command that was sent (or would have been)
    Byte command = 0;       // its code
    Byte replyCommand = 0;  // WrongCommand: the command the reply answers
    Byte responseCode = 0;  // the reply's response code, where a reply carried one
    int expected = 0;       // ShortReply, BadRequest: payload bytes asked for
    int received = 0;       // ShortReply: payload bytes the reply holds
    QString message;        // Transaction: the message the engine has shown

    // Whether the user has already been told: only the engine's own messages are shown, and the
    // window's sequences end silently after any failure, as after a failed transaction.
    bool messageShown() const { return kind == Kind::Transaction; }
    // One Czech sentence for the command line.
    QString describe() const;
};

// The command's name from the table, or its code in hexadecimal ("0x55").
QString CommandName(Byte code);

// A value, or why there is none. The response code of the reply travels with a success too: the
// window's sequences never look at it, the command line does (strict()).
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value, Byte command, Byte responseCode)
        : state_(std::move(value)), command_(command), responseCode_(responseCode) {}
    Result(AccessFailure failure)  // NOLINT(google-explicit-constructor): failures convert
        : state_(std::move(failure)),
          command_(std::get<AccessFailure>(state_).command),
          responseCode_(std::get<AccessFailure>(state_).responseCode) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    // Only when ok().
    const T& value() const { return std::get<T>(state_); }
    const T& operator*() const { return value(); }
    const T* operator->() const { return &value(); }
    // Only when !ok().
    const AccessFailure& failure() const { return std::get<AccessFailure>(state_); }
    Byte responseCode() const { return responseCode_; }

    // The judgement of the command line: the failure, or for a success whose reply carries a
    // response code other than 0, a failure of kind ResponseCode. nullopt when the transmitter
    // did what was asked and said so.
    std::optional<AccessFailure> strict() const {
        if (!ok())
            return failure();
        if (responseCode_ == 0)
            return std::nullopt;
        AccessFailure f;
        f.kind = AccessFailure::Kind::ResponseCode;
        f.command = command_;
        f.commandName = CommandName(command_);
        f.responseCode = responseCode_;
        return f;
    }

private:
    std::variant<T, AccessFailure> state_;
    Byte command_ = 0;
    Byte responseCode_ = 0;
};

struct Done {};
using Status = Result<Done>;

// The reply of a command without memory payload ("Stop", "NastOfs", ...): its payload bytes
// after the response code and device status.
struct CommandReply {
    std::vector<Byte> payload;
};

// One "ReadPV": the value as the transmitter sent it and the traffic as the window shows it.
struct ProcessValue {
    float value = 0;               // DecodePvFloat of payload bytes 1..4, after the unit code
    std::vector<Byte> replyFrame;  // RxFrame[0..ReplyLength], checksum included
};

class DeviceAccess {
public:
    // The largest write one request carries in this program.
    static constexpr std::size_t kWriteChunk = 20;
    // What one request can carry. The 51-byte receive buffer holds at least one preamble byte,
    // delimiter, five address bytes, command, byte count, response code, status and checksum
    // beside the payload: 39 bytes. The request buffer carries 33 data bytes of a "WriteEEPROM".
    static constexpr std::size_t kMaxReadCount = kBufferSize - 12;
    static constexpr std::size_t kMaxWriteCount = 33;
    static constexpr int kMaxReadReals = static_cast<int>(kMaxReadCount / 4);

    explicit DeviceAccess(Link& link) : link_(link) {}

    // "ReadEEPROM" of count bytes (1..39) at address.
    [[nodiscard]] Result<std::vector<Byte>> readBytes(std::uint16_t address, std::uint8_t count);
    // count consecutive DevFloats (1..9) from address, in one "ReadEEPROM".
    [[nodiscard]] Result<std::vector<float>> readReals(std::uint16_t address, int count);
    [[nodiscard]] Result<float> readReal(std::uint16_t address);
    // "WriteEEPROM" of the bytes from address, in requests of at most `chunk` (1..33) bytes, in
    // order; stops at the first failed request (earlier chunks stay written). Every request is
    // sent whatever response code the ones before carried; the result carries the first code
    // other than 0.
    [[nodiscard]] Status writeBytes(std::uint16_t address, std::span<const Byte> bytes,
                                    std::size_t chunk = kWriteChunk);
    // The reals as DevFloats from address, in one "WriteEEPROM" per 20 bytes (five reals).
    [[nodiscard]] Status writeReals(std::uint16_t address, std::span<const float> values);
    [[nodiscard]] Status writeReal(std::uint16_t address, float value);
    // A command without data ("Stop", "Reset", "Continue", "NastOfs", "NastFS") whose reply must
    // hold at least `payloadBytes` payload bytes.
    [[nodiscard]] Result<CommandReply> command(std::string_view name, std::size_t payloadBytes = 0);
    // "ReadPV"; the reply must hold the unit code and the value.
    [[nodiscard]] Result<ProcessValue> readPv();

    // The request bytes of the last request sent (TxFrame[0..TxLength)), also after a failed
    // transaction. A call that sent nothing (busy, bad request) leaves it as it was.
    const std::vector<Byte>& lastRequest() const { return lastRequest_; }

    Link& link() { return link_; }

private:
    // Sends one request and checks its reply; nullopt when the reply answers the command and
    // holds payloadBytes. data is what a write carries.
    std::optional<AccessFailure> exchange(const CommandInfo& command, std::uint32_t address,
                                          std::uint8_t count, std::size_t payloadBytes,
                                          std::span<const Byte> data = {});
    Byte responseCode() const;

    Link& link_;
    std::vector<Byte> lastRequest_;
};

}  // namespace veld::link
