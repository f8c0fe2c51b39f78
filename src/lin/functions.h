#pragma once

#include "lin/point_file.h"
#include "lin/segment_image.h"
#include "lin/solver.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The sensor mathematics as functions that return their results. Nothing is shown: each
// result carries the messages the computation gave, in order, for the caller to show.
namespace veld::lin {

// Curve codes of the characteristic selector.
enum CurveCode : int {
    kCurveN = 0,
    kCurveK = 1,
    kCurveT = 2,
    kCurveJ = 3,
    kCurveE = 4,
    kCurveR = 5,
    kCurveS = 6,
    kCurveB = 7,
    kCurveL = 8,
    kCurvePt100 = 9,
    kCurvePt1000 = 10,
    kCurveNi100 = 11,
    kCurveNi1000 = 12,
    kCurveReserved = 13,
    kCurveFileLine = 14,
    kCurveSquareRoot = 15,
    kCurveIdentity = 16,
};

struct TemperatureSpan {
    long double lo;
    long double hi;
};

// Temperatures a sensor may be configured for (curve codes 0..12), std::nullopt for others.
std::optional<TemperatureSpan> SensorLimits(int code);
// The interval the inverse searches (curve codes 0..12), std::nullopt for others.
std::optional<TemperatureSpan> InverseSearchInterval(int code);

// Temperatures strictly inside the sensor limits where the characteristic of `code` passes from
// one formula to the next (the boundary itself belongs to the lower one), rising; none for
// codes other than 0..12 or for a sensor with one formula.
std::vector<long double> FormulaBoundaries(int code);

struct Deviation {
    long double max = 0;  // largest absolute deviation
    long double rms = 0;  // root mean square deviation
};

using Messages = std::vector<std::string>;

// A value, or none when the computation stopped; and every message given on the way, those
// that accompany a value (warnings, the fit's deviation) as well as those that explain its
// absence.
template <typename T>
struct Result {
    std::optional<T> value;
    Messages messages;

    explicit operator bool() const { return value.has_value(); }
    const T& operator*() const { return *value; }
    const T* operator->() const { return &*value; }
};

// A calibrated platinum sensor's own Callendar-Van Dusen characteristic:
// R(t) = r0 (1 + a t + b t^2 + c (t - 100) t^3), the c term below 0 °C only.
struct PlatinumCoefficients {
    long double r0 = 0, a = 0, b = 0, c = 0;
    bool operator==(const PlatinumCoefficients&) const = default;
};

// What codes 14 and 15 need besides their argument: the square root works over the range
// rangeLo..rangeHi, the file line is input = value * lineSlope + lineOffset (the end line of
// the point store, EndLineInSlope and EndLineInOffset). `platinum`, when set, replaces the
// built-in characteristic of Pt100 and Pt1000 (9, 10).
struct CurveParams {
    long double rangeLo = 0, rangeHi = 0;
    long double lineSlope = 0, lineOffset = 0;
    std::optional<PlatinumCoefficients> platinum;

    static CurveParams FileLine(const std::vector<Point>& points);
};

// (sum c_i u^i) * 1e-6 with u = (t - offset) / scale, by Horner's scheme: microvolts to volts.
long double EvalPolynomial(std::span<const long double> c, int n, long double t, long double offset,
                           long double scale);

// The characteristic `code` at `value`: volts or ohms at a temperature in degrees for 0..12,
// input units for 14..16. Other codes give no value and "Dany prubeh neni v programu jeste
// zadan".
Result<long double> Characteristic(int code, long double value, const CurveParams& params = {});

// The argument at which the characteristic gives `signal`, rounded to 0.001 (identity 16 is
// not rounded): a line for 14, bisection over the search interval for 0..12 and over the
// range for 15.
Result<long double> Inverse(int code, long double signal, const CurveParams& params = {});

// The clamped cubic spline of the inverse characteristic over lo..hi in 20 segments.
struct SplineTable {
    SegmentImage image;                                   // upload form, single precision
    std::array<long double, kSegmentCount + 1> t{}, s{};  // node temperatures and signals
    std::array<long double, kSegmentCount + 1> m{};       // second derivatives d2t/ds2
    std::array<long double, kSegmentCount> c0{}, c1{}, c2{}, c3{};
    long double startSlope = 0, endSlope = 0;  // the clamped dt/ds at both ends
    // Of the spline as built, in extended precision, from the exact inverse at the 901 test
    // points of the range, in degrees.
    Deviation deviation;

    long double value(long double signal) const;
};
// Needs lo < hi within the sensor's limits; warns about small pivots and coefficients beyond
// the transmitter's float. The square root (15) is taken over lo..hi; of `line` only the file
// line counts.
Result<SplineTable> Spline(int code, long double lo, long double hi, const CurveParams& line = {});

// Deviation of a segment image from the exact inverse of `code` at the 901 test points of
// lo..hi, in degrees.
Deviation ImageDeviation(const SegmentImage& image, int code, long double lo, long double hi,
                         const CurveParams& line = {});

// The same at each test point (temperature, table minus exact), for a plot; empty where
// ImageDeviation gives NaN.
struct DeviationPoint {
    long double t = 0, d = 0;
};
std::vector<DeviationPoint> ImageDeviationCurve(const SegmentImage& image, int code, long double lo,
                                                long double hi, const CurveParams& params = {});

// The least-squares polynomial through the file points.
struct PolynomialFit {
    int degree = 0;
    std::array<long double, kMaxSystem> coefficients{};  // a_0..a_n
    long double maxDeviation = 0, rmsDeviation = 0;      // at the points
    long double maxPercent = 0;                          // maxDeviation in % of the range

    long double value(long double x) const;
    // As uploaded: single precision, a_n first.
    std::vector<float> upload() const;
};
struct FitOptions {
    bool showDeviation = true;        // give "Max.odchylka v % =..."
    std::optional<long double> step;  // test step; (hi - lo) / 100 unless given
};
// The fit of `degree` over the range lo..hi (lo <= hi, within the points' desired values).
// Besides its deviation, warns about coefficients beyond the transmitter's float and about
// a polynomial that does not rise; stops with "Chyba v datech pro linearizaci." last.
Result<PolynomialFit> Fit(const std::vector<Point>& points, int degree, long double lo,
                          long double hi, const FitOptions& options = {});

// Straight segments through 2..21 points (reversed when the inputs fall from the first to the
// second), the last one repeated up to 20.
Result<SegmentImage> Segments(const std::vector<Point>& points);

}  // namespace veld::lin
