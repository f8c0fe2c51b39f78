#include "lin/detail.h"
#include "lin/thermocouple_tables.h"

#include <cmath>

namespace veld::lin {
namespace {

constexpr std::array<TemperatureSpan, 13> kSensorLimits = {{
    {-270, 1300},  // N
    {-200, 1370},  // K
    {-200, 400},   // T
    {-100, 1200},  // J
    {-200, 1000},  // E
    {0, 1760},     // R
    {0, 1760},     // S
    {100, 1820},   // B
    {-200, 900},   // L
    {-200, 850},   // Pt100
    {-200, 850},   // Pt1000
    {-70, 250},    // Ni100
    {-70, 250},    // Ni1000
}};

constexpr std::array<TemperatureSpan, 13> kSearchIntervals = {{
    {-50, 1370},  // N
    {-50, 1370},  // K
    {-50, 400},   // T
    {-50, 1200},  // J
    {-50, 1000},  // E
    {0, 1760},    // R
    {0, 1760},    // S
    {100, 1820},  // B
    {-50, 900},   // L
    {-200, 850},  // Pt100
    {-200, 850},  // Pt1000
    {-70, 250},   // Ni100
    {-70, 250},   // Ni1000
}};

bool isSensorCode(int code) {
    return code >= kCurveN && code <= kCurveNi1000;
}

long double roundTo0001(long double v) {
    return std::round(v * 1000) / 1000;
}

// Callendar-Van Dusen; up to this temperature with the C term.
constexpr long double kPlatinumSwitch = 0;

long double platinum(long double r0, long double t) {
    constexpr long double A = 3.90802E-03L, B = -5.802E-07L, C = -4.2735E-12L;
    if (t <= kPlatinumSwitch)
        return r0 * (1 + A * t + B * t * t + C * (t - 100) * t * t * t);
    return r0 * (1 + A * t + B * t * t);
}

long double platinum(const PlatinumCoefficients& k, long double t) {
    if (t <= kPlatinumSwitch)
        return k.r0 * (1 + k.a * t + k.b * t * t + k.c * (t - 100) * t * t * t);
    return k.r0 * (1 + k.a * t + k.b * t * t);
}

long double nickel(long double r0, long double t) {
    constexpr long double A = 5.485E-03L, B = 6.65E-06L, C = 2.805E-11L, D = -2E-17L;
    const long double t2 = t * t;
    return r0 * (1 + A * t + B * t2 + C * t2 * t2 + D * t2 * t2 * t2);
}

long double thermocouple(int code, long double t) {
    const ThermocoupleCurve& curve = kThermocouples[static_cast<std::size_t>(code)];
    int k = 0;
    while (k < curve.setCount - 1 && t > curve.sets[static_cast<std::size_t>(k)].upper)
        ++k;
    const CoefficientSet& set = curve.sets[static_cast<std::size_t>(k)];
    long double e = EvalPolynomial(set.c, set.degree, t, set.offset, set.scale);
    if (code == kCurveK && t > 0) {
        const long double z = (t - 127) / 65;
        e += 125 * std::exp(-0.5L * z * z) * 1e-6L;
    }
    return e;
}

// Steps of the bisection beyond which the float bounds cannot narrow any further.
constexpr int kMaxBisectionSteps = 200;

template <typename T>
Result<T> unknownCurve() {
    return {std::nullopt, {std::string(detail::kUnknownCurve)}};
}

}  // namespace

std::optional<TemperatureSpan> SensorLimits(int code) {
    if (!isSensorCode(code))
        return std::nullopt;
    return kSensorLimits[static_cast<std::size_t>(code)];
}

std::optional<TemperatureSpan> InverseSearchInterval(int code) {
    if (!isSensorCode(code))
        return std::nullopt;
    return kSearchIntervals[static_cast<std::size_t>(code)];
}

std::vector<long double> FormulaBoundaries(int code) {
    std::vector<long double> boundaries;
    if (code >= kCurveN && code <= kCurveL) {
        const ThermocoupleCurve& curve = kThermocouples[static_cast<std::size_t>(code)];
        for (int k = 0; k + 1 < curve.setCount; ++k)
            boundaries.push_back(curve.sets[static_cast<std::size_t>(k)].upper);
    } else if (code == kCurvePt100 || code == kCurvePt1000) {
        boundaries.push_back(kPlatinumSwitch);
    }
    if (const auto limits = SensorLimits(code))
        std::erase_if(boundaries,
                      [&](long double b) { return !(limits->lo < b && b < limits->hi); });
    return boundaries;
}

CurveParams CurveParams::FileLine(const std::vector<Point>& points) {
    CurveParams p;
    if (points.empty() || points.back().out == points.front().out)
        return p;
    const Point& first = points.front();
    const Point& last = points.back();
    p.lineSlope = (last.in - first.in) / (last.out - first.out);
    p.lineOffset = first.in - p.lineSlope * first.out;
    return p;
}

long double EvalPolynomial(std::span<const long double> c, int n, long double t, long double offset,
                           long double scale) {
    const long double u = (t - offset) / scale;
    long double sum = 0;
    for (int i = n; i >= 0; --i)
        sum = sum * u + c[static_cast<std::size_t>(i)];
    return sum * 1e-6L;
}

std::optional<long double> detail::Evaluate(int code, long double x, const CurveParams& params) {
    switch (code) {
        case kCurveN:
        case kCurveK:
        case kCurveT:
        case kCurveJ:
        case kCurveE:
        case kCurveR:
        case kCurveS:
        case kCurveB:
        case kCurveL:
            return thermocouple(code, x);
        case kCurvePt100:
            return params.platinum ? platinum(*params.platinum, x) : platinum(100, x);
        case kCurvePt1000:
            return params.platinum ? platinum(*params.platinum, x) : platinum(1000, x);
        case kCurveNi100:
            return nickel(100, x);
        case kCurveNi1000:
            return nickel(1000, x);
        case kCurveFileLine:
            return x * params.lineSlope + params.lineOffset;
        case kCurveSquareRoot: {
            const long double lo = params.rangeLo, hi = params.rangeHi;
            if (lo < x && x < hi)
                return std::sqrt((x - lo) / (hi - lo) * 100) * (hi - lo) / 10 + lo;
            return x;
        }
        case kCurveIdentity:
            return x;
        default:
            return std::nullopt;
    }
}

Result<long double> Characteristic(int code, long double value, const CurveParams& params) {
    const auto v = detail::Evaluate(code, value, params);
    if (!v)
        return unknownCurve<long double>();
    return {v, {}};
}

Result<long double> Inverse(int code, long double s, const CurveParams& params) {
    if (code == kCurveFileLine)
        return {roundTo0001(s * params.lineSlope + params.lineOffset), {}};
    if (code == kCurveIdentity)
        return {s, {}};
    long double a0 = 0, b0 = 0;
    if (const auto interval = InverseSearchInterval(code)) {
        a0 = interval->lo;
        b0 = interval->hi;
    } else if (code == kCurveSquareRoot) {
        // The root curve is the identity outside its range, and so is its inverse.
        if (!(params.rangeLo < s && s < params.rangeHi))
            return {roundTo0001(s), {}};
        a0 = params.rangeLo;
        b0 = params.rangeHi;
    } else {
        return unknownCurve<long double>();
    }

    // The bracket, not the signal difference, decides when to stop: a tolerance in degrees
    // compared with volts would end a thermocouple search after a few steps.
    const long double tolerance = (b0 - a0) / 1e7L;
    float a = static_cast<float>(a0);
    float b = static_cast<float>(b0);
    long double x = a0;
    for (int step = 0; step < kMaxBisectionSteps; ++step) {
        x = (static_cast<long double>(a) + static_cast<long double>(b)) / 2;
        if (*detail::Evaluate(code, x, params) >= s)
            b = static_cast<float>(x);
        else
            a = static_cast<float>(x);
        if (static_cast<long double>(b) - static_cast<long double>(a) < tolerance)
            break;
    }
    return {roundTo0001(x), {}};
}

}  // namespace veld::lin
