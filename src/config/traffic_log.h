#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "common/prompts.h"
#include "config/outcome.h"
#include "link/transaction_record.h"

// The traffic inspector's words for a transaction and the window's bounded record of them (no
// widgets). The same text goes to `veld-cli --trace`, the same JSON to `--trace-file` and to
// "Uložit záznam".
namespace veld::config {

// The command's name from the table, or its code ("0x55").
QString TrafficCommand(const link::TransactionRecord& r);
// What the data means where the address map knows the address, else its hexadecimal: the data
// written for a write, the payload read for a read. Empty when there is none.
QString TrafficMeaning(const link::TransactionRecord& r);
// The transaction failed, or the transmitter answered another command or with a response code
// other than 0.
bool IsTrafficFailure(const link::TransactionRecord& r);
// Bytes as "FF 82 3A".
QString HexText(std::span<const link::Byte> bytes);

// One line: "0.051 s  ReadEEPROM 1568 (8 B) → rozsah 0 … 100  [kód 0, stav 0x00, 1 pokus, 68 ms]".
QString TrafficLine(const link::TransactionRecord& r);

// One JSON object: `t` (milliseconds of the program's monotonic clock when the transaction
// began), `cmd`, `address` and `count` (null for a command without them), `request` and `reply`
// (hexadecimal), `code` and `status` (null without a valid reply), `attempts`, `ms` (duration in
// milliseconds), `error` (null or the failure text) and `meaning` (null or TrafficMeaning).
QJsonObject TrafficJson(const link::TransactionRecord& r);
// The same compact on one line, line feed included.
QByteArray TrafficJsonLine(const link::TransactionRecord& r);

// What the page "Provoz" shows: every condition set must hold.
struct TrafficFilter {
    QString command;                       // empty: any
    std::optional<std::uint32_t> address;  // the request's bytes cover it
    bool failuresOnly = false;

    bool matches(const link::TransactionRecord& r) const;
};

// The last transactions, oldest first, at most `capacity`. Each keeps a number that counts all
// transactions ever added, so that a view can tell which ones left.
class TrafficLog {
public:
    static constexpr std::size_t kCapacity = 10000;

    explicit TrafficLog(std::size_t capacity = kCapacity) : capacity_(capacity) {}

    void add(link::TransactionRecord record);
    void clear();

    std::size_t size() const { return records_.size(); }
    std::uint64_t firstId() const { return first_; }
    std::uint64_t endId() const { return first_ + records_.size(); }
    // firstId() <= id < endId().
    const link::TransactionRecord& at(std::uint64_t id) const {
        return records_[static_cast<std::size_t>(id - first_)];
    }

    // Every kept transaction as TrafficJsonLine, oldest first.
    QByteArray jsonLines() const;
    // Writes jsonLines() through a temporary file that replaces `path` only once complete.
    // nullopt when written, else the message naming the file and the cause.
    std::optional<QString> save(const QString& path) const;

    // After each add and clear.
    std::function<void()> changed;

private:
    std::size_t capacity_;
    std::deque<link::TransactionRecord> records_;
    std::uint64_t first_ = 0;
};

// The click on "Uložit záznam": asks for the file and writes the whole record; a message only
// when writing failed.
Outcome saveTrafficLog(const TrafficLog& log, Prompts& prompts);

}  // namespace veld::config
