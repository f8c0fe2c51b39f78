#pragma once

#include "lin/functions.h"

namespace veld::lin {

// The built-in linearization of a thermocouple or resistance thermometer (codes 0..12) over
// lo..hi in the transmitter's 20 segments, built for the smallest error as the transmitter
// evaluates it: the breakpoints are placed so that the segments' largest errors are equal, with
// the characteristic's formula boundaries among them; each segment is the minimax cubic of the
// temperature in the distance from its breakpoint, continuous with its neighbours except where
// the characteristic itself jumps; breakpoints and coefficients are singles, each c0 refitted
// after the others were rounded. The result uploads like the spline: c0..c3 and s hold the
// image's numbers, t the temperatures at the breakpoints, m the table's second derivatives
// there, and deviation is measured as for the spline.
// Never worse than the spline as the transmitter evaluates both (SingleDeviation): where single
// precision alone decides, on narrow ranges, the spline can come out a few hundred-thousandths
// of a degree better, and then the spline's table is returned as Spline builds it. A range
// outside the sensor's limits, or another code, gives no table and a message saying why.
// Where J, R and S jump down at a boundary (760 and 630 degrees), the signals of about a
// millidegree above it are also those of its last millidegree below; the table gives them the
// temperatures below, so that the boundary itself is exact.
// `params.platinum` builds the table of a calibrated Pt100 or Pt1000 instead (the characteristic
// must rise over the range).
Result<SplineTable> PreciseTable(int code, long double lo, long double hi,
                                 const CurveParams& params = {});

// Test points of SingleDeviation over a range.
inline constexpr int kSingleTestPoints = 9001;

// The error of a segment table as the transmitter computes it, in degrees: the signal of each of
// `points` temperatures evenly over lo..hi (codes 0..12) rounded to a single, then
// EvalSegmentImageSingle. NaN for other codes.
Deviation SingleDeviation(const SegmentImage& image, int code, long double lo, long double hi,
                          const CurveParams& params = {}, int points = kSingleTestPoints);

}  // namespace veld::lin
