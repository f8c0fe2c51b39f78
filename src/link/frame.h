#pragma once

// Frames of the transmitter protocol: the command table, the layout of a request, and its
// counterpart, the reply frame as the transmitter sends it. Pure codec: no I/O, standard library
// only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace veld::link {

using Byte = std::uint8_t;

// Size of the request, reply and payload buffers.
inline constexpr std::size_t kBufferSize = 51;

// The long address of every request and of every long-address reply. Fixed by the program, never
// read from the transmitter.
inline constexpr std::array<Byte, 5> DeviceAddress{0x3A, 0xBD, 0xEF, 0xB1, 0x34};

inline constexpr Byte kRequestDelimiter = 0x82;  // master to slave, long address
inline constexpr std::size_t kPreambleLength = 3;

// How the address argument and TxData are laid into a request's data bytes.
enum class DataLayout {
    None,          // no data bytes
    TxData4,       // TxData[1..4], byte count 4
    A8Count,       // a8, count
    A8CountData,   // a8, count, TxData[1..count]; byte count count + 2
    A16Count,      // a16 (high byte first), count
    A16CountData,  // a16, count, TxData[1..count]; byte count count + 3
    A8,            // a8 only
    A24Count,      // a24 (bits 23..16 first), count
    A24CountData,  // a24, count, TxData[1..count]; byte count count + 4
};

struct CommandInfo {
    std::string_view name;
    Byte code;
    DataLayout layout;
};

// Every command of the protocol, including those this program never sends; chosen by name.
inline constexpr std::array<CommandInfo, 18> kCommands{{
    {"ReadUniqIdent", 0x00, DataLayout::None},
    {"ReadPV", 0x01, DataLayout::None},
    {"WriteCasKonst", 0x22, DataLayout::TxData4},
    {"NastFS", 0x24, DataLayout::None},
    {"NastOfs", 0x25, DataLayout::None},
    {"ReadRAM", 0x6F, DataLayout::A8Count},
    {"WriteRAM", 0x70, DataLayout::A8CountData},
    {"ReadEEPROM", 0x71, DataLayout::A16Count},
    {"WriteEEPROM", 0x72, DataLayout::A16CountData},
    {"Stop", 0x73, DataLayout::None},
    {"Continue", 0x74, DataLayout::None},
    {"WriteDA", 0x75, DataLayout::A16Count},
    {"Reset", 0x76, DataLayout::None},
    {"ReadRTCC", 0x78, DataLayout::A8Count},
    {"WriteRTCC", 0x79, DataLayout::A8CountData},
    {"STOPFAZ", 0x7B, DataLayout::A8},
    {"ReadEEPROM2", 0x7C, DataLayout::A24Count},
    {"WriteEEPROM2", 0x7D, DataLayout::A24CountData},
}};

std::optional<CommandInfo> FindCommand(std::string_view name);
std::optional<CommandInfo> FindCommand(Byte code);

// The request being built and the payload it copies from.
struct RequestBuffer {
    std::array<Byte, kBufferSize> TxFrame{};
    std::uint8_t TxLength = 0;  // preamble through checksum
    // Payload of write commands; element 1 is the first byte sent, element 0 is never sent.
    std::array<Byte, kBufferSize> TxData{};

    // Lays the named command into TxFrame. An unknown name yields preamble, delimiter, address
    // and checksum only. A count that would not fit the buffer together with the pad and CRC
    // is cut to what fits, so the frame can never run past TxFrame.
    void BuildRequest(std::string_view command, std::uint32_t address, std::uint8_t count);

    // The bytes that go on the line: TxFrame[0..TxLength], i.e. the request and the 0x00 pad
    // that follows it, then the CRC low byte and high byte.
    std::vector<Byte> WireBytes() const;
};

// The fields of a request as BuildRequest laid them out, read back from its bytes (the engine's
// transaction record names them). Each is empty where the command's layout has none.
struct RequestFields {
    Byte command = 0;
    std::optional<std::uint32_t> address;
    std::optional<std::uint8_t> count;  // bytes asked for or carried
    std::vector<Byte> data;             // the bytes a write carries
};
// nullopt when the bytes hold no long-address request of a command in the table.
std::optional<RequestFields> ReadRequest(std::span<const Byte> request);

inline constexpr Byte kReplyDelimiter = 0x86;  // slave to master, long address
inline constexpr std::size_t kDefaultReplyPreamble = 2;
// The reply's byte count is one byte and holds response code and device status besides the
// payload.
inline constexpr std::size_t kMaxReplyPayload = 253;

// A long-address reply frame: preamble of 0xFF, delimiter, DeviceAddress, command, byte count,
// response code, device status, payload, then the XOR checksum from the delimiter on. No pad and
// no CRC: the transmitter sends none. A payload beyond kMaxReplyPayload is cut to it.
std::vector<Byte> BuildReplyFrame(Byte command, Byte responseCode, Byte deviceStatus,
                                  std::span<const Byte> payload,
                                  std::size_t preamble = kDefaultReplyPreamble);

// CRC-16 with the MODBUS parameters: reflected polynomial 0xA001 (0x8005 unreflected), initial
// value 0xFFFF, no final XOR. Check value over "123456789" is 0x4B37.
std::uint16_t Crc16(std::span<const Byte> bytes);

// XOR of the given bytes: the checksum of requests and replies.
Byte XorChecksum(std::span<const Byte> bytes);

}  // namespace veld::link
