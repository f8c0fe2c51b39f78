#include "config/lin_dialog.h"

#include "config/lin_preview.h"
#include "config/messages.h"

#include <algorithm>
#include <cmath>
#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {

LinDialogForm::LinDialogForm()
    : Zpus_lin(u"Zpus_lin"_s, u"Způsob linearizace"_s,
               {u"Polynom metodou nejmenších čtverců"_s,
                u"Proložení lineárními přímkami v zadaných bodech"_s},
               kMethodSegments),
      stup_p(u"stup_p"_s, {u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"7"_s, u"8"_s}, u"6"_s),
      pstup(u"pstup"_s, u"Stupeň polynomu"_s),
      OK(u"OK"_s, u"OK"_s),
      Jiny(u"Jiny"_s, u"Jiný linearizační soubor"_s) {
    StringGrid1.fixedRows = 1;
    StringGrid1.fixedColumns = 0;
    StringGrid1.columnWidths = {215, 200};
    StringGrid1.tabStop = false;
    stup_p.hide();
    pstup.hide();
    all_ = {&StringGrid1, &Zpus_lin, &stup_p, &pstup, &OK, &Jiny};
}

Control* LinDialogForm::find(const QString& controlName) const {
    for (Control* c : all_)
        if (c->name == controlName)
            return c;
    return nullptr;
}

namespace {

constexpr int kLineSamples = 200;

}  // namespace

LinDialogCurve ComputeLinDialogCurve(const std::vector<lin::Point>& points, int method,
                                     std::optional<int> degree) {
    LinDialogCurve curve;
    if (points.empty())
        return curve;
    std::function<long double(long double)> at;
    lin::Messages messages;
    if (method == LinDialogForm::kMethodPolynomial) {
        if (!degree) {
            curve.message = kMsgBadPolynomialDegree;
            return curve;
        }
        const long double lo = std::min(points.front().out, points.back().out);
        const long double hi = std::max(points.front().out, points.back().out);
        lin::FitOptions options;
        options.showDeviation = false;
        auto fit = lin::Fit(points, *degree, lo, hi, options);
        messages = std::move(fit.messages);
        if (fit)
            at = [p = *fit](long double x) { return p.value(x); };
    } else {
        auto image = lin::Segments(points);
        messages = std::move(image.messages);
        if (image)
            at = [s = *image](long double x) { return lin::EvalSegmentImage(s, x); };
    }
    if (!at) {
        if (!messages.empty())
            curve.message = QString::fromStdString(messages.front());
        return curve;
    }

    // Even samples plus every point's input, so the segments' corners are drawn where they are.
    auto [first, last] = std::minmax_element(
        points.begin(), points.end(), [](const auto& a, const auto& b) { return a.in < b.in; });
    const long double lo = first->in, hi = last->in;
    std::vector<long double> xs;
    for (int i = 0; i <= kLineSamples; ++i)
        xs.push_back(lo + (hi - lo) * i / kLineSamples);
    for (const lin::Point& p : points)
        xs.push_back(p.in);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    for (long double x : xs)
        curve.line.push_back({static_cast<double>(x), static_cast<double>(at(x))});

    long double largest = 0;
    for (const lin::Point& p : points) {
        const long double d = at(p.in) - p.out;
        curve.deviation.push_back({static_cast<double>(p.in), static_cast<double>(d)});
        largest = std::max(largest, std::fabs(d));
    }
    if (std::isfinite(largest))
        curve.largest = largest;
    else
        curve.message = kMsgNoDeviation;
    return curve;
}

QString LargestDeviationText(const LinDialogCurve& curve, DecimalSeparator separator,
                             const QString& unit) {
    if (!curve.largest)
        return curve.message;
    return QStringLiteral("Největší odchylka: ") +
           LinPreview::FormatDeviation(*curve.largest, separator) +
           (unit.isEmpty() ? QString() : QStringLiteral(" ") + unit);
}

}  // namespace veld::config
