#pragma once

#include <cstdint>

// The transmitter's EEPROM: where every item the program or the simulated transmitter touches
// lies, and how many bytes it takes. Addresses are decimal as in the documentation of the map;
// reals are 4-byte DevFloats, multi-byte integers big-endian.
namespace veld::model::eeprom {

struct Item {
    std::uint16_t address;
    std::uint16_t length;

    constexpr std::uint16_t end() const { return static_cast<std::uint16_t>(address + length); }
    // The item `offset` bytes in, `length` bytes long (a real inside a block of reals).
    constexpr Item at(std::uint16_t offset, std::uint16_t bytes) const {
        return {static_cast<std::uint16_t>(address + offset), bytes};
    }
};

inline constexpr std::uint16_t kRealLength = 4;

// ---- Hardware preset block (`HwPreset`); written as a whole, never read ----
inline constexpr Item kHwWords{0, 24};         // `HwWords` 0..11, each high byte first
inline constexpr Item kHwWordsFirst{0, 12};    // words 0..5, one write
inline constexpr Item kHwWordsSecond{12, 12};  // words 6..11, one write
inline constexpr Item kHwBytesA{24, 4};
// The input gain slot: `HwGain` of the preset, then `DividerRatio` or the ratio of a current or
// resistor-pair input; the whole read takes it as `DividerRatio`.
inline constexpr Item kHwGain{28, 4};
inline constexpr Item kDividerRatio = kHwGain;
inline constexpr Item kHwGainAndOffset{28, 8};  // `HwGain`, `HwOffset`: one write of the preset
// `HwOffset` of the preset; the whole write then puts `PvCorrection` there.
inline constexpr Item kPvCorrection{32, 4};
inline constexpr Item kHwBytesB{96, 4};
inline constexpr Item kHwBytesC{100, 12};
inline constexpr Item kHwBytesD{112, 4};
inline constexpr Item kOutputFlags{113, 1};      // inside `HwBytesD`, rewritten after the preset
inline constexpr Item kDisplayDecimals{115, 1};  // inside `HwBytesD`, unified-signal inputs
inline constexpr Item kInputLimits{448, 8};      // `InputLimitHi`, `InputLimitLo`

// ---- Analog output ----
// Factory constants, read only: `OutCodeLo`, `OutCodeHi`, `OutCurrentLo` (I1), `OutCurrentHi` (I2).
inline constexpr Item kOutputConstants{36, 16};
// `Out4mA`, `OutGain` and the range mapped onto the output, written together.
inline constexpr Item kOutputScaling{52, 16};
inline constexpr Item kOutputRange{60, 8};
inline constexpr Item kOutputRangeLo{60, 4};  // the 4 mA value; "NastOfs" moves it
inline constexpr Item kOutputRangeHi{64, 4};  // the 20 mA value; "NastFS" moves it

inline constexpr Item kDampingCoefficient{68, 4};
inline constexpr Item kPvCorrectionOwn{120, 4};  // the correction buttons' own place

// ---- Linearization and thermocouple uploads ----
inline constexpr Item kPolynomialDegree{127, 1};
// a_n first; room for ten coefficients before the cold-junction table at 171.
inline constexpr Item kPolynomialCoefficients{128, 40};
inline constexpr std::uint16_t kMaxPolynomialDegree = kPolynomialCoefficients.length / 4 - 1;
inline constexpr Item kColdJunctionDegree{171, 1};
inline constexpr Item kColdJunctionPolynomial{172, 20};
inline constexpr Item kThermocoupleDegree{207, 1};
inline constexpr Item kThermocouplePolynomial{208, 20};  // 12 bytes for B
inline constexpr Item kLinKind{606, 1};                  // 0 none, 1 polynomial, 2 segment table
inline constexpr Item kSegmentTable{608, 400};
inline constexpr std::uint16_t kSegmentGroupLength = 20;  // x, c3, c2, c1, c0
inline constexpr Item kSegmentEnd{1008, 4};               // x of group 20
// `EndLineInSlope`, `EndLineInOffset`, `EndLineOutSlope`, `EndLineOutOffset`; never written here.
inline constexpr Item kEndLines{1024, 16};

// ---- Identification ----
inline constexpr Item kSignature{257, 2};
inline constexpr std::uint8_t kSignatureByte0 = 0x0D;
inline constexpr std::uint8_t kSignatureByte1 = 0xE5;
inline constexpr Item kFirmware{262, 2};  // the first byte is the number

// ---- Configuration record ----
inline constexpr Item kPvRange{340, 13};  // `PvUnit`, `PvRangeLo`, `PvRangeHi`, `PvStep`
inline constexpr Item kPvUnitAgain{354, 1};
inline constexpr Item kOverdriveLimits{355, 8};  // upper, then lower
inline constexpr Item kDamping{363, 4};
inline constexpr Item kInputCodes{400, 4};  // `InputType`, `FaultCurrent`, `HwCode`, `Wiring`
inline constexpr Item kSenseResistance{404, 4};
inline constexpr Item kInputRecord{400, 8};  // the codes and `SenseResistance`, one write
inline constexpr Item kUnitCode{408, 1};
inline constexpr Item kCurveCodes{408, 4};  // `UnitCode`, `SensorCurve`, `DisplayCurve`, `LinMode`
inline constexpr Item kPvLimits{416, 8};    // `PvLimitLo`, `PvLimitHi`

// ---- User note: one byte a character, padded with blanks ----
inline constexpr Item kNote{512, 60};

// ---- Relay comparators k = 1..4 ----
inline constexpr Item kComparatorLimits{1040, 32};  // on, off of 1, on, off of 2, ...
inline constexpr Item kComparatorOnDelays{1072, 4};
inline constexpr Item kComparatorOffDelays{1076, 4};
// Bit 0 enabled, bit 1 window mode; the other bits are the transmitter's and are written back.
inline constexpr Item kComparatorModes{1080, 4};
constexpr Item ComparatorOnLimit(int k) {
    return kComparatorLimits.at(static_cast<std::uint16_t>(8 * (k - 1)), kRealLength);
}
constexpr Item ComparatorOffLimit(int k) {
    return kComparatorLimits.at(static_cast<std::uint16_t>(8 * (k - 1) + 4), kRealLength);
}
constexpr Item ComparatorOnDelay(int k) {
    return kComparatorOnDelays.at(static_cast<std::uint16_t>(k - 1), 1);
}
constexpr Item ComparatorOffDelay(int k) {
    return kComparatorOffDelays.at(static_cast<std::uint16_t>(k - 1), 1);
}
constexpr Item ComparatorMode(int k) {
    return kComparatorModes.at(static_cast<std::uint16_t>(k - 1), 1);
}
// `ModeFlags`: bit 7 switching output 1 present; bits 2 and 3 (mask 0x0C) set for an
// unlinearized unified-signal input.
inline constexpr Item kModeFlags{1120, 1};
inline constexpr std::uint8_t kModeFlagsOutput1 = 0x80;
inline constexpr std::uint8_t kModeFlagsUnifiedPlain = 0x0C;
// Bits 0..2: switching outputs 2..4 present.
inline constexpr Item kEquipment{1121, 1};

// ---- Range items ----
inline constexpr Item kUnifiedScale{1536, 8};          // 0.0, 1.0 (unified-signal inputs)
inline constexpr Item kUnifiedCoefficients{1544, 16};  // 0.0, 1.0, 0.2, 1.25 (unified-signal)
// `RangeBegin`, `RangeEnd`; for unified-signal inputs 16 bytes: `SignalLow`, `SignalHigh`,
// `SignalOffset`, `SignalSpan`.
inline constexpr Item kRangeItems{1568, 8};
inline constexpr Item kUnifiedRangeItems{1568, 16};
inline constexpr Item kRangeBegin{1568, 4};
inline constexpr Item kRangeEnd{1572, 4};
// `RangeBegin` and `RangeEnd` - `RangeBegin` (unified-signal inputs; overwritten by the 16 bytes
// at 1568 later in the same write).
inline constexpr Item kRangeSpanItems{1576, 8};

// What a backup reads and a restore writes back: every area the program writes, in address
// order. The factory constants at 36 and the signature at 257 are never written, so they are in
// none of them.
struct NamedArea {
    const char* name;
    Item item;
};
inline constexpr NamedArea kBackupAreas[] = {
    {"předvolba", {0, 36}},     // preset words, gain, correction
    {"výstup", {52, 20}},       // output scaling, filter coefficient
    {"předvolba 2", {96, 20}},  // preset bytes 96..115
    {"korekce", kPvCorrectionOwn},
    {"polynom", {127, 41}},  // degree and coefficients
    {"studený konec", {171, 21}},
    {"termočlánek", {207, 21}},
    {"konfigurace", {340, 27}},  // range, unit, overdrive, damping
    {"kódy", {400, 24}},         // input and curve codes, limits
    {"meze vstupu", kInputLimits},
    {"poznámka", kNote},
    {"druh linearizace", kLinKind},
    {"segmenty", {608, 404}},     // table and the end of group 20
    {"komparátory", {1040, 44}},  // limits, delays, modes
    {"příznaky", kModeFlags},
    {"rozsah", {1536, 48}},  // unified scale .. span items
};

// The map ends below this address.
inline constexpr std::uint16_t kMapEnd = kUnifiedRangeItems.end();

}  // namespace veld::model::eeprom
