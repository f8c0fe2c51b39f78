#pragma once

// What one transaction was: its request, the reply, how it ended and how long it took. The link
// hands one to its observer at the end of every transaction (the traffic inspector, --trace).

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/clock.h"
#include "link/frame.h"
#include "link/link.h"

namespace veld::link {

struct TransactionRecord {
    Micros started{0};  // the link's clock when the transaction began
    Micros duration{0};
    Byte command = 0;
    std::optional<std::uint32_t> address;  // none for a command without one
    std::optional<int> count;              // bytes asked for or carried
    std::vector<Byte> data;                // what a write carries
    std::vector<Byte> request;             // the bytes on the line: pad and CRC included
    // The reply frame as received, checksum included; after a failure what the last attempt got.
    std::vector<Byte> reply;
    // Of a reply that passed its checksum only.
    std::optional<Byte> code;  // response code
    std::optional<Byte> status;
    std::optional<Byte> replyCommand;
    std::vector<Byte> payload;  // after response code and status
    int attempts = 0;
    TransactionResult result = TransactionResult::Success;
    QString error;  // the failure text; empty after success

    bool failed() const { return result != TransactionResult::Success; }
};

// The text a record carries for a reply with a wrong checksum, which the engine does not show.
inline const QString kMsgBadChecksum = QStringLiteral("chybný kontrolní součet odpovědi");

}  // namespace veld::link
