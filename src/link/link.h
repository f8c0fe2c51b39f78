#pragma once

// The transaction engine: one request, its reply, retries and the failure messages.
//
// Callers follow one pattern: BuildRequest (with a write's data), SendAndWait, test its result,
// read replyData. SendAndWait opens the port, raises DTR and RTS, waits 50 ms, sends,
// waits 1 ms, then gives the reply up to 1000 ms; without a complete reply it waits 200 ms and
// tries again, three attempts in all; then it closes the port. Worst case about 3.65 s. With the
// fast transfer on, an operation's transactions share one opening (Link::setFastTransfer).

#include <QLoggingCategory>
#include <QSettings>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include "common/prompts.h"
#include "link/clock.h"
#include "link/dev_float.h"
#include "link/frame.h"
#include "link/port_choice.h"
#include "link/reply_decoder.h"
#include "link/transport.h"

Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcLinkRaw)

namespace veld::link {

struct TransactionRecord;

inline constexpr std::chrono::milliseconds kLineSettleTime{50};  // after raising DTR and RTS
inline constexpr std::chrono::milliseconds kAfterWrite{1};
inline constexpr std::chrono::milliseconds kReplyTimeout{1000};  // per attempt
inline constexpr std::chrono::milliseconds kRetryPause{200};     // after an attempt without reply
inline constexpr int kAttempts = 3;
// Fast transfer: a read's reply equal to one received up to this long before may be a copy that
// a faulty line repeated (the 50 ms settle drops copies up to about 60 ms late); whether the
// answer follows is then waited for as long as its beginning could take, with this margin and
// twice as much as the beginnings of the operation's replies have varied.
inline constexpr std::chrono::milliseconds kCopyWindow{100};
inline constexpr std::chrono::milliseconds kCopyMargin{5};
// The shortest reply: a preamble byte, delimiter, five address bytes, command, byte count,
// response code, status and checksum.
inline constexpr std::size_t kShortestReply = 12;
// One character at 14400 bit/s, 11 bits.
inline constexpr Micros kNominalCharacter{764};

// The three failure texts, exactly as the transmitter's users know them.
inline const QString kMsgCannotOpen = QStringLiteral("It is not possible initialize comm ");
inline const QString kMsgWriteFailed =
    QStringLiteral("Chyba na portu PC, nelze poslat data pres port !");
inline const QString kMsgNoAnswer = QStringLiteral("No answer from transmitter !");

// How the last transaction ended; every ending but Success, BadChecksum and Interrupted has
// shown its message. A call refused because another transaction waits leaves it alone.
enum class TransactionResult {
    Success,      // a complete reply with the right checksum
    CannotOpen,   // kMsgCannotOpen and the port number (below it who holds the port, if known)
    WriteFailed,  // kMsgWriteFailed: the write took nothing
    PortLost,     // kMsgWriteFailed: the port vanished during the transaction
    NoAnswer,     // kMsgNoAnswer after the last attempt
    BadChecksum,  // a complete reply with a wrong checksum; no message, as documented
    Interrupted,  // `interrupted` said stop: nothing was sent, no message
};

class Link {
public:
    Link(Transport& transport, Clock& clock, Prompts& prompts, PortChoice& port,
         QSettings& settings);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    bool PortOpen = false;
    bool ReopenPort = false;

    // Lays out the request; a write's data (at most what the buffer holds) is sent from its first
    // byte on.
    void BuildRequest(std::string_view command, std::uint32_t address, std::uint8_t count,
                      std::span<const Byte> data = {});
    // The request BuildRequest laid out: preamble through checksum (the pad and CRC follow it on
    // the line).
    std::span<const Byte> request() const { return {tx_.TxFrame.data(), tx_.TxLength}; }
    // The data of the last reply decoded: response code, device status, payload.
    std::span<const Byte> replyData() const {
        return {rx_.RxData.data(), std::min<std::size_t>(rx_.ReplyByteCount, rx_.RxData.size())};
    }
    // The last complete reply, preamble through checksum.
    std::vector<Byte> replyFrame() const;

    // Sends what BuildRequest left and waits for the reply. Returns ReplyError: true when the
    // transaction failed (its message has been shown). A call while another transaction waits
    // is refused: it returns true and leaves the running transaction alone.
    bool SendAndWait();

    // The user picked another port: the next transaction closes whatever is open first.
    void SetComClick();

    // Fast transfer ("Rychlý přenos", off unless chosen): within an operation (see HeldPort) the
    // port stays open after each successful transaction, so the next one sends its request at
    // once instead of opening the port, raising DTR and RTS and waiting 50 ms again. Requests,
    // time-outs and retries stay as they are. A failed transaction closes the port as ever, and
    // so does the end of the operation; a port that vanished is opened afresh by the next
    // transaction. Off, every transaction opens and closes the port. Without the settle, a copy
    // of a recent reply that a faulty line repeats may come after a request has left; a reply
    // that may be one is taken only when no other follows (awaitAnswerAfterCopy).
    void setFastTransfer(bool on);
    bool fastTransfer() const { return fast_; }
    void beginOperation();
    void endOperation();

    // Failures are not shown while quiet (the search for the transmitter tries ports that may
    // not answer); lastMessage() still holds what would have been.
    void setQuiet(bool on) { quiet_ = on; }

    bool busy() const { return busy_; }
    int attemptsMade() const { return attempts_; }
    TransactionResult lastResult() const { return result_; }
    // The message the last transaction showed; empty when it showed none.
    const QString& lastMessage() const { return message_; }
    // The command byte of the last complete reply (the decoder does not compare it with the
    // request; device access does).
    Byte replyCommand() const { return decoder_.replyCommand(); }

    // Transfer1, the small progress bar: 0 when sending starts, 100 when a reply byte arrives
    // and when the transaction has succeeded.
    std::function<void(int)> onTransfer1;
    // A transaction started (true) or ended (false); the window disables its buttons meanwhile.
    std::function<void(bool)> onBusyChanged;
    // Once at the end of each transaction, before it counts as ended: what it sent and received
    // (link/transaction_record.h). Watching adds nothing to what is sent, nor to when.
    std::function<void(const TransactionRecord&)> onTransaction;
    // Asked before each transaction, never during one: true fails it as Interrupted, so that the
    // sequence calling it stops as after a failed step (the command line on SIGINT, SIGTERM).
    std::function<bool()> interrupted;

    Transport& transport() { return transport_; }
    PortChoice& portChoice() { return port_; }
    // What transactions wait through; handlers pause and schedule on the same time.
    Clock& clock() { return clock_; }

private:
    bool OpenPort();
    void receive(std::span<const std::uint8_t> bytes);
    // Drops a byte that arrived too early, or that continues a frame begun by such bytes.
    void dropStale(Byte b);
    void setTransfer1(int value);
    bool transact(const std::vector<Byte>& wire);
    // Fast transfer: the complete reply answers another command, or is a read's and equals one
    // of the recent ones.
    bool mayBeCopy();
    // Takes a reply that follows within the time the answer could take, else keeps this one.
    void awaitAnswerAfterCopy(Micros requestEnd);
    void closePort();
    void fail(TransactionResult result, const QString& message);
    void report(Micros started, std::vector<Byte> wire) const;

    Transport& transport_;
    Clock& clock_;
    Prompts& prompts_;
    PortChoice& port_;
    QSettings& settings_;
    RequestBuffer tx_;  // TxFrame, TxLength and TxData
    ReplyState rx_;     // RxFrame, RxCount, ReplyLength, RxData, ReplyError, ReplyComplete
    ReceiveRing ring_{rx_};
    ReplyDecoder decoder_{rx_};
    // Bytes that reached the port before this instant cannot belong to the reply being waited
    // for; no two received bytes are closer than characterTime_ (zero: no line timing).
    Micros replyFrom_{0};
    Micros characterTime_{0};
    // Follows a frame that began too early to its end, so that its tail is dropped with it.
    ReplyState stale_;
    ReplyDecoder staleDecoder_{stale_};
    bool staleOpen_ = false;
    bool busy_ = false;
    bool lost_ = false;
    bool fast_ = false;
    bool quiet_ = false;
    int operations_ = 0;
    // The port is open with its lines raised and settled, kept for the operation's next request.
    bool held_ = false;
    struct RecentReply {
        std::vector<Byte> frame;
        Micros at;
    };
    std::vector<RecentReply> recent_;  // the operation's replies of the last kCopyWindow
    // How long after their requests had crossed the line the operation's replies began (delivery
    // included), at the latest and at the earliest.
    void noteLatency(Micros latency);
    Micros latest_{0};
    Micros earliest_ = Micros::max();
    // The most bytes one delivery of the port has held in this operation (a port that hands on
    // whole replies shows an answer only when it is complete).
    std::size_t largestDelivery_ = 1;
    int attempts_ = 0;
    TransactionResult result_ = TransactionResult::Success;
    QString message_;
};

// One operation: a click's handler, a command of the command line. With the fast transfer on,
// its transactions share one opening of the port, which also keeps other programs from taking
// the port between them. Scopes nest; the outermost closes the port.
class HeldPort {
public:
    explicit HeldPort(Link& link) : link_(link) { link_.beginOperation(); }
    ~HeldPort() { link_.endOperation(); }
    HeldPort(const HeldPort&) = delete;
    HeldPort& operator=(const HeldPort&) = delete;

private:
    Link& link_;
};

}  // namespace veld::link
