#include "link/link.h"

#include "link/transaction_record.h"

#include <QByteArray>

#include <algorithm>

Q_LOGGING_CATEGORY(lcLink, "veld.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLinkRaw, "veld.link.raw", QtWarningMsg)

namespace veld::link {

namespace {

constexpr Byte kPreambleByte = 0xFF;

// Characters at the line's nominal rate.
Micros LineTime(std::size_t characters) {
    return kNominalCharacter * static_cast<Micros::rep>(characters);
}

QByteArray Hex(std::span<const Byte> bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex(' ')
        .toUpper();
}

}  // namespace

Link::Link(Transport& transport, Clock& clock, Prompts& prompts, PortChoice& port,
           QSettings& settings)
    : transport_(transport), clock_(clock), prompts_(prompts), port_(port), settings_(settings) {
    transport_.onReceive = [this](std::span<const std::uint8_t> bytes) { receive(bytes); };
    transport_.onLost = [this] {
        lost_ = true;
        clock_.wake();
    };
    ring_.Clear();
}

Link::~Link() {
    if (held_)
        transport_.close();
    transport_.onReceive = nullptr;
    transport_.onLost = nullptr;
}

void Link::BuildRequest(std::string_view command, std::uint32_t address, std::uint8_t count,
                        std::span<const Byte> data) {
    std::copy_n(data.begin(), std::min(data.size(), tx_.TxData.size() - 1), tx_.TxData.begin() + 1);
    tx_.BuildRequest(command, address, count);
}

void Link::receive(std::span<const std::uint8_t> bytes) {
    qCDebug(lcLinkRaw) << "rx" << Hex(bytes).constData();
    // A reply cannot begin before its request has left, so whatever arrived earlier is a late
    // or repeated copy of another reply that would otherwise pass as this one. Bytes are seen
    // at or after they arrived and came over the line one character time apart at least: of n
    // bytes seen now, byte i arrived no later than now - (n - 1 - i) character times. Only
    // bytes that surely arrived too early are dropped, and with them the rest of a frame they
    // began: its tail could otherwise start a reply of its own.
    const Micros now = clock_.now();
    std::size_t fresh = bytes.size();
    if (now < replyFrom_)
        fresh = 0;
    else if (characterTime_ > Micros{0})
        fresh = std::min(fresh, static_cast<std::size_t>((now - replyFrom_) / characterTime_) + 1);
    std::size_t dropped = 0;
    while (dropped < bytes.size() && (dropped < bytes.size() - fresh || staleOpen_))
        dropStale(bytes[dropped++]);
    if (dropped > 0) {
        qCDebug(lcLink) << "dropped" << dropped << "bytes of a frame begun before the reply could";
        bytes = bytes.subspan(dropped);
    }
    largestDelivery_ = std::max(largestDelivery_, bytes.size());
    // Through the ring, byte by byte, as the port delivers them.
    for (Byte b : bytes)
        ring_.PutChar(b);
    for (std::size_t i = 0; i < bytes.size() && !ring_.IsEmpty(); ++i) {
        decoder_.ParseReplyByte(ring_.GetChar());
        setTransfer1(100);
    }
    clock_.wake();
}

void Link::dropStale(Byte b) {
    if (!staleOpen_) {
        // Only a preamble shows where a frame begins; a stray byte or the tail of a frame whose
        // head went with the purged input is dropped alone.
        if (b != kPreambleByte)
            return;
        staleDecoder_.Restart();
        staleOpen_ = true;
    }
    staleDecoder_.ParseReplyByte(b);
    if (stale_.ReplyComplete || stale_.ReplyError)
        staleOpen_ = false;
}

void Link::setTransfer1(int value) {
    if (onTransfer1)
        onTransfer1(value);
}

bool Link::OpenPort() {
    if (!transport_.open(port_.portName())) {
        qCInfo(lcLink) << "cannot open" << port_.portName().c_str();
        QString message = kMsgCannotOpen + port_.numberText();
        // Who holds the port goes on a line of its own, below the text users know.
        if (const std::string refusal = transport_.openRefusal(); !refusal.empty())
            message += u'\n' + QString::fromStdString(refusal);
        fail(TransactionResult::CannotOpen, message);
        return false;
    }
    PortOpen = true;
    port_.recordOpened(settings_);
    return true;
}

void Link::closePort() {
    transport_.close();
    PortOpen = false;
    held_ = false;
}

void Link::SetComClick() {
    PortOpen = false;
    ReopenPort = true;
}

void Link::setFastTransfer(bool on) {
    fast_ = on;
    if (!on && held_ && !busy_)
        closePort();
}

void Link::beginOperation() {
    if (operations_++ == 0) {
        recent_.clear();
        latest_ = Micros{0};
        earliest_ = Micros::max();
        largestDelivery_ = 1;
    }
}

void Link::endOperation() {
    if (operations_ > 0)
        --operations_;
    // A transaction still waiting closes the port itself when it ends.
    if (operations_ == 0 && held_ && !busy_)
        closePort();
}

void Link::fail(TransactionResult result, const QString& message) {
    result_ = result;
    message_ = message;
    rx_.ReplyError = true;
    if (!quiet_)
        prompts_.message(message);
}

bool Link::SendAndWait() {
    if (busy_) {
        // The running transaction's state stays as it is; only this call reports the refusal.
        qCWarning(lcLink) << "transaction refused: another one is waiting for its reply";
        return true;
    }
    if (interrupted && interrupted()) {
        result_ = TransactionResult::Interrupted;
        message_.clear();
        rx_.ReplyError = true;
        rx_.ReplyComplete = false;
        return true;
    }
    busy_ = true;
    if (onBusyChanged)
        onBusyChanged(true);
    const Micros started = clock_.now();
    std::vector<Byte> wire = tx_.WireBytes();
    const bool failed = transact(wire);
    if (onTransaction)
        report(started, std::move(wire));
    busy_ = false;
    if (onBusyChanged)
        onBusyChanged(false);
    return failed;
}

bool Link::transact(const std::vector<Byte>& wire) {
    rx_.ReplyError = false;
    rx_.ReplyComplete = false;
    ring_.Clear();
    rx_.RxFrame.fill(0x00);
    // A held port that vanished, or another port chosen meanwhile: opened afresh below.
    if (held_ && (lost_ || ReopenPort || !transport_.isOpen()))
        closePort();
    lost_ = false;
    attempts_ = 0;
    result_ = TransactionResult::Success;
    message_.clear();

    // Held open by the operation: its lines are up and settled already.
    const bool fromHold = held_;
    if (!fromHold) {
        if (!PortOpen) {
            if (ReopenPort)
                transport_.close();
            if (!OpenPort())
                return true;  // OpenPort has shown its message
            ReopenPort = false;
        }
        transport_.setDtr(true);
        transport_.setRts(true);
        clock_.pause(kLineSettleTime);
    }

    setTransfer1(0);
    bool timedOut = false;
    do {
        ++attempts_;
        // Only bytes received after this write count. Whatever came before it (a late reply to
        // an earlier attempt, a second copy of the previous reply) goes with the port's pending
        // input, the ring and the reply in progress, verdict included. Cleared before the write,
        // not after the 1 ms pause: a reply may already be decoded during that pause, and its
        // verdict must stand.
        transport_.clearInput();
        ring_.Clear();
        decoder_.Restart();
        qCDebug(lcLinkRaw) << "tx" << Hex(wire).constData();
        // The write call comes at or before the first byte leaves.
        characterTime_ = transport_.shortestCharacterTime();
        staleOpen_ = false;
        replyFrom_ = clock_.now() + transport_.minimumReplyDelay(wire.size());
        const Micros writtenAt = clock_.now();
        const std::int64_t written = lost_ ? 0 : transport_.write(wire);
        if (written <= 0) {
            fail(TransactionResult::WriteFailed, kMsgWriteFailed);
            held_ = false;  // the next transaction settles the lines again
            // A port that is still there stays open for the next transaction; a vanished one
            // is closed so that the next transaction opens it afresh.
            if (lost_ || !transport_.isOpen())
                closePort();
            return true;
        }
        clock_.pause(kAfterWrite);
        timedOut = clock_.runFor(kReplyTimeout, [this] { return rx_.ReplyComplete || lost_; });
        if (!timedOut && rx_.ReplyComplete && !rx_.ReplyError && !lost_) {
            // Without the settle before this request, a copy of a recent reply that a faulty
            // line repeats may come before the answer: a reply to another command, or a read's
            // reply equal to a recent one, counts only when no other follows in the time the
            // answer would need.
            if (fromHold && mayBeCopy())
                awaitAnswerAfterCopy(writtenAt + LineTime(wire.size()));
            else
                noteLatency(clock_.now() - writtenAt - LineTime(wire.size() + rx_.ReplyLength + 1));
        }
        if (lost_) {
            fail(TransactionResult::PortLost, kMsgWriteFailed);
            closePort();
            return true;
        }
        if (timedOut)
            rx_.ReplyError = true;
        if (!rx_.ReplyComplete)
            clock_.pause(kRetryPause);
    } while (!rx_.ReplyComplete && attempts_ < kAttempts);

    if (timedOut) {
        fail(TransactionResult::NoAnswer, kMsgNoAnswer);
    } else {
        setTransfer1(100);
        // Complete without time-out: only the checksum can be wrong, and that shows nothing.
        if (rx_.ReplyError)
            result_ = TransactionResult::BadChecksum;
    }
    if (!fast_ || operations_ == 0 || rx_.ReplyError) {
        closePort();
        return rx_.ReplyError;
    }
    recent_.push_back({replyFrame(), clock_.now()});
    held_ = true;
    return false;
}

void Link::noteLatency(Micros latency) {
    latest_ = std::max(latest_, latency);
    earliest_ = std::min(earliest_, latency);
}

std::vector<Byte> Link::replyFrame() const {
    return {rx_.RxFrame.begin(), rx_.RxFrame.begin() + rx_.ReplyLength + 1};
}

bool Link::mayBeCopy() {
    // The command follows the preamble, the delimiter and the five address bytes.
    const Byte requested = tx_.TxFrame[kPreambleLength + 1 + DeviceAddress.size()];
    if (decoder_.replyCommand() != requested)
        return true;  // the answer to another request
    const auto info = FindCommand(requested);
    if (!info || !info->name.starts_with("Read"))
        return false;  // replies without data are alike anyway
    const Micros now = clock_.now();
    std::erase_if(recent_, [now](const RecentReply& r) { return now - r.at > kCopyWindow; });
    return std::any_of(recent_.begin(), recent_.end(),
                       [frame = replyFrame()](const RecentReply& r) { return r.frame == frame; });
}

void Link::awaitAnswerAfterCopy(Micros requestEnd) {
    const std::vector<Byte> first = replyFrame();
    qCInfo(lcLink) << "a reply like a recent one: waiting whether the answer follows";
    // The answer begins once the line is free and the transmitter has answered, as late after the
    // request as any of the operation's replies began, give or take twice as much as they varied;
    // it shows once its first delivery is in. A port that has handed on a whole reply at once may
    // show the answer only when it is complete, and it may be as long as a reply can be.
    const Micros begins = std::max(clock_.now(), requestEnd + latest_);
    const std::size_t delivery =
        largestDelivery_ >= kShortestReply ? kBufferSize : largestDelivery_;
    const Micros margin = kCopyMargin + 2 * (earliest_ < latest_ ? latest_ - earliest_ : Micros{0});
    const Micros shows = begins + LineTime(delivery) + margin;
    ring_.Clear();
    decoder_.Restart();
    clock_.runFor(shows - clock_.now(), [this] {
        return rx_.RxCount > 0 || rx_.ReplyComplete || rx_.ReplyError || lost_;
    });
    if (rx_.RxCount > 0 && !rx_.ReplyComplete && !rx_.ReplyError && !lost_)
        clock_.runFor(LineTime(kBufferSize + delivery) + margin,
                      [this] { return rx_.ReplyComplete || lost_; });
    if (rx_.ReplyComplete || lost_)
        return;
    // Nothing (whole) followed: it was the answer after all.
    ring_.Clear();
    decoder_.Restart();
    for (const Byte b : first)
        decoder_.ParseReplyByte(b);
}

void Link::report(Micros started, std::vector<Byte> wire) const {
    TransactionRecord r;
    r.started = started;
    r.duration = clock_.now() - started;
    if (const auto fields = ReadRequest(wire)) {
        r.command = fields->command;
        r.address = fields->address;
        r.count = fields->count;
        r.data = fields->data;
    }
    r.request = std::move(wire);
    // A complete reply up to its checksum; otherwise what the last attempt had decoded.
    const std::size_t got =
        rx_.ReplyComplete ? std::size_t{rx_.ReplyLength} + 1 : std::size_t{rx_.RxCount};
    r.reply.assign(rx_.RxFrame.begin(),
                   rx_.RxFrame.begin() + static_cast<std::ptrdiff_t>(std::min(got, kBufferSize)));
    if (result_ == TransactionResult::Success) {
        r.replyCommand = decoder_.replyCommand();
        if (rx_.ReplyByteCount >= 1)
            r.code = rx_.RxData[0];
        if (rx_.ReplyByteCount >= 2) {
            r.status = rx_.RxData[1];
            r.payload.assign(rx_.RxData.begin() + 2, rx_.RxData.begin() + rx_.ReplyByteCount);
        }
    }
    r.attempts = attempts_;
    r.result = result_;
    r.error = result_ == TransactionResult::BadChecksum ? kMsgBadChecksum : message_;
    onTransaction(r);
}

}  // namespace veld::link
