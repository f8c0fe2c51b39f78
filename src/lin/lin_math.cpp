#include "lin/lin_math.h"

#include "lin/precise_table.h"

#include <algorithm>

#include "lin/single.h"

namespace veld::lin {

CurveParams LinMath::curveParams() const {
    CurveParams params;
    params.rangeLo = CurveRangeLo;
    params.rangeHi = CurveRangeHi;
    params.lineSlope = Points.EndLineInSlope;
    params.lineOffset = Points.EndLineInOffset;
    return params;
}

void LinMath::show(const Messages& messages) {
    for (const auto& text : messages)
        messages_.message(text);
}

void LinMath::SensorCharacteristic() {
    const auto r = Characteristic(DisplayCurve, CurveArg, curveParams());
    show(r.messages);
    if (r)
        CurveResult = *r;
    else
        CurveError = 1;
}

long double LinMath::EvalPolynomial(std::span<const long double> c, int n, long double offset,
                                    long double scale) const {
    return lin::EvalPolynomial(c, n, CurveArg, offset, scale);
}

bool LinMath::CheckSensorLimits(long double min, long double max) {
    bool ok = true;
    if (min > CurveRangeLo) {
        messages_.message("Prekrocena dolni mez");
        ok = false;
    }
    if (max < CurveRangeHi) {
        messages_.message("Prekrocena horni mez");
        ok = false;
    }
    if (!ok)
        LimitError = true;
    return ok;
}

void LinMath::vypocet_inverz() {
    const auto r = Inverse(LinSensor, InverseSignal, curveParams());
    show(r.messages);
    if (r)
        InverseResult = *r;
    else
        CurveError = 1;
}

bool LinMath::BuildSplineTable() {
    return buildTable(false);
}

bool LinMath::BuildPreciseTable() {
    return buildTable(true);
}

bool LinMath::buildTable(bool precise) {
    splineImage_.reset();
    CurveError = 0;
    SplineIntervals = kSegmentCount;
    LinStep = (CurveRangeHi - CurveRangeLo) / 900;
    const auto limits = SensorLimits(LinSensor);
    LimitError = limits && (limits->lo > CurveRangeLo || limits->hi < CurveRangeHi);
    CurveParams params = curveParams();
    params.platinum = MatchedPlatinum;
    const auto r = precise ? PreciseTable(LinSensor, CurveRangeLo, CurveRangeHi, params)
                           : Spline(LinSensor, CurveRangeLo, CurveRangeHi, params);
    show(r.messages);
    if (!r) {
        CurveError = 1;
        return false;
    }
    SplineT = r->t;
    SplineS = r->s;
    SplineM = r->m;
    SplineC0 = r->c0;
    SplineC1 = r->c1;
    SplineC2 = r->c2;
    SplineC3 = r->c3;
    SplineStartSlope = r->startSlope;
    SplineEndSlope = r->endSlope;
    SplineDeviation = r->deviation;
    SegmentCount = SplineIntervals;
    splineImage_ = r->image;
    return true;
}

std::optional<SegmentImage> LinMath::SplineImage() const {
    return splineImage_;
}

Deviation LinMath::ImageDeviation(const SegmentImage& image) const {
    return lin::ImageDeviation(image, DisplayCurve, CurveRangeLo, CurveRangeHi, curveParams());
}

bool LinMath::FitPolynomial() {
    CurveError = 0;
    PolyCoefficients.fill(0);
    FitMaxDeviation = FitRmsDeviation = FitMaxPercent = 0;
    FitOptions options;
    options.showDeviation = ShowFitDeviation;
    options.step = LinStep;
    const auto r = Fit(Points.points(), PolyDegree, CurveRangeLo, CurveRangeHi, options);
    show(r.messages);
    if (!r) {
        CurveError = 1;
        return false;
    }
    UploadDegree = r->degree;
    PolyCoefficients = r->coefficients;
    FitMaxDeviation = r->maxDeviation;
    FitRmsDeviation = r->rmsDeviation;
    FitMaxPercent = r->maxPercent;
    return true;
}

PolynomialFit LinMath::currentFit() const {
    PolynomialFit fit;
    fit.degree = std::clamp(UploadDegree, -1, kMaxSystem - 1);
    fit.coefficients = PolyCoefficients;
    return fit;
}

long double LinMath::EvalFit(long double x) const {
    return currentFit().value(x);
}

std::vector<float> LinMath::UploadCoefficients() const {
    return currentFit().upload();
}

bool LinMath::BuildLineSegments(SegmentImage& image) {
    CurveError = 0;
    const auto r = Segments(Points.points());
    show(r.messages);
    if (!r) {
        CurveError = 1;
        return false;
    }
    image = *r;
    return true;
}

float LinMath::ZPPrepoc(long double value) {
    // The argument is a single, as the transmitter holds the primary variable.
    CurveArg = ToSingle(value);
    SensorCharacteristic();
    return ToSingle(CurveResult);
}

long double LinMath::SignalAt(int code, long double t) {
    DisplayCurve = code;
    CurveArg = t;
    SensorCharacteristic();
    return CurveResult;
}

}  // namespace veld::lin
