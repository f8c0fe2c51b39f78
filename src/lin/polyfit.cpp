#include "lin/detail.h"
#include "lin/format.h"

#include <algorithm>
#include <cmath>

namespace veld::lin {
namespace {

using detail::kDevFloatMax;
using detail::kDevFloatMin;
constexpr int kMaxDegree = kMaxSystem - 1;
constexpr int kRisingSteps = 5;
constexpr std::string_view kStop = "Chyba v datech pro linearizaci.";

}  // namespace

// The sum of a_i x^i from a_0 up, each power built by multiplication like the sums of the fit.
long double PolynomialFit::value(long double x) const {
    long double p = 0;
    long double power = 1;
    for (int i = 0; i <= degree; ++i) {
        p += coefficients[static_cast<std::size_t>(i)] * power;
        power *= x;
    }
    return p;
}

std::vector<float> PolynomialFit::upload() const {
    std::vector<float> out;
    for (int i = degree; i >= 0; --i)
        out.push_back(static_cast<float>(coefficients[static_cast<std::size_t>(i)]));
    return out;
}

Result<PolynomialFit> Fit(const std::vector<Point>& points, int degree, long double lo,
                          long double hi, const FitOptions& options) {
    Result<PolynomialFit> result;
    Messages& messages = result.messages;
    auto fail = [&result] {
        result.messages.emplace_back(kStop);
        return result;
    };

    // These checks cannot succeed on a second look without new input, so after one pass over
    // both they end the fit.
    const int n = degree;
    const long double step = options.step.value_or(std::fabs(hi - lo) / 100);
    bool usable = true;
    if (!(step > 0) || step > hi - lo) {
        messages.emplace_back("Chyba teploty");
        usable = false;
    }
    if (n < 0 || n > kMaxDegree) {
        messages.emplace_back("Chyba stupne polynomu");
        usable = false;
    }
    if (!usable)
        return fail();

    const std::size_t N = std::min(points.size(), static_cast<std::size_t>(kMaxPoints));
    const long double y1 = N > 0 ? points.front().out : 0;
    const long double yN = N > 0 ? points[N - 1].out : 0;
    const long double yMin = std::min(y1, yN), yMax = std::max(y1, yN);
    bool inTable = true;
    if (!(lo >= yMin && lo <= yMax)) {
        messages.emplace_back("Počátek měřicího rozsahu je mimo tabulku hodnot.");
        inTable = false;
    }
    if (!(hi >= yMin && hi <= yMax)) {
        messages.emplace_back("Konec měřicího rozsahu je mimo tabulku hodnot.");
        inTable = false;
    }

    // n + 1 coefficients need n + 1 distinct inputs; with fewer the normal matrix is singular
    // and its "solution" would be uploaded as garbage.
    std::vector<long double> distinct;
    for (std::size_t k = 0; k < N; ++k)
        distinct.push_back(points[k].in);
    std::sort(distinct.begin(), distinct.end());
    const auto distinctCount = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
    if (distinctCount < n + 1) {
        messages.push_back("Polynom stupně " + std::to_string(n) + " potřebuje alespoň " +
                           std::to_string(n + 1) +
                           " bodů s různou vstupní hodnotou, soubor jich má " +
                           std::to_string(distinctCount) + ".");
        inTable = false;
    }
    if (!inTable)
        return fail();

    const auto D = static_cast<std::size_t>(n);
    std::array<long double, 2 * kMaxSystem> S{};
    Vector R{};
    for (std::size_t k = 0; k < N; ++k) {
        const long double x = points[k].in, y = points[k].out;
        long double power = 1;
        for (std::size_t m = 0; m <= D; ++m) {
            R[m] += y * power;
            power *= x;
        }
        power = 1;
        for (std::size_t j = 0; j <= 2 * D; ++j) {
            S[j] += power;
            power *= x;
        }
    }
    Matrix G{};
    for (std::size_t i = 0; i <= D; ++i)
        for (std::size_t j = 0; j <= D; ++j)
            G[i][j] = S[i + j];

    Vector a{};
    const SolveReport report = SolveLinearSystem(G, R, n + 1, a);
    bool finite = !report.singular;
    for (std::size_t i = 0; i <= D; ++i)
        finite = finite && std::isfinite(a[i]);
    if (!finite) {
        messages.push_back("Soustava rovnic polynomu stupně " + std::to_string(n) +
                           " nemá řešení, zvolte nižší stupeň.");
        return fail();
    }

    PolynomialFit fit;
    fit.degree = n;
    bool overflow = false, underflow = false;
    for (std::size_t i = 0; i <= D; ++i) {
        if (std::fabs(a[i]) >= kDevFloatMax)
            overflow = true;
        if (a[i] != 0 && std::fabs(a[i]) <= kDevFloatMin) {
            a[i] = 0;
            underflow = true;
        }
        fit.coefficients[i] = a[i];
    }
    if (overflow)
        messages.emplace_back("Doslo k preteceni");
    if (underflow)
        messages.emplace_back("Doslo k podteceni");

    long double sumSquares = 0;
    for (std::size_t k = 0; k < N; ++k) {
        const long double d = points[k].out - fit.value(points[k].in);
        fit.maxDeviation = std::fmax(fit.maxDeviation, std::fabs(d));
        sumSquares += d * d;
    }
    fit.rmsDeviation = std::sqrt(sumSquares / static_cast<long double>(N));

    fit.maxPercent = fit.maxDeviation / (hi - lo) * 100;
    if (options.showDeviation)
        messages.push_back("Max.odchylka v % =" +
                           FormatGeneral(std::round(fit.maxPercent * 1000) / 1000));

    // Rising test over the range widened by 60 % on each side, walked upwards whatever the
    // direction of the points (a falling table has its lower range end at the larger input).
    std::vector<Point> used(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(N));
    const CurveParams line = CurveParams::FileLine(used);
    const long double xA = lo * line.lineSlope + line.lineOffset;
    const long double xB = hi * line.lineSlope + line.lineOffset;
    const long double xLo = std::min(xA, xB), xHi = std::max(xA, xB);
    const long double start = xLo - 0.6L * (xHi - xLo);
    const long double testStep = (xHi + 0.6L * (xHi - xLo) - start) / kRisingSteps;
    for (int k = 1; k <= kRisingSteps && testStep > 0; ++k) {
        const long double xPrev = start + (k - 1) * testStep;
        const long double x = start + k * testStep;
        const long double slope = (fit.value(x) - fit.value(xPrev)) / (x - xPrev);
        if (slope <= 0) {
            messages.emplace_back(
                "fce neni v tomto bode prosta -\"vstup\",\"vystup\",\"smernice\"");
            messages.push_back(FormatGeneral(xPrev) + "  " + FormatGeneral(fit.value(xPrev)) +
                               "  " + FormatGeneral(slope));
        }
    }
    result.value = fit;
    return result;
}

}  // namespace veld::lin
