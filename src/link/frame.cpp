#include "link/frame.h"

#include <algorithm>

namespace veld::link {

std::optional<CommandInfo> FindCommand(std::string_view name) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [name](const CommandInfo& c) { return c.name == name; });
    if (it == kCommands.end())
        return std::nullopt;
    return *it;
}

std::optional<CommandInfo> FindCommand(Byte code) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [code](const CommandInfo& c) { return c.code == code; });
    if (it == kCommands.end())
        return std::nullopt;
    return *it;
}

namespace {

// Fixed data bytes before TxData (address bytes and count) for each layout.
std::size_t HeaderBytes(DataLayout layout) {
    switch (layout) {
        case DataLayout::None:
        case DataLayout::TxData4:
            return 0;
        case DataLayout::A8:
            return 1;
        case DataLayout::A8Count:
        case DataLayout::A8CountData:
            return 2;
        case DataLayout::A16Count:
        case DataLayout::A16CountData:
            return 3;
        case DataLayout::A24Count:
        case DataLayout::A24CountData:
            return 4;
    }
    return 0;
}

bool CarriesData(DataLayout layout) {
    return layout == DataLayout::A8CountData || layout == DataLayout::A16CountData ||
           layout == DataLayout::A24CountData;
}

}  // namespace

void RequestBuffer::BuildRequest(std::string_view command, std::uint32_t address,
                                 std::uint8_t count) {
    TxFrame.fill(0x00);
    std::size_t pos = 0;
    auto put = [&](Byte b) { TxFrame[pos++] = b; };
    for (std::size_t i = 0; i < kPreambleLength; ++i)
        put(0xFF);
    put(kRequestDelimiter);
    for (Byte b : DeviceAddress)
        put(b);

    if (const auto info = FindCommand(command)) {
        const DataLayout layout = info->layout;
        // Preamble 3, delimiter 1, address 5, command 1, byte count 1, checksum 1, pad 1, CRC 2.
        constexpr std::size_t kFraming = 15;
        const std::size_t room = kBufferSize - kFraming - HeaderBytes(layout);
        const std::uint8_t n = CarriesData(layout)
                                   ? static_cast<std::uint8_t>(std::min<std::size_t>(count, room))
                                   : count;
        const Byte a8 = static_cast<Byte>(address & 0xFF);
        const Byte a16hi = static_cast<Byte>((address >> 8) & 0xFF);
        const Byte a24hi = static_cast<Byte>((address >> 16) & 0xFF);
        const Byte dataCount =
            static_cast<Byte>(layout == DataLayout::TxData4 ? 4
                              : CarriesData(layout)         ? (n + HeaderBytes(layout)) & 0xFF
                                                            : HeaderBytes(layout));
        put(info->code);
        put(dataCount);
        switch (layout) {
            case DataLayout::None:
                break;
            case DataLayout::TxData4:
                for (std::size_t i = 1; i <= 4; ++i)
                    put(TxData[i]);
                break;
            case DataLayout::A8:
                put(a8);
                break;
            case DataLayout::A8Count:
            case DataLayout::A8CountData:
                put(a8);
                put(n);
                break;
            case DataLayout::A16Count:
            case DataLayout::A16CountData:
                put(a16hi);
                put(a8);
                put(n);
                break;
            case DataLayout::A24Count:
            case DataLayout::A24CountData:
                put(a24hi);
                put(a16hi);
                put(a8);
                put(n);
                break;
        }
        if (CarriesData(layout)) {
            for (std::size_t i = 1; i <= n; ++i)
                put(TxData[i]);
        }
    }
    const Byte checksum =
        XorChecksum(std::span<const Byte>(TxFrame).subspan(kPreambleLength, pos - kPreambleLength));
    put(checksum);
    TxLength = static_cast<std::uint8_t>(pos);
}

std::vector<Byte> RequestBuffer::WireBytes() const {
    // The byte after the checksum is always 0x00 because BuildRequest clears the buffer first.
    std::vector<Byte> wire(TxFrame.begin(), TxFrame.begin() + TxLength + 1);
    const std::uint16_t crc = Crc16(wire);
    wire.push_back(static_cast<Byte>(crc & 0xFF));
    wire.push_back(static_cast<Byte>(crc >> 8));
    return wire;
}

std::optional<RequestFields> ReadRequest(std::span<const Byte> request) {
    // Preamble, delimiter, address, command, byte count.
    constexpr std::size_t kHead = kPreambleLength + 1 + DeviceAddress.size();
    if (request.size() < kHead + 2 || request[kPreambleLength] != kRequestDelimiter)
        return std::nullopt;
    const auto info = FindCommand(request[kHead]);
    const std::size_t byteCount = request[kHead + 1];
    if (!info || request.size() < kHead + 2 + byteCount)
        return std::nullopt;
    const auto d = request.subspan(kHead + 2, byteCount);
    const std::size_t header = HeaderBytes(info->layout);
    if (d.size() < header)
        return std::nullopt;
    RequestFields fields;
    fields.command = info->code;
    // The address comes first, high byte first; a count follows it except in A8.
    const std::size_t addressBytes =
        info->layout == DataLayout::A8 ? 1 : (header > 0 ? header - 1 : 0);
    std::uint32_t address = 0;
    for (std::size_t i = 0; i < addressBytes; ++i)
        address = (address << 8) | d[i];
    switch (info->layout) {
        case DataLayout::None:
            break;
        case DataLayout::TxData4:
            fields.count = static_cast<std::uint8_t>(d.size());
            fields.data.assign(d.begin(), d.end());
            break;
        case DataLayout::A8:
            fields.address = address;
            break;
        default:
            fields.address = address;
            fields.count = d[header - 1];
            if (CarriesData(info->layout))
                fields.data.assign(d.begin() + static_cast<std::ptrdiff_t>(header), d.end());
            break;
    }
    return fields;
}

std::vector<Byte> BuildReplyFrame(Byte command, Byte responseCode, Byte deviceStatus,
                                  std::span<const Byte> payload, std::size_t preamble) {
    payload = payload.first(std::min(payload.size(), kMaxReplyPayload));
    // Delimiter 1, address 5, command 1, byte count 1, codes 2, checksum 1.
    constexpr std::size_t kFraming = 11;
    std::vector<Byte> frame;
    frame.reserve(preamble + kFraming + payload.size());
    frame.assign(preamble, Byte{0xFF});
    frame.push_back(kReplyDelimiter);
    frame.insert(frame.end(), DeviceAddress.begin(), DeviceAddress.end());
    frame.push_back(command);
    frame.push_back(static_cast<Byte>(2 + payload.size()));
    frame.push_back(responseCode);
    frame.push_back(deviceStatus);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(XorChecksum(std::span<const Byte>(frame).subspan(preamble)));
    return frame;
}

std::uint16_t Crc16(std::span<const Byte> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (Byte b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                             : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

Byte XorChecksum(std::span<const Byte> bytes) {
    Byte x = 0;
    for (Byte b : bytes)
        x ^= b;
    return x;
}

}  // namespace veld::link
