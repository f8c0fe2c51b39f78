#pragma once

#include "lin/functions.h"
#include "lin/messages.h"
#include "lin/point_file.h"
#include "lin/segment_image.h"
#include "lin/solver.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace veld::lin {

// The documented cells of the sensor mathematics, for the handlers that work with them: the
// caller sets the cells, calls a routine without parameters and reads the cells. Each routine
// is the plain function of functions.h underneath; its messages go to `messages` and a
// failure sets CurveError.
class LinMath {
public:
    LinMath(LinMessages& messages, PointStore& points) : Points(points), messages_(messages) {}

    // ---- cells of the characteristic (the caller sets these) ----
    int DisplayCurve = kCurveIdentity;  // selects the characteristic evaluated
    long double CurveArg = 0;
    long double CurveResult = 0;
    long double CurveRangeLo = 0;
    long double CurveRangeHi = 0;
    int CurveError = 0;
    bool LimitError = false;  // set by CheckSensorLimits

    // ---- cells of the linearization builders ----
    int LinSensor = kCurveIdentity;  // curve switched on by the inverse and the builders
    long double LinStep = 0;
    // Set: the table builders take this characteristic for Pt100 and Pt1000 instead of the
    // built-in one (sensor matching); the forward conversions keep the built-in one.
    std::optional<PlatinumCoefficients> MatchedPlatinum;

    // Argument and result of vypocet_inverz: a signal, and its temperature rounded to 0.001.
    long double InverseSignal = 0;
    long double InverseResult = 0;

    // ---- spline table (BuildSplineTable) ----
    int SplineIntervals = kSegmentCount;
    std::array<long double, kSegmentCount + 1> SplineT{};  // node temperatures
    std::array<long double, kSegmentCount + 1> SplineS{};  // node signals = breakpoints
    std::array<long double, kSegmentCount + 1> SplineM{};  // second derivatives d2t/ds2
    std::array<long double, kSegmentCount> SplineC0{}, SplineC1{}, SplineC2{}, SplineC3{};
    long double SplineStartSlope = 0, SplineEndSlope = 0;  // the clamped dt/ds at both ends
    int SegmentCount = 0;
    // Over the 901 test points at LinStep, against the exact inverse, in degrees.
    Deviation SplineDeviation;

    // ---- least-squares polynomial (FitPolynomial) ----
    int PolyDegree = 6;
    int UploadDegree = 0;
    std::array<long double, kMaxSystem> PolyCoefficients{};  // a_0..a_n of the last fit
    long double FitMaxDeviation = 0;
    long double FitRmsDeviation = 0;
    long double FitMaxPercent = 0;
    // Whether "Max.odchylka v % =" is shown; the window shows it when linearizing from a file.
    bool ShowFitDeviation = true;

    PointStore& Points;

    // Evaluates the characteristic DisplayCurve at CurveArg into CurveResult. An unknown code
    // (13, above 16) shows a message, sets CurveError and leaves CurveResult as it was.
    void SensorCharacteristic();
    // EvalPolynomial at CurveArg.
    long double EvalPolynomial(std::span<const long double> c, int n, long double offset,
                               long double scale) const;
    // Range CurveRangeLo..CurveRangeHi against a sensor's limits; false (and LimitError) when
    // outside, with the message of each exceeded end.
    bool CheckSensorLimits(long double min, long double max);
    // The temperature of InverseSignal for LinSensor into InverseResult.
    void vypocet_inverz();

    // Clamped cubic spline of the inverse characteristic of LinSensor over CurveRangeLo..Hi.
    // False with CurveError = 1 when the range is unusable or outside the sensor limits.
    bool BuildSplineTable();
    // The same cells from the precise table (PreciseTable, codes 0..12) instead of the spline.
    bool BuildPreciseTable();
    // Least-squares polynomial of degree PolyDegree through the loaded points. False with
    // CurveError = 1 when nothing is to be uploaded.
    bool FitPolynomial();
    // Straight segments through the loaded points into `image`; false with CurveError = 1 and
    // `image` untouched when the points cannot form segments.
    bool BuildLineSegments(SegmentImage& image);

    // The spline table in upload form; std::nullopt unless the last BuildSplineTable succeeded.
    std::optional<SegmentImage> SplineImage() const;
    // The polynomial in upload form: single precision, a_n first.
    std::vector<float> UploadCoefficients() const;
    // Value of the fitted polynomial (extended coefficients) at x.
    long double EvalFit(long double x) const;
    // Deviation of a segment image from the exact inverse of DisplayCurve at the 901 test
    // points of the current range, in degrees.
    Deviation ImageDeviation(const SegmentImage& image) const;

    // The forward conversion of the main window: the characteristic DisplayCurve at `value`,
    // narrowed to single precision.
    float ZPPrepoc(long double value);

    // A shortcut that sets the selector cell first: the signal of `code` at `t`.
    long double SignalAt(int code, long double t);

private:
    bool buildTable(bool precise);
    // What codes 14 and 15 read from the cells and the point store.
    CurveParams curveParams() const;
    void show(const Messages& messages);
    PolynomialFit currentFit() const;

    LinMessages& messages_;
    std::optional<SegmentImage> splineImage_;
};

}  // namespace veld::lin
