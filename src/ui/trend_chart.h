#pragma once

#include <QList>
#include <QPointF>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <deque>

QT_BEGIN_NAMESPACE
class QChart;
class QChartView;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QValueAxis;
QT_END_NAMESPACE

namespace veld {
class Prompts;
namespace config {
class Trend;
struct TrendSample;
}  // namespace config
}  // namespace veld

namespace veld::ui {

// The live trend of continuous measurement: a line over time in seconds, the value axis
// captioned with the unit, the last value, minimum, maximum and mean below it, and "Uložit CSV".
// A failed measurement breaks the line: each run of valid samples between gaps is a series of
// its own (a run of one sample shows as a dot), because a line series would join across a gap.
// A line that fails often would make thousands of series, and every series costs the chart
// time of its own; so only the newest kMaxSegments runs are lines, and older runs are drawn as
// plain dots in one series, which shows their gaps as well.
//
// The widget only mirrors the trend. Call refresh() after each change of it: samples added since
// the last call are appended to the series in one go; after a Start everything is drawn afresh.
// The axes grow in steps, so most ticks leave them, and the geometry of every point, alone.
class TrendChart final : public QWidget {
    Q_OBJECT
public:
    // `prompts` answers the file dialog and shows a failed save.
    TrendChart(const config::Trend& trend, Prompts& prompts, QWidget* parent = nullptr);
    ~TrendChart() override;

    void refresh();

    static constexpr std::size_t kMaxSegments = 100;

    // Line series drawn: one per run of valid samples between gaps, at most kMaxSegments.
    int segmentCount() const { return static_cast<int>(segments_.size()); }
    // Samples of the older runs, drawn as dots; 0 while there are no more runs than lines.
    int olderPointCount() const;
    QChart& chart() { return *chart_; }
    QChartView& view() { return *view_; }

private:
    void rebuild();
    void appendSamples(std::size_t from);
    QLineSeries* openSegment();
    void addOlder(const QList<QPointF>& points);
    void fitAxes();
    void showStatistics();
    QString withUnit(const QString& number) const;

    const config::Trend& trend_;
    Prompts& prompts_;
    QChart* chart_;
    QChartView* view_;
    QValueAxis* time_;
    QValueAxis* value_;
    QLabel* last_;
    QLabel* minimum_;
    QLabel* maximum_;
    QLabel* mean_;
    QPushButton* save_;
    std::deque<QLineSeries*> segments_;  // oldest first
    QScatterSeries* older_ = nullptr;
    std::uint64_t generation_ = 0;
    std::size_t shown_ = 0;     // samples of the trend already in the series
    bool lastWasGap_ = true;    // the next valid sample opens a new segment
    bool valueFitted_ = false;  // the value axis has been fitted to the samples
    QString unitShown_;
};

}  // namespace veld::ui
