#pragma once

// The two encodings of real numbers on the line.
//
// DevFloat, the transmitter's own 4-byte float, in memory and on the wire in this order:
//   byte 0: exponent E' (the IEEE single's biased exponent E plus 2 for 0 < E < 253)
//   byte 1: sign in bit 7, mantissa bits 22..16 in bits 6..0
//   byte 2, byte 3: mantissa bits 15..8 and 7..0
// so 1.0 is 81 00 00 00 and 100.0 is 87 48 00 00.
//
// PvFloat, the measured value of "ReadPV": an IEEE single, most significant byte first.

#include <array>
#include <cstdint>

namespace veld::link {

using FloatBytes = std::array<std::uint8_t, 4>;

FloatBytes EncodeDevFloat(float x);
float DecodeDevFloat(const FloatBytes& bytes);

// Values of magnitude 2^127 and beyond (infinities and NaN patterns included) become 2^127 with
// their sign; the result is then clamped to +-1e30.
float DecodePvFloat(const FloatBytes& bytes);

// Inverse of DecodePvFloat for finite values; used by the simulated transmitter.
FloatBytes EncodePvFloat(float x);

}  // namespace veld::link
