#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "model/checked.h"
#include "model/write_plan.h"

// The fixed presets of the transmitter's measuring front end, one per hardware code `HwCode`.
namespace veld::model {

struct HwPreset {
    std::array<std::uint16_t, 12> HwWords{};  // converter configuration words, high byte first
    std::array<std::uint8_t, 4> HwBytesA{};
    float HwGain = 0;    // 1.0 in every preset
    float HwOffset = 0;  // 0.0 in every preset
    std::array<std::uint8_t, 4> HwBytesB{};
    std::array<std::uint8_t, 12> HwBytesC{};
    std::array<std::uint8_t, 4> HwBytesD{};  // the last is the default of `DisplayDecimals`
    float InputLimitHi = 0;
    float InputLimitLo = 0;

    bool operator==(const HwPreset&) const = default;
};

struct HwPresetRow {
    std::uint8_t code;
    HwPreset preset;
};

// The whole table in code order.
std::span<const HwPresetRow> HwPresetTable();

// The preset of `code`. A code without a row (0, 9..16, 21..24, 41..48, above 53) is refused
// with a message to show: the write must then stop before anything is written, rather than
// send whatever was selected before.
Checked<HwPreset> HwPresetSelect(std::uint8_t code);

inline constexpr std::chrono::milliseconds kHwPresetPause{100};

// The eight writes of the preset: words 0..5 at 0, words 6..11 at 12 (then the 100 ms pause),
// bytes A at 24, gain and offset at 28, bytes B at 96, C at 100, D at 112, the limits at 448.
WritePlan HwPresetWrite(const HwPreset& preset);

}  // namespace veld::model
