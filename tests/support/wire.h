#pragma once

// Requests as the program builds them, and replies decoded as the program decodes them.

#include <span>
#include <string_view>
#include <vector>

#include "link/frame.h"
#include "link/reply_decoder.h"
#include "sim/request.h"
#include "sim/request_assembler.h"

namespace veld::testing {

using link::Byte;

// The bytes the program puts on the line for the named command (pad and CRC included).
inline std::vector<Byte> RequestWire(std::string_view command, std::uint32_t address = 0,
                                     std::uint8_t count = 0, std::span<const Byte> data = {}) {
    link::RequestBuffer buffer;
    for (std::size_t i = 0; i < data.size() && i + 1 < buffer.TxData.size(); ++i)
        buffer.TxData[i + 1] = data[i];
    buffer.BuildRequest(command, address, count);
    return buffer.WireBytes();
}

inline sim::Request MakeRequest(std::string_view command, std::uint32_t address = 0,
                                std::uint8_t count = 0, std::span<const Byte> data = {}) {
    sim::RequestAssembler assembler;
    auto requests = assembler.Feed(RequestWire(command, address, count, data), link::Micros{0});
    return requests.at(0);
}

struct Decoded {
    link::ReplyState state;
    Byte command = 0;
    bool Valid() const { return state.ReplyComplete && !state.ReplyError; }
    Byte ResponseCode() const { return state.RxData[0]; }
    // Payload byte i (RxData[2 + i]).
    Byte Payload(std::size_t i) const { return state.RxData[2 + i]; }
};

inline Decoded Decode(std::span<const Byte> reply) {
    Decoded d;
    link::ReplyDecoder decoder(d.state);
    for (Byte b : reply)
        decoder.ParseReplyByte(b);
    d.command = decoder.replyCommand();
    return d;
}

}  // namespace veld::testing
