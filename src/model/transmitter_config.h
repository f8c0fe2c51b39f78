#pragma once

#include <cstdint>

namespace veld::model {

// The configuration being edited, mirroring the transmitter's memory. One object, owned by the
// configuration side and passed by reference. Reals are held wide and narrowed to 4-byte floats
// only when encoded; the few values the transmitter computes with as singles are `float` here.
struct TransmitterConfig {
    std::uint8_t InputType = 0;       // 1..24; while editing it lives in `Vstup`
    std::uint8_t FaultCurrent = 0;    // 1 "nadproud", 2 "podproud", 3 "vyřazen"
    std::uint8_t HwCode = 0;          // hardware preset selector
    std::uint8_t Wiring = 0;          // 2..4 wires
    long double SenseResistance = 0;  // Ohm, current inputs only
    std::uint8_t UnitCode = 0;        // HART unit code of the primary variable
    std::uint8_t SensorCurve = 0;     // curve code of the sensor (16 identity)
    std::uint8_t DisplayCurve = 0;    // SensorCurve, 14 (from file) or 15 (square root)
    std::uint8_t LinMode = 0;         // 0 none, 1/2 built-in, 3 square root, 4 from file
    std::uint8_t PvUnit = 0;          // internal unit of the primary variable
    float PvRangeLo = 0;
    float PvRangeHi = 0;
    float PvStep = 0;
    float RangeBeginInt = 0;
    float RangeEndInt = 0;
    long double OverdriveHi = 0;  // RangeEndInt + span/5
    long double OverdriveLo = 0;  // RangeBeginInt - span/5
    long double Damping = 0;      // seconds
    float PvLimitLo = 0;
    float PvLimitHi = 0;
    long double PvCorrection = 0;
    long double DividerRatio = 1.0L;
    long double TotalResistance = 0;
    long double RangeBegin = 0;  // display unit; begin may exceed end
    long double RangeEnd = 0;
    std::uint8_t DisplayDecimals = 0;
    float InputLimitHi = 0;
    float InputLimitLo = 0;
    std::uint8_t ModeFlags = 0;
};

}  // namespace veld::model
