#pragma once

#include <array>
#include <limits>

namespace veld::lin {

inline constexpr int kMaxCoefficients = 21;  // c0..c20
inline constexpr long double kNoUpperLimit = std::numeric_limits<long double>::infinity();

// One polynomial of a thermocouple: E = sum c_i * u^i microvolts, u = (t - offset) / scale,
// used for temperatures up to and including `upper` (and above the previous set's upper).
struct CoefficientSet {
    long double upper;
    long double offset;
    long double scale;
    int degree;
    std::array<long double, kMaxCoefficients> c;  // entries above the degree are zero
};

struct ThermocoupleCurve {
    int setCount;
    std::array<CoefficientSet, 4> sets;
};

// Indexed by curve code 0..8: N, K, T, J, E, R, S, B, L.
extern const std::array<ThermocoupleCurve, 9> kThermocouples;

}  // namespace veld::lin
