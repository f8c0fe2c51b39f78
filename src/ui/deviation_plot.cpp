#include "ui/deviation_plot.h"

#include "config/lin_preview.h"

#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {
namespace {

// Ticks at round numbers (1, 2 or 5 times a power of ten, about five over the span) from zero,
// so that the axis keeps the data's own ends: -200..850 reads -200, 0, 200, ... 800.
void RoundTicks(QValueAxis* axis, double span) {
    if (!(span > 0) || !std::isfinite(span))
        return;
    const double raw = span / 5;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    const double step = raw / decade < 1.5 ? decade : raw / decade < 3.5 ? 2 * decade : 5 * decade;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
}

}  // namespace

DeviationPlot::DeviationPlot(const config::LinPreview& preview, QWidget* parent)
    : QDialog(parent), preview_(preview), chart_(new QChart), summary_(new QLabel(this)) {
    setObjectName(u"DeviationPlot"_s);
    setWindowTitle(u"Odchylka linearizace"_s);
    chart_->legend()->hide();
    auto* view = new QChartView(chart_, this);
    view->setObjectName(u"DeviationView"_s);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(560, 340);
    auto* close = new QPushButton(u"Zavřít"_s, this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(summary_);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void DeviationPlot::refresh() {
    chart_->removeAllSeries();
    // The chart gives a removed axis back to us.
    for (QAbstractAxis* axis : chart_->axes()) {
        chart_->removeAxis(axis);
        delete axis;
    }
    const config::LinPreview::Curve& c = preview_.curve();
    summary_->setText(c.points.empty() ? u"Pro tento rozsah není tabulka k dispozici."_s
                                       : (c.precise ? u"Přesná tabulka"_s : u"Tabulka spline"_s) +
                                             (c.matched ? u" přizpůsobená čidlu. "_s : u". "_s) +
                                             u"Odchylka tabulky, jak by byla zapsána, od inverzní "
                                             u"charakteristiky čidla ve 901 bodech rozsahu."_s);
    if (c.points.empty())
        return;
    auto* line = new QLineSeries;
    double lo = 0, hi = 0;
    for (const auto& p : c.points) {
        const auto d = static_cast<double>(p.d);
        line->append(static_cast<double>(p.t), d);
        lo = std::min(lo, d);
        hi = std::max(hi, d);
    }
    chart_->addSeries(line);
    const QString unit = c.unit.isEmpty() ? QString() : u" ["_s + c.unit + u"]"_s;
    auto* x = new QValueAxis;
    x->setTitleText(u"Hodnota"_s + unit);
    x->setRange(static_cast<double>(c.points.front().t), static_cast<double>(c.points.back().t));
    x->setLabelFormat(u"%g"_s);
    auto* y = new QValueAxis;
    y->setTitleText(u"Odchylka"_s + unit);
    const double margin = std::max((hi - lo) * 0.05, 1e-9);
    y->setRange(lo - margin, hi + margin);
    y->setLabelFormat(u"%.3g"_s);
    RoundTicks(x, x->max() - x->min());
    RoundTicks(y, y->max() - y->min());
    chart_->addAxis(x, Qt::AlignBottom);
    chart_->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
}

}  // namespace veld::ui
