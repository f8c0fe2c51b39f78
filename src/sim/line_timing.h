#pragma once

// Timing of the serial line between the program and the transmitter.

#include <cstddef>

#include "link/clock.h"

namespace veld::sim {

// 14400 bit/s; a character is start bit, 8 data bits, odd parity and stop bit: 11 bits, so
// 11 / 14400 s = 0.764 ms a character.
inline constexpr long long kLineBitRate = 14400;
inline constexpr long long kBitsPerCharacter = 11;

// Time the line needs for the given number of characters, rounded up to whole microseconds so
// that a paced reply never comes earlier than a real line would carry it.
constexpr link::Micros TransmissionTime(std::size_t characters) {
    const long long bits = static_cast<long long>(characters) * kBitsPerCharacter;
    return link::Micros{(bits * 1'000'000 + kLineBitRate - 1) / kLineBitRate};
}

}  // namespace veld::sim
