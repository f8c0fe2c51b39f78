#pragma once

// One complete, verified request as the simulated transmitter receives it.

#include <cstddef>
#include <vector>

#include "link/clock.h"
#include "link/frame.h"

namespace veld::sim {

using link::Byte;

struct Request {
    Byte command = 0;
    std::vector<Byte> data;  // the data field, byte count bytes
    // Bytes the request took on the line (preamble through CRC) and when its first byte arrived:
    // together they give the earliest moment a real transmitter could answer.
    std::size_t wireLength = 0;
    link::Micros firstByteAt{0};
};

}  // namespace veld::sim
