#include "model/uploads.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "lin/lin_math.h"
#include "model/record_codec.h"

namespace veld::model {
namespace {

namespace map = eeprom;

// Highest power first. The patterns are what the transmitter was made with; for most of them
// the single nearest to the printed decimal differs by a few units in the last place.
constexpr std::array<std::uint32_t, 5> kColdJunction{0x3264D4E9, 0xB6BB51AD, 0x3AF4F8F9, 0x401325B9,
                                                     0xC3745B9E};
constexpr std::array<std::uint32_t, 3> kB{0x31C4CDB7, 0xB4815BD5, 0x17000000};
constexpr std::array<std::uint32_t, 5> kE{0x2AA297B2, 0xAEB64D0F, 0x335D15D9, 0x38759ED5,
                                          0xB51444AF};
constexpr std::array<std::uint32_t, 5> kJ{0x29F50B60, 0xAEBB64ED, 0x3302F026, 0x38534604,
                                          0xB2B6CF92};
constexpr std::array<std::uint32_t, 5> kK{0x29010522, 0xAEFF3D99, 0x32E5654D, 0x38255126,
                                          0xB4A1C1D5};
constexpr std::array<std::uint32_t, 5> kN{0xA97501CB, 0x2E02EAC6, 0x327CBB92, 0x37DA6ADF,
                                          0xB605C801};
constexpr std::array<std::uint32_t, 5> kL{0x29EB80F1, 0xAEAF6D6E, 0x337D261C, 0x38849312,
                                          0xB2500587};
constexpr std::array<std::uint32_t, 5> kR{0x2903E3FC, 0xADD0CBC0, 0x326F0FB5, 0x36B17765,
                                          0xAFB1E462};
constexpr std::array<std::uint32_t, 5> kS{0x28DF12BE, 0xADC4BF23, 0x32573E07, 0x36B52C56,
                                          0xB158E6D9};
constexpr std::array<std::uint32_t, 5> kT{0x295BECA2, 0xADCD557D, 0x333A6304, 0x3821FCD9,
                                          0xB56F8483};

// In the order the input-type text is compared.
const std::array<ThermocouplePolynomial, 10> kTables{{
    {"", kColdJunction},
    {"termočlánek B", kB},
    {"termočlánek E", kE},
    {"termočlánek J", kJ},
    {"termočlánek K", kK},
    {"termočlánek N", kN},
    {"termočlánek L", kL},
    {"termočlánek R", kR},
    {"termočlánek S", kS},
    {"termočlánek T", kT},
}};

std::vector<std::uint8_t> PatternBytes(std::span<const std::uint32_t> bits) {
    std::vector<float> values;
    for (std::uint32_t b : bits)
        values.push_back(std::bit_cast<float>(b));
    return RealBytes(values);
}

std::uint8_t Degree(std::span<const std::uint32_t> bits) {
    return static_cast<std::uint8_t>(bits.size() - 1);
}

// Byte 113 for fault-current codes 1 "nadproud", 2 "podproud", 3 "vyřazen".
constexpr std::array<std::uint8_t, 3> kFaultFlags{8, 0, 64};
constexpr std::uint8_t kReversedFlag = 4;

}  // namespace

OutputCalibration ReadOutputCalibration::Decode(std::span<const std::uint8_t> constants, float lo,
                                                float hi) {
    OutputCalibration c;
    if (constants.size() < map::kOutputConstants.length) {
        c.scaling = Checked<OutputScaling>::Refused(
            "Konstanty analogového výstupu nebyly z převodníku přečteny celé.");
        return c;
    }
    c.OutCodeLo = *RealAt(constants, 0);
    c.OutCodeHi = *RealAt(constants, 1);
    c.OutCurrentLo = *RealAt(constants, 2);
    c.OutCurrentHi = *RealAt(constants, 3);
    if (!(c.OutCurrentLo >= 4.0f && c.OutCurrentLo <= 6.0f)) {
        c.warnings.push_back(kBadI1);
        c.OutCurrentLo = 4.0f;
    }
    if (!(c.OutCurrentHi >= 18.0f && c.OutCurrentHi <= 22.0f)) {
        c.warnings.push_back(kBadI2);
        c.OutCurrentHi = 20.0f;
    }
    if (hi == lo) {
        c.scaling = Checked<OutputScaling>::Refused(
            "Počátek a konec rozsahu jsou shodné, nastavení analogového výstupu nelze vypočítat.");
        return c;
    }
    if (c.OutCurrentHi == c.OutCurrentLo) {
        c.scaling = Checked<OutputScaling>::Refused(
            "Konstanty I1 a I2 z převodníku jsou shodné, nastavení analogového výstupu nelze "
            "vypočítat.");
        return c;
    }
    // In extended precision, left to right as the formulas are written; narrowed at the end.
    const long double codes = static_cast<long double>(c.OutCodeHi) - c.OutCodeLo;
    const long double currents = static_cast<long double>(c.OutCurrentHi) - c.OutCurrentLo;
    const long double span = static_cast<long double>(hi) - lo;
    const auto out4mA =
        static_cast<float>(c.OutCodeLo + codes * (4.0L - c.OutCurrentLo) / currents);
    const auto gain = static_cast<float>(codes / span * 16.0L / currents);
    if (!std::isfinite(out4mA) || !std::isfinite(gain)) {
        c.scaling = Checked<OutputScaling>::Refused(
            "Nastavení analogového výstupu nelze pro tento rozsah vypočítat.");
        return c;
    }
    c.scaling = OutputScaling{out4mA, gain};
    return c;
}

WritePlan WriteOutputScaling(const OutputScaling& s, float lo, float hi) {
    return {{map::kOutputScaling.address, RealBytes({s.Out4mA, s.OutGain, lo, hi})}};
}

Checked<WritePlan> WritePolynomial(std::span<const float> highestFirst) {
    if (highestFirst.empty() || highestFirst.size() > map::kMaxPolynomialDegree + 1u)
        return Checked<WritePlan>::Refused("Nepřípustný stupeň polynomu pro linearizační funkci.");
    WritePlan plan{
        {map::kPolynomialDegree.address, {static_cast<std::uint8_t>(highestFirst.size() - 1)}}};
    std::uint16_t address = map::kPolynomialCoefficients.address;
    for (float a : highestFirst) {
        plan.push_back({address, RealBytes({a})});
        address += map::kRealLength;
    }
    return plan;
}

SplineSegments SplineSegmentsOf(const lin::LinMath& math) {
    return {math.SegmentCount, math.SplineS,  math.SplineC3,
            math.SplineC2,     math.SplineC1, math.SplineC0};
}

std::optional<std::string_view> PrepareSegmentImage(const SplineSegments& s,
                                                    lin::SegmentImage& image) {
    if (s.count < 1 || s.count > lin::kSegmentCount)
        return kBadSegmentCount;
    const auto n = static_cast<std::size_t>(s.count);
    if (s.breakpoints.size() < n + 1 || s.c3.size() < n || s.c2.size() < n || s.c1.size() < n ||
        s.c0.size() < n)
        return kBadSegmentCount;
    for (std::size_t k = 0; k <= n; ++k)
        image.groups[k].x = static_cast<float>(s.breakpoints[k]);
    for (std::size_t k = 0; k < n; ++k) {
        image.groups[k].c3 = static_cast<float>(s.c3[k]);
        image.groups[k].c2 = static_cast<float>(s.c2[k]);
        image.groups[k].c1 = static_cast<float>(s.c1[k]);
        image.groups[k].c0 = static_cast<float>(s.c0[k]);
    }
    return std::nullopt;
}

WritePlan WriteSegmentImage(const lin::SegmentImage& image) {
    WritePlan plan;
    std::uint16_t address = map::kSegmentTable.address;
    for (std::size_t k = 0; k < lin::kSegmentCount; ++k) {
        const lin::SegmentGroup& g = image.groups[k];
        plan.push_back({address, RealBytes({g.x, g.c3, g.c2, g.c1, g.c0})});
        address += map::kSegmentGroupLength;
    }
    plan.push_back({map::kSegmentEnd.address, RealBytes({image.groups[lin::kSegmentCount].x})});
    return plan;
}

WritePlan WriteLinKind(LinKind kind) {
    return {{map::kLinKind.address, {static_cast<std::uint8_t>(kind)}}};
}

std::span<const ThermocouplePolynomial> ThermocoupleTables() {
    return kTables;
}

WritePlan WriteThermocoupleTables(std::string_view inputTypeText) {
    WritePlan plan{
        {map::kColdJunctionDegree.address, {Degree(kColdJunction)}},
        {map::kColdJunctionPolynomial.address, PatternBytes(kColdJunction)},
    };
    const auto it =
        std::find_if(kTables.begin() + 1, kTables.end(),
                     [&](const ThermocouplePolynomial& t) { return t.inputType == inputTypeText; });
    if (it != kTables.end()) {
        plan.push_back({map::kThermocoupleDegree.address, {Degree(it->bits)}});
        plan.push_back({map::kThermocouplePolynomial.address, PatternBytes(it->bits)});
    }
    return plan;
}

Checked<WritePlan> WriteOutputFlags(std::uint8_t faultCurrent, bool rangeReversed) {
    if (faultCurrent < 1 || faultCurrent > kFaultFlags.size())
        return Checked<WritePlan>::Refused("Špatně zadaná volba chybového proudu");
    std::uint8_t byte = kFaultFlags[faultCurrent - 1u];
    if (rangeReversed)
        byte |= kReversedFlag;
    return WritePlan{{map::kOutputFlags.address, {byte}}};
}

}  // namespace veld::model
