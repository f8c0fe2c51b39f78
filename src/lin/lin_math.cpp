#include "lin/lin_math.h"

#include "lin/thermocouple_tables.h"

#include <cmath>

namespace veld::lin {
namespace {

constexpr const char* kUnknownCurve = "Dany prubeh neni v programu jeste zadan";

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

// Callendar-Van Dusen; below 0 degrees with the C term.
long double platinum(long double r0, long double t) {
    constexpr long double A = 3.90802E-03L, B = -5.802E-07L, C = -4.2735E-12L;
    if (t <= 0)
        return r0 * (1 + A * t + B * t * t + C * (t - 100) * t * t * t);
    return r0 * (1 + A * t + B * t * t);
}

long double nickel(long double r0, long double t) {
    constexpr long double A = 5.485E-03L, B = 6.65E-06L, C = 2.805E-11L, D = -2E-17L;
    const long double t2 = t * t;
    return r0 * (1 + A * t + B * t2 + C * t2 * t2 + D * t2 * t2 * t2);
}

// Steps of the bisection beyond which the float bounds cannot narrow any further.
constexpr int kMaxBisectionSteps = 200;

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

long double LinMath::EvalPolynomial(std::span<const long double> c, int n, long double offset,
                                    long double scale) const {
    const long double u = (CurveArg - offset) / scale;
    long double sum = 0;
    for (int i = n; i >= 0; --i)
        sum = sum * u + c[static_cast<std::size_t>(i)];
    return sum * 1e-6L;
}

long double LinMath::thermocouple(int code) const {
    const ThermocoupleCurve& curve = kThermocouples[static_cast<std::size_t>(code)];
    const long double t = CurveArg;
    int k = 0;
    while (k < curve.setCount - 1 && t > curve.sets[static_cast<std::size_t>(k)].upper)
        ++k;
    const CoefficientSet& set = curve.sets[static_cast<std::size_t>(k)];
    long double e = EvalPolynomial(set.c, set.degree, set.offset, set.scale);
    if (code == kCurveK && t > 0) {
        const long double z = (t - 127) / 65;
        e += 125 * std::exp(-0.5L * z * z) * 1e-6L;
    }
    return e;
}

void LinMath::SensorCharacteristic() {
    const int code = DisplayCurve;
    if (isSensorCode(code))
        CurveResult = 0;
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
            CurveResult = thermocouple(code);
            return;
        case kCurvePt100:
            CurveResult = platinum(100, CurveArg);
            return;
        case kCurvePt1000:
            CurveResult = platinum(1000, CurveArg);
            return;
        case kCurveNi100:
            CurveResult = nickel(100, CurveArg);
            return;
        case kCurveNi1000:
            CurveResult = nickel(1000, CurveArg);
            return;
        case kCurveFileLine:
            CurveResult = CurveArg * Points.EndLineInSlope + Points.EndLineInOffset;
            return;
        case kCurveSquareRoot: {
            const long double lo = CurveRangeLo, hi = CurveRangeHi, x = CurveArg;
            if (lo < x && x < hi)
                CurveResult = std::sqrt((x - lo) / (hi - lo) * 100) * (hi - lo) / 10 + lo;
            else
                CurveResult = x;
            return;
        }
        case kCurveIdentity:
            CurveResult = CurveArg;
            return;
        default:
            message(kUnknownCurve);
            CurveError = 1;
            return;
    }
}

bool LinMath::CheckSensorLimits(long double min, long double max) {
    bool ok = true;
    if (min > CurveRangeLo) {
        message("Prekrocena dolni mez");
        ok = false;
    }
    if (max < CurveRangeHi) {
        message("Prekrocena horni mez");
        ok = false;
    }
    if (!ok)
        LimitError = true;
    return ok;
}

void LinMath::vypocet_inverz() {
    const long double s = InverseSignal;
    if (LinSensor == kCurveFileLine) {
        InverseResult = roundTo0001(s * Points.EndLineInSlope + Points.EndLineInOffset);
        return;
    }
    if (LinSensor == kCurveIdentity) {
        InverseResult = s;
        return;
    }
    long double a0 = 0, b0 = 0;
    if (const auto interval = InverseSearchInterval(LinSensor)) {
        a0 = interval->lo;
        b0 = interval->hi;
    } else if (LinSensor == kCurveSquareRoot) {
        // The root curve is the identity outside its range, and so is its inverse.
        if (!(CurveRangeLo < s && s < CurveRangeHi)) {
            InverseResult = roundTo0001(s);
            return;
        }
        a0 = CurveRangeLo;
        b0 = CurveRangeHi;
    } else {
        message(kUnknownCurve);
        CurveError = 1;
        return;
    }

    // The bracket, not the signal difference, decides when to stop: a tolerance in degrees
    // compared with volts would end a thermocouple search after a few steps.
    const long double tolerance = (b0 - a0) / 1e7L;
    float a = static_cast<float>(a0);
    float b = static_cast<float>(b0);
    long double x = a0;
    for (int step = 0; step < kMaxBisectionSteps; ++step) {
        x = (static_cast<long double>(a) + static_cast<long double>(b)) / 2;
        CurveArg = x;
        SensorCharacteristic();
        if (CurveResult >= s)
            b = static_cast<float>(x);
        else
            a = static_cast<float>(x);
        if (static_cast<long double>(b) - static_cast<long double>(a) < tolerance)
            break;
    }
    InverseResult = roundTo0001(x);
}

float LinMath::ZPPrepoc(long double value) {
    CurveArg = value;
    SensorCharacteristic();
    return static_cast<float>(CurveResult);
}

long double LinMath::SignalAt(int code, long double t) {
    DisplayCurve = code;
    CurveArg = t;
    SensorCharacteristic();
    return CurveResult;
}

long double LinMath::TemperatureOf(int code, long double signal) {
    LinSensor = code;
    DisplayCurve = code;
    InverseSignal = signal;
    vypocet_inverz();
    return InverseResult;
}

}  // namespace veld::lin
