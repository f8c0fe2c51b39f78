#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lin/segment_image.h"
#include "model/checked.h"
#include "model/eeprom_map.h"
#include "model/write_plan.h"

namespace veld::lin {
class LinMath;
}

// What the computed mathematics and the output scaling put into the transmitter, as pure
// encoders: each returns the exact requests, in order, and sends nothing.
namespace veld::model {

// ---- Output scaling ----

struct OutputScaling {
    float Out4mA = 0;   // converter setting for 4 mA
    float OutGain = 0;  // change of setting per unit of the process value over 16 mA
};

// The factory constants of the analog output and the scaling computed from them.
struct OutputCalibration {
    float OutCodeLo = 0;
    float OutCodeHi = 0;
    float OutCurrentLo = 0;  // I1 in mA, after a replacement
    float OutCurrentHi = 0;  // I2 in mA, after a replacement
    // Shown one after the other; the computation goes on with the replaced constant.
    std::vector<std::string_view> warnings;
    // Refused when the range ends or the two currents are equal, or the result is no number:
    // then nothing may be written.
    Checked<OutputScaling> scaling = Checked<OutputScaling>::Refused({});
};

struct ReadOutputCalibration {
    // What to read first ("ReadEEPROM" of 16 bytes at 36).
    static constexpr eeprom::Item kRead = eeprom::kOutputConstants;
    // Decodes the 16 bytes read and computes `Out4mA` and `OutGain` for the span lo..hi. An I1
    // outside 4..6 mA is replaced by 4.0, an I2 outside 18..22 mA by 20.0, each with its
    // message.
    static OutputCalibration Decode(std::span<const std::uint8_t> constants, float lo, float hi);
};

inline constexpr std::string_view kBadI1 = "špatně přečtená konstanta I1 z převodníku";
inline constexpr std::string_view kBadI2 = "špatně přečtená konstanta I2 z převodníku";

// `Out4mA`, `OutGain`, lo, hi at 52: one request of 16 bytes.
WritePlan WriteOutputScaling(const OutputScaling& scaling, float lo, float hi);

// ---- Linearization ----

// The degree at 127, then one request per coefficient at 128, 132, ... (a_n first). Refused for
// no coefficients or more than fit before the cold-junction table (degree 9).
Checked<WritePlan> WritePolynomial(std::span<const float> highestFirst);

// The spline's segments as the mathematics holds them: `count` segments, count + 1
// breakpoints, and the four coefficients of each segment.
struct SplineSegments {
    int count = 0;
    std::span<const long double> breakpoints;
    std::span<const long double> c3, c2, c1, c0;
};
SplineSegments SplineSegmentsOf(const lin::LinMath& math);

inline constexpr std::string_view kBadSegmentCount =
    "Nepřípustný počet intervalů pro linearizační funkci.";

// Fills `image` from the spline: the x of groups 0..count, the coefficients of groups
// 0..count-1, narrowed to singles. With a count outside 1..20 (or fewer values than it
// names) the image is left unchanged and the message is returned; the caller shows it and
// writes the image as it is.
[[nodiscard]] std::optional<std::string_view> PrepareSegmentImage(const SplineSegments& spline,
                                                                  lin::SegmentImage& image);

// Groups 0..19 as 20 requests of 20 bytes at 608 + 20k (x, c3, c2, c1, c0), then the end
// breakpoint (x of group 20) alone at 1008.
WritePlan WriteSegmentImage(const lin::SegmentImage& image);

enum class LinKind : std::uint8_t { None = 0, Polynomial = 1, SegmentTable = 2 };

// The byte at 606.
WritePlan WriteLinKind(LinKind kind);

// ---- Thermocouples ----

// The cold-junction sensor polynomial (degree 4 at 171, 20 bytes at 172) and, when the text
// names one of the nine thermocouples, its polynomial near the cold junction (the degree at 207,
// 12 bytes for B or 20 for the others at 208). The constants are sent as the bit patterns the
// transmitter was made with.
WritePlan WriteThermocoupleTables(std::string_view inputTypeText);

// The single-precision bit patterns, highest power first.
struct ThermocouplePolynomial {
    std::string_view inputType;  // "" for the cold-junction sensor
    std::span<const std::uint32_t> bits;
};
std::span<const ThermocouplePolynomial> ThermocoupleTables();

// ---- Output flags ----

// The byte at 113: 8 "nadproud", 0 "podproud", 64 "vyřazen" (fault-current codes 1, 2, 3),
// plus 4 for a reversed range. Refused for any other code.
Checked<WritePlan> WriteOutputFlags(std::uint8_t faultCurrent, bool rangeReversed);

}  // namespace veld::model
