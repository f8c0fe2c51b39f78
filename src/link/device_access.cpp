#include "link/device_access.h"

#include <algorithm>

#include "link/dev_float.h"
#include "link/link.h"

namespace veld::link {

namespace {

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

AccessFailure Failure(AccessFailure::Kind kind, const CommandInfo& command) {
    AccessFailure f;
    f.kind = kind;
    f.command = command.code;
    f.commandName = Latin1(command.name);
    return f;
}

AccessFailure BadRequest(const CommandInfo& command, std::size_t asked) {
    AccessFailure f = Failure(AccessFailure::Kind::BadRequest, command);
    f.expected = static_cast<int>(std::min<std::size_t>(asked, 1 << 20));
    return f;
}

// The commands device access sends by name; each is in the table.
CommandInfo Command(std::string_view name) {
    return FindCommand(name).value_or(CommandInfo{name, 0, DataLayout::None});
}

// 16-bit addresses: a request must not run past 65535 (the address field would wrap to 0).
bool FitsAddressSpace(std::uint16_t address, std::size_t count) {
    return std::size_t{address} + count <= 0x10000;
}

}  // namespace

QString CommandName(Byte code) {
    if (const auto info = FindCommand(code))
        return Latin1(info->name);
    return QStringLiteral("0x") + QString::number(code, 16).toUpper().rightJustified(2, u'0');
}

QString AccessFailure::describe() const {
    switch (kind) {
        case Kind::Transaction:
            if (message.trimmed().isEmpty())
                return QStringLiteral("Přenos příkazu %1 se nezdařil.").arg(commandName);
            return QStringLiteral("Přenos příkazu %1 se nezdařil (%2).")
                .arg(commandName, message.trimmed());
        case Kind::BadChecksum:
            return QStringLiteral("Odpověď převodníku na příkaz %1 měla chybný kontrolní součet.")
                .arg(commandName);
        case Kind::Busy:
            return QStringLiteral("Příkaz %1 nebyl odeslán: jiný přenos ještě čeká na odpověď.")
                .arg(commandName);
        case Kind::BadRequest:
            return QStringLiteral("Příkaz %1 na %2 bajtů nelze odeslat jedním požadavkem.")
                .arg(commandName)
                .arg(expected);
        case Kind::WrongCommand:
            return QStringLiteral("Převodník odpověděl na jiný příkaz (%1), než byl odeslán (%2).")
                .arg(CommandName(replyCommand), commandName);
        case Kind::ShortReply:
            if (responseCode != 0) {
                return QStringLiteral(
                           "Převodník odpověděl na příkaz %1 kódem %2 a neposlal požadovaná data.")
                    .arg(commandName)
                    .arg(int{responseCode});
            }
            return QStringLiteral("Převodník poslal na příkaz %1 jen %2 z %3 požadovaných bajtů.")
                .arg(commandName)
                .arg(received)
                .arg(expected);
        case Kind::ResponseCode:
            return QStringLiteral("Převodník odpověděl na příkaz %1 kódem %2.")
                .arg(commandName)
                .arg(int{responseCode});
    }
    return {};
}

Byte DeviceAccess::responseCode() const {
    // A reply too short to hold the response code has none.
    const auto data = link_.replyData();
    return data.empty() ? Byte{0} : data[0];
}

std::optional<AccessFailure> DeviceAccess::exchange(const CommandInfo& command,
                                                    std::uint32_t address, std::uint8_t count,
                                                    std::size_t payloadBytes,
                                                    std::span<const Byte> data) {
    // Checked before anything is built: the waiting transaction's buffers (and the request it
    // will show) are left alone.
    if (link_.busy())
        return Failure(AccessFailure::Kind::Busy, command);
    link_.BuildRequest(command.name, address, count, data);
    lastRequest_.assign(link_.request().begin(), link_.request().end());

    if (link_.SendAndWait()) {
        if (link_.lastResult() == TransactionResult::BadChecksum)
            return Failure(AccessFailure::Kind::BadChecksum, command);
        AccessFailure f = Failure(AccessFailure::Kind::Transaction, command);
        f.message = link_.lastMessage();
        return f;
    }
    const std::size_t replyBytes = link_.replyData().size();
    if (link_.replyCommand() != command.code) {
        AccessFailure f = Failure(AccessFailure::Kind::WrongCommand, command);
        f.replyCommand = link_.replyCommand();
        f.responseCode = responseCode();
        return f;
    }
    if (replyBytes < 2 + payloadBytes) {
        AccessFailure f = Failure(AccessFailure::Kind::ShortReply, command);
        f.responseCode = responseCode();
        f.expected = static_cast<int>(payloadBytes);
        f.received = std::max(0, static_cast<int>(replyBytes) - 2);
        return f;
    }
    return std::nullopt;
}

Result<std::vector<Byte>> DeviceAccess::readBytes(std::uint16_t address, std::uint8_t count) {
    const CommandInfo read = Command("ReadEEPROM");
    if (count == 0 || count > kMaxReadCount || !FitsAddressSpace(address, count)) {
        return BadRequest(read, count);
    }
    if (auto failure = exchange(read, address, count, count))
        return *std::move(failure);
    const auto first = link_.replyData().begin() + 2;
    return {std::vector<Byte>(first, first + count), read.code, responseCode()};
}

Result<std::vector<float>> DeviceAccess::readReals(std::uint16_t address, int count) {
    const CommandInfo read = Command("ReadEEPROM");
    if (count < 1 || count > kMaxReadReals) {
        return BadRequest(read, static_cast<std::size_t>(std::max(count, 0)) * 4);
    }
    const auto bytes = readBytes(address, static_cast<std::uint8_t>(count * 4));
    if (!bytes)
        return bytes.failure();
    std::vector<float> values;
    values.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        const auto at = bytes->begin() + static_cast<std::ptrdiff_t>(4 * i);
        values.push_back(DecodeDevFloat({at[0], at[1], at[2], at[3]}));
    }
    return {std::move(values), read.code, bytes.responseCode()};
}

Result<float> DeviceAccess::readReal(std::uint16_t address) {
    const auto values = readReals(address, 1);
    if (!values)
        return values.failure();
    return {values->front(), Command("ReadEEPROM").code, values.responseCode()};
}

Status DeviceAccess::writeBytes(std::uint16_t address, std::span<const Byte> bytes,
                                std::size_t chunk) {
    const CommandInfo write = Command("WriteEEPROM");
    if (bytes.empty() || chunk == 0 || chunk > kMaxWriteCount ||
        !FitsAddressSpace(address, bytes.size())) {
        return BadRequest(write, bytes.empty() ? 0 : std::min(chunk, bytes.size()));
    }
    Byte firstCode = 0;
    for (std::size_t done = 0; done < bytes.size();) {
        const std::size_t n = std::min(chunk, bytes.size() - done);
        if (auto failure = exchange(write, static_cast<std::uint32_t>(address + done),
                                    static_cast<std::uint8_t>(n), 0, bytes.subspan(done, n))) {
            return *std::move(failure);
        }
        if (firstCode == 0)
            firstCode = responseCode();
        done += n;
    }
    return {Done{}, write.code, firstCode};
}

Status DeviceAccess::writeReals(std::uint16_t address, std::span<const float> values) {
    std::vector<Byte> bytes;
    bytes.reserve(values.size() * 4);
    for (float v : values) {
        const FloatBytes b = EncodeDevFloat(v);
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    return writeBytes(address, bytes, kWriteChunk);
}

Status DeviceAccess::writeReal(std::uint16_t address, float value) {
    return writeReals(address, std::span<const float>(&value, 1));
}

Result<CommandReply> DeviceAccess::command(std::string_view name, std::size_t payloadBytes) {
    const auto info = FindCommand(name);
    if (!info || info->layout != DataLayout::None || payloadBytes > kMaxReadCount) {
        AccessFailure f;
        f.kind = AccessFailure::Kind::BadRequest;
        f.commandName = Latin1(name);
        f.command = info ? info->code : Byte{0};
        f.expected = static_cast<int>(std::min<std::size_t>(payloadBytes, 1 << 20));
        return f;
    }
    if (auto failure = exchange(*info, 0, 0, payloadBytes))
        return *std::move(failure);
    const auto data = link_.replyData().subspan(2);
    return {CommandReply{std::vector<Byte>(data.begin(), data.end())}, info->code, responseCode()};
}

Result<ProcessValue> DeviceAccess::readPv() {
    const CommandInfo read = Command("ReadPV");
    // Unit code and the four bytes of the value.
    constexpr std::size_t kPayload = 5;
    if (auto failure = exchange(read, 0, 0, kPayload))
        return *std::move(failure);
    const auto data = link_.replyData();
    ProcessValue pv;
    pv.value = DecodePvFloat({data[3], data[4], data[5], data[6]});
    pv.replyFrame = link_.replyFrame();
    return {std::move(pv), read.code, responseCode()};
}

}  // namespace veld::link
