#include "lin/precise_table.h"

#include "lin/detail.h"
#include "lin/format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

// Temperatures stand for signals throughout: the characteristic gives the signal of a
// temperature directly, so a segment's points are taken evenly in temperature and the inverse
// is never needed, except at the 21 breakpoints.
namespace veld::lin {
namespace {

constexpr auto N = static_cast<std::size_t>(kSegmentCount);

// Grid steps per segment: coarse while breakpoints and meeting values are searched, fine for
// the table. Between grid points a cubic's error curve exceeds its grid maximum by at most
// about 8 / steps^2 of it.
constexpr int kSearchSteps = 40;
constexpr int kFinalSteps = 240;
// Rounds of setting the values at which neighbours meet.
constexpr int kMeetSweeps = 2;
// Errors below this (degrees) are not worth placing breakpoints for: far below what a single
// resolves, and near the rounding of the extended arithmetic.
constexpr long double kNegligible = 1e-9L;

constexpr std::string_view kNoTable =
    "Přesnou linearizaci se pro tento rozsah nepodařilo spočítat.";

// A cubic in u = (signal - x) / h, coefficients of u^0..u^3.
using Cubic = std::array<long double, 4>;

long double valueAt(const Cubic& p, long double u) {
    return p[0] + u * (p[1] + u * (p[2] + u * p[3]));
}

class Sensor {
public:
    Sensor(int code, const CurveParams& params) : code_(code), params_(params) {}
    long double signal(long double t) const { return *detail::Evaluate(code_, t, params_); }
    // The temperature in a..b with the signal s, by bisection (the characteristic rises).
    long double temperature(long double s, long double a, long double b) const {
        long double m = a;
        for (int i = 0; i < 200; ++i) {
            m = a + (b - a) / 2;
            if (!(m > a && m < b))
                break;
            (signal(m) < s ? a : b) = m;
        }
        return m;
    }

private:
    int code_;
    CurveParams params_;
};

// One segment: the temperatures it covers, its breakpoint and the signal span that scales
// d = signal - x into u.
struct Span {
    long double ta = 0, tb = 0;
    float x = 0;
    long double h = 1;
};

// Values the cubic must take at u = 0 and u = 1 to meet its neighbours, where it must.
struct Ends {
    std::optional<long double> start, end;
};

struct SegmentFit {
    Cubic p{};
    long double error = 0;                     // largest |t - p| over the grid
    long double startError = 0, endError = 0;  // t - p at both ends
};

// A segment's grid: temperatures, their signals and u.
struct Grid {
    int steps = 0;
    std::array<long double, kFinalSteps + 1> t, s, u;  // filled up to steps

    Grid(const Sensor& sensor, const Span& span, int n) : steps(n) {
        for (std::size_t i = 0; i <= static_cast<std::size_t>(n); ++i) {
            t[i] = i == static_cast<std::size_t>(n)
                       ? span.tb
                       : span.ta + (span.tb - span.ta) * static_cast<long double>(i) / n;
            s[i] = sensor.signal(t[i]);
            u[i] = (s[i] - span.x) / span.h;
        }
    }
};

// Solves the n x n system whose right side is column n (n <= 5) by elimination with partial
// pivoting; false when singular.
bool solveSmall(std::array<std::array<long double, 6>, 5> a, std::size_t n,
                std::array<long double, 5>& x) {
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t pivot = c;
        for (std::size_t r = c + 1; r < n; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c]))
                pivot = r;
        if (a[pivot][c] == 0)
            return false;
        std::swap(a[pivot], a[c]);
        for (std::size_t r = c + 1; r < n; ++r) {
            const long double f = a[r][c] / a[c][c];
            for (std::size_t k = c; k <= n; ++k)
                a[r][k] -= f * a[c][k];
        }
    }
    for (std::size_t c = n; c-- > 0;) {
        long double v = a[c][n];
        for (std::size_t k = c + 1; k < n; ++k)
            v -= a[c][k] * x[k];
        x[c] = v / a[c][c];
    }
    return true;
}

// The minimax cubic over the grid by Remez's exchange: the error t - p reaches its largest
// value with alternating signs at one point more than the cubic has free coefficients. An end
// whose value is fixed takes no part in the exchange.
SegmentFit minimax(const Grid& g, const Ends& ends) {
    Cubic fixed{};
    std::array<Cubic, 4> basis{};
    std::size_t m = 4;
    if (ends.start && ends.end) {
        fixed = {*ends.start, *ends.end - *ends.start, 0, 0};
        basis[0] = {0, 1, -1, 0};  // u (1 - u)
        basis[1] = {0, 0, 1, -1};  // u^2 (1 - u)
        m = 2;
    } else if (ends.start) {
        fixed = {*ends.start, 0, 0, 0};
        basis = {{{0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
        m = 3;
    } else if (ends.end) {
        fixed = {*ends.end, 0, 0, 0};
        basis = {{{-1, 1, 0, 0}, {1, -2, 1, 0}, {-1, 3, -3, 1}}};  // (u - 1)^1..3
        m = 3;
    } else {
        basis = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    }
    const int first = ends.start ? 1 : 0;
    const int last = ends.end ? g.steps - 1 : g.steps;
    const std::size_t n = m + 1;  // reference points

    // Start from the extrema of the Chebyshev polynomial.
    std::array<int, 5> ref{};
    for (std::size_t i = 0; i < n; ++i) {
        const double c =
            (1 - std::cos(std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1))) /
            2;
        ref[i] = first + static_cast<int>(std::lround(c * (last - first)));
    }

    SegmentFit fit;
    std::array<long double, kFinalSteps + 1> e;  // t - p on the grid
    std::array<int, kFinalSteps + 1> ext;        // extrema: grid indices
    for (int iteration = 0; iteration < 16; ++iteration) {
        std::array<std::array<long double, 6>, 5> a{};
        for (std::size_t i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(ref[i]);
            for (std::size_t j = 0; j < m; ++j)
                a[i][j] = valueAt(basis[j], g.u[k]);
            a[i][m] = i % 2 == 0 ? 1 : -1;
            a[i][n] = g.t[k] - valueAt(fixed, g.u[k]);
        }
        std::array<long double, 5> coef{};
        if (!solveSmall(a, n, coef))
            break;
        Cubic p = fixed;
        for (std::size_t j = 0; j < m; ++j)
            for (std::size_t k = 0; k < 4; ++k)
                p[k] += coef[j] * basis[j][k];
        const long double level = std::fabs(coef[m]);

        long double largest = 0;
        for (std::size_t k = 0; k <= static_cast<std::size_t>(g.steps); ++k) {
            e[k] = g.t[k] - valueAt(p, g.u[k]);
            largest = std::max(largest, std::fabs(e[k]));
        }
        fit = {p, largest, e[0], e[static_cast<std::size_t>(g.steps)]};

        // The largest error of each run of one sign, then as many as the reference holds:
        // the smallest dropped, inside the sequence together with its smaller neighbour so
        // that the signs still alternate.
        const auto size = [&](std::size_t j) {
            return std::fabs(e[static_cast<std::size_t>(ext[j])]);
        };
        std::size_t count = 0;
        long double inner = 0;
        for (int i = first; i <= last; ++i) {
            const auto k = static_cast<std::size_t>(i);
            inner = std::max(inner, std::fabs(e[k]));
            if (count > 0 &&
                std::signbit(e[k]) == std::signbit(e[static_cast<std::size_t>(ext[count - 1])])) {
                if (std::fabs(e[k]) > size(count - 1))
                    ext[count - 1] = i;
            } else {
                ext[count++] = i;
            }
        }
        if (inner <= level * (1 + 1e-6L) || count < n)
            break;
        while (count > n) {
            std::size_t smallest = 0;
            for (std::size_t j = 1; j < count; ++j)
                if (size(j) < size(smallest))
                    smallest = j;
            std::size_t from = smallest, drop = 2;
            if (count - n == 1 || smallest == 0 || smallest == count - 1) {
                from = size(0) < size(count - 1) ? 0 : count - 1;
                drop = 1;
            } else if (size(smallest - 1) < size(smallest + 1)) {
                from = smallest - 1;
            }
            std::copy(ext.begin() + static_cast<std::ptrdiff_t>(from + drop),
                      ext.begin() + static_cast<std::ptrdiff_t>(count),
                      ext.begin() + static_cast<std::ptrdiff_t>(from));
            count -= drop;
        }
        if (std::equal(ref.begin(), ref.begin() + static_cast<std::ptrdiff_t>(n), ext.begin()))
            break;
        std::copy(ext.begin(), ext.begin() + static_cast<std::ptrdiff_t>(n), ref.begin());
    }
    return fit;
}

// The largest error of the free minimax cubic over ta..tb, on the coarse grid.
long double segmentError(const Sensor& sensor, long double ta, long double tb) {
    const long double x = sensor.signal(ta);
    const Span span{ta, tb, static_cast<float>(x), sensor.signal(tb) - x};
    return minimax(Grid(sensor, span, kSearchSteps), {}).error;
}

// Whether the characteristic jumps at boundary b by more than a microdegree; less is the
// rounding of the two formulas' coefficients, and the table stays continuous there.
bool jumpsAt(const Sensor& sensor, long double b) {
    constexpr long double kStep = 1e-3L;
    const long double below = sensor.signal(b);
    const long double slope = (below - sensor.signal(b - kStep)) / kStep;
    return std::fabs(sensor.signal(std::nextafter(b, INFINITY)) - below) > 1e-6L * slope;
}

// The parts of the range between formula boundaries; a part after a boundary starts just above
// it, where the next formula holds.
struct Piece {
    long double a, b;
};

// Segment starts for a largest error per segment: each segment reaches as far as that error
// allows.
class Planner {
public:
    Planner(const Sensor& sensor, const std::vector<Piece>& pieces)
        : sensor_(sensor), pieces_(pieces) {}

    // The end of the segment from `ta` whose error is `level`, at most `limit`.
    long double reach(long double ta, long double limit, long double level) const {
        long double eBad = segmentError(sensor_, ta, limit);
        if (eBad <= level)
            return limit;
        long double wOk = 0, eOk = 0, wBad = limit - ta;
        for (int i = 0; i < 40; ++i) {
            // The error grows about as the fourth power of the width: interpolate log-log
            // inside the bracket, never too near its ends.
            long double w =
                eOk > 0 ? wOk * std::pow(wBad / wOk, std::log(level / eOk) / std::log(eBad / eOk))
                        : wBad * std::pow(level / eBad, 0.25L);
            const long double margin = (wBad - wOk) / 16;
            w = std::clamp(w, wOk + margin, wBad - margin);
            const long double e = segmentError(sensor_, ta, ta + w);
            if (e <= level) {
                wOk = w;
                eOk = e;
                if (e >= level * (1 - 1e-3L))
                    break;
            } else {
                wBad = w;
                eBad = e;
            }
        }
        return ta + wOk;
    }

    // The segment starts of each piece at `level`; false when more than the table's segments
    // are needed.
    bool walk(long double level, std::vector<std::vector<long double>>& starts) const {
        starts.assign(pieces_.size(), {});
        std::size_t used = 0;
        for (std::size_t j = 0; j < pieces_.size(); ++j) {
            for (long double t = pieces_[j].a; t < pieces_[j].b;) {
                if (++used > N)
                    return false;
                starts[j].push_back(t);
                const long double next = reach(t, pieces_[j].b, level);
                if (!(next > t))
                    return false;
                t = next;
            }
        }
        return true;
    }

    // Starts of `count` segments over piece j with equal largest errors, at most `high`: the
    // level at which the last segment's error is the level itself.
    std::vector<long double> equalize(std::size_t j, std::size_t count, long double high) const {
        const Piece& piece = pieces_[j];
        std::vector<long double> starts{piece.a}, trial;
        if (count == 1)
            return starts;
        // The last segment's error when the others reach as far as `level` allows; 0 when
        // they reach the end before.
        const auto lastError = [&](long double level) {
            trial.assign(1, piece.a);
            long double t = piece.a;
            for (std::size_t k = 1; k < count; ++k) {
                t = reach(t, piece.b, level);
                if (t >= piece.b)
                    return 0.0L;
                trial.push_back(t);
            }
            return segmentError(sensor_, t, piece.b);
        };
        // Levels from `high` down: where the last segment's error stays within the level,
        // keep the starts if all segments were needed.
        starts.clear();
        const auto feasible = [&](long double level) {
            if (lastError(level) > level)
                return false;
            if (trial.size() == count)
                starts = trial;
            return true;
        };
        long double low = high;
        while (low > kNegligible && feasible(low)) {
            high = low;
            low /= 4;
        }
        while (high > low * (1 + 1e-3L)) {
            const long double level = std::sqrt(low * high);
            (feasible(level) ? high : low) = level;
        }
        if (starts.empty())  // not met: even spacing
            for (std::size_t k = 0; k < count; ++k)
                starts.push_back(piece.a + (piece.b - piece.a) * static_cast<long double>(k) /
                                               static_cast<long double>(count));
        return starts;
    }

private:
    const Sensor& sensor_;
    const std::vector<Piece>& pieces_;
};

// The segments of the table before their cubics: where the characteristic jumps at a boundary,
// neighbours do not meet.
struct Layout {
    std::array<Span, kSegmentCount> spans{};
    std::array<bool, kSegmentCount + 1> joined{};  // segment k meets segment k - 1
    float end = 0;                                 // the end breakpoint
};

std::optional<Layout> plan(const Sensor& sensor, const std::vector<Piece>& pieces, long double lo,
                           long double hi) {
    const Planner planner(sensor, pieces);
    // The smallest level at which the walk needs no more segments than the table has, roughly:
    // it decides how many segments each piece gets, and each piece is then equalized on its own.
    long double high =
        std::max(segmentError(sensor, lo, lo + (hi - lo) / kSegmentCount), kNegligible);
    std::vector<std::vector<long double>> starts, trial;
    for (int i = 0; !planner.walk(high, starts); ++i) {
        if (i == 60 || !std::isfinite(high))
            return std::nullopt;
        high *= 4;
    }
    long double low = high / 4;
    while (low > kNegligible && planner.walk(low, trial))
        low /= 4;
    while (high > low * (1 + 1e-2L)) {
        const long double level = std::sqrt(low * high);
        if (planner.walk(level, trial)) {
            high = level;
            starts = trial;
        } else {
            low = level;
        }
    }
    // Segments the walk left over go to the pieces with the most.
    std::vector<std::size_t> counts;
    std::size_t used = 0;
    for (const auto& s : starts) {
        counts.push_back(s.size());
        used += s.size();
    }
    for (; used < N; ++used)
        ++*std::max_element(counts.begin(), counts.end());

    Layout layout;
    std::array<long double, kSegmentCount + 1> planned{};
    std::array<long double, kSegmentCount> boundary{};  // of a segment that does not join
    for (std::size_t j = 0, k = 0; j < pieces.size(); ++j) {
        const std::vector<long double> s = planner.equalize(j, counts[j], high);
        for (std::size_t i = 0; i < s.size(); ++i, ++k) {
            planned[k] = s[i];
            Span& span = layout.spans[k];
            span.x = static_cast<float>(sensor.signal(s[i]));
            layout.joined[k] = k > 0;
            if (j > 0 && i == 0 && jumpsAt(sensor, pieces[j - 1].b)) {
                // The boundary's own signal stays with its formula, the lower one.
                layout.joined[k] = false;
                boundary[k] = pieces[j - 1].b;
                span.x = std::nextafter(static_cast<float>(sensor.signal(boundary[k])), INFINITY);
            }
        }
    }
    planned[N] = hi;
    layout.end = static_cast<float>(sensor.signal(hi));
    // A segment covers the temperatures whose signals fall on it.
    auto& spans = layout.spans;
    spans[0].ta = pieces[0].a;
    for (std::size_t k = 1; k < N; ++k)
        spans[k].ta =
            sensor.temperature(spans[k].x, planned[layout.joined[k] ? k - 1 : k], planned[k + 1]);
    for (std::size_t k = 0; k < N; ++k) {
        const bool last = k + 1 == N;
        spans[k].tb = last ? hi : layout.joined[k + 1] ? spans[k + 1].ta : boundary[k + 1];
        spans[k].h = (last ? layout.end : spans[k + 1].x) - spans[k].x;
        if (!(spans[k].h > 0 && spans[k].tb > spans[k].ta))
            return std::nullopt;  // neighbouring breakpoints share a single
    }
    return layout;
}

// The cubics: free minimax fits first; then neighbours meet at a common value whose error lies
// between those of their free fits, each set in turn so that the two segments' largest errors
// are equal.
std::array<SegmentFit, kSegmentCount> fitCubics(const Sensor& sensor, const Layout& layout,
                                                std::vector<Grid>& grids) {
    const auto& spans = layout.spans;
    std::vector<Grid> coarse;
    std::array<SegmentFit, kSegmentCount> fits{};
    for (std::size_t k = 0; k < N; ++k) {
        grids.emplace_back(sensor, spans[k], kFinalSteps);
        coarse.emplace_back(sensor, spans[k], kSearchSteps);
        fits[k] = minimax(grids[k], {});
    }
    std::array<std::optional<long double>, kSegmentCount + 1> meet{};
    std::array<long double, kSegmentCount + 1> lowError{}, highError{};
    for (std::size_t k = 1; k < N; ++k) {
        if (!layout.joined[k])
            continue;
        lowError[k] = std::min(fits[k - 1].endError, fits[k].startError);
        highError[k] = std::max(fits[k - 1].endError, fits[k].startError);
        meet[k] = spans[k].ta - (lowError[k] + highError[k]) / 2;
    }
    for (int sweep = 0; sweep < kMeetSweeps; ++sweep) {
        for (std::size_t k = 1; k < N; ++k) {
            if (!layout.joined[k])
                continue;
            // At one end of the interval one segment has its free fit's error, the other a
            // larger one: bisect for where they change places.
            const auto leftAbove = [&](long double error) {
                meet[k] = spans[k].ta - error;
                return minimax(coarse[k - 1], {meet[k - 1], meet[k]}).error >
                       minimax(coarse[k], {meet[k], meet[k + 1]}).error;
            };
            long double a = lowError[k], b = highError[k];
            const bool atLow = leftAbove(a);
            for (int i = 0; i < 8; ++i) {
                const long double mid = (a + b) / 2;
                (leftAbove(mid) == atLow ? a : b) = mid;
            }
            meet[k] = spans[k].ta - (a + b) / 2;
        }
    }
    for (std::size_t k = 0; k < N; ++k)
        fits[k] = minimax(grids[k], {meet[k], meet[k + 1]});
    return fits;
}

// A segment's cubic in singles, c0 refitted after c1..c3 were rounded so that the error over
// the grid is centred again.
SegmentGroup toSingles(const Span& span, const SegmentFit& fit, const Grid& g) {
    const long double h = span.h;
    SegmentGroup group;
    group.x = span.x;
    group.c3 = static_cast<float>(fit.p[3] / (h * h * h));
    group.c2 = static_cast<float>(fit.p[2] / (h * h));
    group.c1 = static_cast<float>(fit.p[1] / h);
    long double lowest = INFINITY, highest = -INFINITY;
    for (std::size_t i = 0; i <= static_cast<std::size_t>(g.steps); ++i) {
        const long double d = g.s[i] - span.x;
        const long double e =
            g.t[i] - d * (group.c1 + d * (group.c2 + d * static_cast<long double>(group.c3)));
        lowest = std::min(lowest, e);
        highest = std::max(highest, e);
    }
    group.c0 = static_cast<float>((lowest + highest) / 2);
    return group;
}

}  // namespace

Deviation SingleDeviation(const SegmentImage& image, int code, long double lo, long double hi,
                          const CurveParams& params, int points) {
    if (!SensorLimits(code) || points < 2) {
        constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
        return {kNaN, kNaN};
    }
    Deviation dev;
    long double sumSquares = 0;
    for (int k = 0; k < points; ++k) {
        const long double t = lo + (hi - lo) * k / (points - 1);
        const float input = static_cast<float>(*detail::Evaluate(code, t, params));
        const long double d = static_cast<long double>(EvalSegmentImageSingle(image, input)) - t;
        dev.max = std::fmax(dev.max, std::fabs(d));
        sumSquares += d * d;
    }
    dev.rms = std::sqrt(sumSquares / points);
    return dev;
}

Result<SplineTable> PreciseTable(int code, long double lo, long double hi,
                                 const CurveParams& params) {
    Result<SplineTable> result;
    const auto limits = SensorLimits(code);
    if (!limits) {
        result.messages.push_back(
            "Přesnou linearizaci lze spočítat jen pro termočlánky a odporové teploměry "
            "(průběh 0 až 12), ne pro průběh " +
            std::to_string(code) + ".");
        return result;
    }
    if (!(lo < hi) || lo < limits->lo || hi > limits->hi) {
        result.messages.push_back(
            "Přesnou linearizaci nelze spočítat pro rozsah " + FormatGeneral(lo) + " až " +
            FormatGeneral(hi) + " °C: začátek musí být pod koncem a oba v mezích čidla " +
            FormatGeneral(limits->lo) + " až " + FormatGeneral(limits->hi) + " °C.");
        return result;
    }
    const Sensor sensor(code, params);

    // A range that starts at a jump follows the formula above it: below, it has only the
    // boundary's own temperature.
    std::vector<Piece> pieces;
    long double start = lo;
    for (long double b : FormulaBoundaries(code)) {
        if (b == lo && jumpsAt(sensor, b))
            start = std::nextafter(b, INFINITY);
        if (b <= lo || b >= hi)
            continue;
        pieces.push_back({start, b});
        start = std::nextafter(b, INFINITY);
    }
    pieces.push_back({start, hi});

    const auto layout = plan(sensor, pieces, lo, hi);
    if (!layout) {
        result.messages.emplace_back(kNoTable);
        return result;
    }
    std::vector<Grid> grids;
    const auto fits = fitCubics(sensor, *layout, grids);

    SplineTable table;
    for (std::size_t k = 0; k < N; ++k) {
        const SegmentGroup g = toSingles(layout->spans[k], fits[k], grids[k]);
        table.image.groups[k] = g;
        table.s[k] = g.x;
        table.t[k] = layout->spans[k].ta;
        table.c0[k] = g.c0;
        table.c1[k] = g.c1;
        table.c2[k] = g.c2;
        table.c3[k] = g.c3;
        table.m[k] = 2 * table.c2[k];
    }
    table.image.groups[N].x = layout->end;
    table.s[N] = layout->end;
    table.t[N] = hi;
    const long double d = table.s[N] - table.s[N - 1];
    table.m[N] = 2 * table.c2[N - 1] + 6 * table.c3[N - 1] * d;
    table.startSlope = table.c1[0];
    table.endSlope = table.c1[N - 1] + d * (2 * table.c2[N - 1] + 3 * d * table.c3[N - 1]);
    for (const SegmentGroup& g : table.image.groups)
        if (!std::isfinite(g.x) || !std::isfinite(g.c0) || !std::isfinite(g.c1) ||
            !std::isfinite(g.c2) || !std::isfinite(g.c3)) {
            result.messages.emplace_back(kNoTable);
            return result;
        }
    table.deviation = ImageDeviation(table.image, code, lo, hi, params);

    // Where single precision alone decides (a narrow range), the spline can come out a little
    // better as the transmitter computes both; the choice must never make a table worse.
    const auto spline = Spline(code, lo, hi, params);
    if (spline && SingleDeviation(spline->image, code, lo, hi, params).max <
                      SingleDeviation(table.image, code, lo, hi, params).max) {
        result.value = *spline;
        return result;
    }
    result.value = table;
    return result;
}

}  // namespace veld::lin
