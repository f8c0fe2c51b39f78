#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "model/eeprom_map.h"

// What an upload sends: "WriteEEPROM" requests in order, each element one request. The caller
// sends them through device access and stops at the first that fails.
namespace veld::model {

struct EepromWrite {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;  // at most 20: each element is one request
    // Wait this long after the request succeeded, before the next one.
    std::chrono::milliseconds pauseAfter{0};

    bool operator==(const EepromWrite&) const = default;
};

using WritePlan = std::vector<EepromWrite>;

// The reals narrowed to single precision and laid out as DevFloats, in order.
std::vector<std::uint8_t> RealBytes(std::span<const float> values);
std::vector<std::uint8_t> RealBytes(std::initializer_list<float> values);

}  // namespace veld::model
