#include "ui/trend_chart.h"

#include "common/prompts.h"
#include "config/trend.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace veld::ui {

namespace {

// Forty ticks of 1.5 s before the time axis first grows; then it doubles, so over a day of
// measurement it changes a dozen times.
constexpr double kFirstTimeSpan = 60.0;
constexpr qreal kDotSize = 5.0;
constexpr int kOlderDotSize = 2;

const QColor kLineColour(0x1f, 0x5f, 0xa8);

// A round step for the time grid: 1, 2 or 5 times a power of ten, some six to a span.
double TimeStep(double span) {
    const double rough = span / 6.0;
    const double decade = std::pow(10.0, std::floor(std::log10(rough)));
    for (double f : {1.0, 2.0, 5.0}) {
        if (f * decade >= rough)
            return f * decade;
    }
    return 10.0 * decade;
}

// Range and grid step change one after the other, each laying out the axis anew: in the order
// that never has the short step on the long range (thousands of grid lines and labels, a
// second's work).
void SetTimeSpan(QValueAxis& axis, double span) {
    if (span > axis.max()) {
        axis.setTickInterval(TimeStep(span));
        axis.setRange(0.0, span);
    } else {
        axis.setRange(0.0, span);
        axis.setTickInterval(TimeStep(span));
    }
}

}  // namespace

TrendChart::TrendChart(const config::Trend& trend, Prompts& prompts, QWidget* parent)
    : QWidget(parent),
      trend_(trend),
      prompts_(prompts),
      chart_(new QChart),
      view_(new QChartView(chart_, this)),
      time_(new QValueAxis(chart_)),
      value_(new QValueAxis(chart_)),
      last_(new QLabel(this)),
      minimum_(new QLabel(this)),
      maximum_(new QLabel(this)),
      mean_(new QLabel(this)),
      save_(new QPushButton(u"Uložit CSV"_s, this)) {
    setObjectName(u"TrendChart"_s);
    view_->setObjectName(u"TrendView"_s);
    last_->setObjectName(u"TrendLast"_s);
    minimum_->setObjectName(u"TrendMinimum"_s);
    maximum_->setObjectName(u"TrendMaximum"_s);
    mean_->setObjectName(u"TrendMean"_s);
    save_->setObjectName(u"TrendSaveCsv"_s);

    chart_->legend()->hide();
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chart_->setBackgroundRoundness(0);
    time_->setTitleText(u"Čas [s]"_s);
    time_->setLabelFormat(u"%g"_s);
    time_->setTickType(QValueAxis::TicksDynamic);
    time_->setTickAnchor(0.0);
    value_->setLabelFormat(u"%.6g"_s);
    chart_->addAxis(time_, Qt::AlignBottom);
    chart_->addAxis(value_, Qt::AlignLeft);
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setMinimumSize(360, 220);

    auto* figures = new QHBoxLayout;
    for (QLabel* label : {last_, minimum_, maximum_, mean_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        figures->addWidget(label);
        figures->addSpacing(12);
    }
    figures->setContentsMargins(6, 0, 0, 0);
    figures->addStretch(1);
    figures->addWidget(save_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_, 1);
    layout->addLayout(figures);

    connect(save_, &QPushButton::clicked, this, [this] { config::saveTrendCsv(trend_, prompts_); });
    rebuild();
    showStatistics();
}

TrendChart::~TrendChart() = default;

void TrendChart::refresh() {
    const auto& samples = trend_.samples();
    if (trend_.generation() != generation_ || samples.size() < shown_) {
        rebuild();
    } else if (shown_ < samples.size()) {
        fitAxes();
        appendSamples(shown_);
    }
    showStatistics();
}

int TrendChart::olderPointCount() const {
    return older_ == nullptr ? 0 : static_cast<int>(older_->count());
}

void TrendChart::rebuild() {
    chart_->removeAllSeries();
    segments_.clear();
    older_ = nullptr;
    generation_ = trend_.generation();
    shown_ = 0;
    lastWasGap_ = true;
    SetTimeSpan(*time_, kFirstTimeSpan);
    value_->setRange(0.0, 1.0);
    valueFitted_ = false;
    unitShown_ = trend_.unit();
    value_->setTitleText(unitShown_.isEmpty() ? u"Naměřená hodnota"_s
                                              : u"Naměřená hodnota [%1]"_s.arg(unitShown_));
    fitAxes();
    // Runs older than the newest kMaxSegments go to the dots in one step.
    const auto& samples = trend_.samples();
    std::size_t runs = 0;
    std::size_t first = 0;
    for (std::size_t i = samples.size(); i-- > 0;) {
        const bool endsRun = samples[i].value && (i + 1 == samples.size() || !samples[i + 1].value);
        if (endsRun && ++runs > kMaxSegments) {
            first = i + 1;
            break;
        }
    }
    if (first > 0) {
        QList<QPointF> points;
        for (std::size_t i = 0; i < first; ++i) {
            if (samples[i].value)
                points.append(QPointF(samples[i].seconds, *samples[i].value));
        }
        addOlder(points);
    }
    appendSamples(first);
}

void TrendChart::addOlder(const QList<QPointF>& points) {
    if (older_ == nullptr) {
        older_ = new QScatterSeries;
        chart_->addSeries(older_);
        older_->attachAxis(time_);
        older_->attachAxis(value_);
        older_->setColor(kLineColour);
        older_->setBorderColor(kLineColour);
        older_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        older_->setMarkerSize(kOlderDotSize);
        // Painted as an image: ordinary markers are a graphics item per point.
        QImage dot(kOlderDotSize, kOlderDotSize, QImage::Format_ARGB32_Premultiplied);
        dot.fill(kLineColour);
        older_->setLightMarker(dot);
    }
    // One change signal; append() of a list signals once per point.
    older_->replace(older_->points() + points);
}

// The series for a run that begins now: a new one, or once there are kMaxSegments of them the
// oldest, whose points move to the dots.
QLineSeries* TrendChart::openSegment() {
    if (segments_.size() >= kMaxSegments) {
        QLineSeries* oldest = segments_.front();
        segments_.pop_front();
        addOlder(oldest->points());
        oldest->clear();
        segments_.push_back(oldest);
        return oldest;
    }
    auto* series = new QLineSeries;
    chart_->addSeries(series);
    series->attachAxis(time_);
    series->attachAxis(value_);
    // After addSeries: the chart's theme would give every segment a colour of its own.
    series->setPen(QPen(kLineColour, 1.5));
    series->setMarkerSize(kDotSize);
    segments_.push_back(series);
    return series;
}

void TrendChart::appendSamples(std::size_t from) {
    const auto& samples = trend_.samples();
    QLineSeries* target = lastWasGap_ ? nullptr : segments_.back();
    QList<QPointF> pending;
    // One change signal per segment: each one makes the chart map every point of the series.
    const auto flush = [&] {
        if (target == nullptr || pending.isEmpty())
            return;
        if (target->count() == 0) {
            target->replace(pending);
        } else if (pending.size() == 1) {
            target->append(pending.front());
        } else {
            target->replace(target->points() + pending);
        }
        pending.clear();
        // A lone sample between gaps would draw no line at all.
        const bool dot = target->count() == 1;
        if (target->pointsVisible() != dot)
            target->setPointsVisible(dot);
    };
    for (std::size_t i = from; i < samples.size(); ++i) {
        const config::TrendSample& s = samples[i];
        if (!s.value) {
            flush();
            target = nullptr;
            lastWasGap_ = true;
            continue;
        }
        if (target == nullptr)
            target = openSegment();
        pending.append(QPointF(s.seconds, *s.value));
        lastWasGap_ = false;
    }
    flush();
    shown_ = samples.size();
}

void TrendChart::fitAxes() {
    const auto& samples = trend_.samples();
    if (!samples.empty() && samples.back().seconds > time_->max()) {
        double span = time_->max();
        while (span < samples.back().seconds)
            span *= 2.0;
        SetTimeSpan(*time_, span);
    }
    // The range only widens until the next Start, so a new extreme is the only reason to move.
    const auto lo = trend_.minimum();
    const auto hi = trend_.maximum();
    if (!lo || !hi || (valueFitted_ && *lo >= value_->min() && *hi <= value_->max()))
        return;
    const double span = *hi - *lo;
    double pad = span > 0.0 ? span * 0.1 : std::max(std::abs(*lo) * 0.01, 1e-3);
    if (!std::isfinite(*lo - pad) || !std::isfinite(*hi + pad))
        pad = 0.0;
    value_->setRange(*lo - pad, *hi + pad);
    value_->applyNiceNumbers();
    valueFitted_ = true;
}

QString TrendChart::withUnit(const QString& number) const {
    return unitShown_.isEmpty() ? number : number + u' ' + unitShown_;
}

void TrendChart::showStatistics() {
    const auto figure = [this](const std::optional<double>& v) {
        return v ? withUnit(trend_.formatValue(*v)) : u"–"_s;
    };
    last_->setText(u"Poslední: "_s + figure(trend_.last()));
    minimum_->setText(u"Minimum: "_s + figure(trend_.minimum()));
    maximum_->setText(u"Maximum: "_s + figure(trend_.maximum()));
    mean_->setText(u"Průměr: "_s + figure(trend_.mean()));
    save_->setEnabled(!trend_.samples().empty());
}

}  // namespace veld::ui
