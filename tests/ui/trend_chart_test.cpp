// The trend chart through its real widgets, offscreen; leaves pictures in the build folder.

#include "ui/trend_chart.h"
#include "common/prompts.h"
#include "config/trend.h"

#include <QChart>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace veld;

namespace {

using Values = std::vector<std::optional<double>>;

// What the chart should draw: the lengths of the newest kMaxSegments runs of valid samples as
// lines, and the number of samples in older runs, drawn as dots.
struct Drawn {
    std::vector<int> lines;
    int older = 0;
    bool operator==(const Drawn&) const = default;
};

Drawn Expected(const Values& values) {
    std::vector<int> runs;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] && (i == 0 || !values[i - 1]))
            runs.push_back(0);
        if (values[i])
            ++runs.back();
    }
    Drawn d;
    const std::size_t keep = std::min(runs.size(), ui::TrendChart::kMaxSegments);
    for (std::size_t i = 0; i < runs.size() - keep; ++i)
        d.older += runs[i];
    d.lines.assign(runs.end() - static_cast<std::ptrdiff_t>(keep), runs.end());
    return d;
}

// Line series in time order (a reused series keeps its place in the chart's list).
Drawn Actual(ui::TrendChart& chart) {
    std::vector<QLineSeries*> lines;
    for (QAbstractSeries* s : chart.chart().series()) {
        if (s->type() == QAbstractSeries::SeriesTypeLine)
            lines.push_back(static_cast<QLineSeries*>(s));
    }
    std::sort(lines.begin(), lines.end(),
              [](QLineSeries* a, QLineSeries* b) { return a->at(0).x() < b->at(0).x(); });
    Drawn d;
    for (QLineSeries* s : lines)
        d.lines.push_back(static_cast<int>(s->count()));
    d.older = chart.olderPointCount();
    return d;
}

config::Trend::Micros Tick(std::size_t i) {
    return std::chrono::milliseconds(1500) * static_cast<int>(i + 1);
}

}  // namespace

class TrendChartTest : public QObject {
    Q_OBJECT
private slots:
    void segmentsFollowTheRunsBetweenGaps_data();
    void segmentsFollowTheRunsBetweenGaps();
    void loneSamplesShowAsDotsInOneColour();
    void labelsShowTheStatistics_saveWritesTheCsv_startClears();
    void picture_withGaps();
};

void TrendChartTest::segmentsFollowTheRunsBetweenGaps_data() {
    QTest::addColumn<Values>("values");
    const auto gap = std::nullopt;
    QTest::newRow("no gap") << Values{1.0, 2.0, 3.0};
    QTest::newRow("gaps inside") << Values{1.0, 2.0, gap, 3.0, gap, gap, 4.0, 5.0};
    QTest::newRow("gaps at both ends") << Values{gap, 1.0, gap, 2.0, 3.0, gap};
    QTest::newRow("only gaps") << Values{gap, gap};
    QTest::newRow("alternating") << Values{1.0, gap, 2.0, gap, 3.0, gap, 4.0};
    Values often;  // more runs than lines
    for (int i = 0; i < 250; ++i) {
        for (int k = 0; k <= i % 3; ++k)
            often.push_back(i + k * 0.1);
        often.push_back(gap);
    }
    QTest::newRow("fails often") << often;
}

// One by one as the ticks come and all at once as after a late refresh: the same picture.
void TrendChartTest::segmentsFollowTheRunsBetweenGaps() {
    QFETCH(Values, values);
    ScriptedPrompts prompts;
    config::Trend trend;
    trend.start(0s, u"°C"_s, 3);
    ui::TrendChart live(trend, prompts);
    for (std::size_t i = 0; i < values.size(); ++i) {
        trend.add(Tick(i), values[i]);
        live.refresh();
    }
    ui::TrendChart late(trend, prompts);
    late.refresh();
    const Drawn expected = Expected(values);
    QCOMPARE(live.segmentCount(), static_cast<int>(expected.lines.size()));
    QVERIFY(Actual(live) == expected);
    QVERIFY(Actual(late) == expected);
}

void TrendChartTest::loneSamplesShowAsDotsInOneColour() {
    ScriptedPrompts prompts;
    config::Trend trend;
    trend.start(0s, u"V"_s, 6);
    ui::TrendChart chart(trend, prompts);
    trend.add(1s, 1.0);
    trend.add(2s, std::nullopt);
    trend.add(3s, 2.0);
    chart.refresh();
    const auto series = chart.chart().series();
    QCOMPARE(series.size(), 2);
    auto* first = static_cast<QLineSeries*>(series[0]);
    auto* second = static_cast<QLineSeries*>(series[1]);
    QVERIFY(first->pointsVisible());
    QCOMPARE(first->pen().color(), second->pen().color());
    trend.add(4s, 3.0);
    chart.refresh();
    QVERIFY(!second->pointsVisible());  // a line now, no longer a dot
    QVERIFY(first->pointsVisible());
}

void TrendChartTest::labelsShowTheStatistics_saveWritesTheCsv_startClears() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"trend.csv"_s);
    ScriptedPrompts prompts;
    prompts.fileAnswers.append(path);
    config::Trend trend;
    trend.start(0s, u"°C"_s, 3);
    ui::TrendChart chart(trend, prompts);
    auto label = [&chart](const char* name) {
        return chart.findChild<QLabel*>(QString::fromLatin1(name))->text();
    };
    for (double v : {20.0, 25.0, 21.5})
        trend.add(std::chrono::seconds(static_cast<int>(v)), v);
    trend.add(30s, std::nullopt);
    chart.refresh();
    QCOMPARE(label("TrendLast"), u"Poslední: –"_s);
    QCOMPARE(label("TrendMinimum"), u"Minimum: 20.000 °C"_s);
    QCOMPARE(label("TrendMaximum"), u"Maximum: 25.000 °C"_s);
    QCOMPARE(label("TrendMean"), u"Průměr: 22.167 °C"_s);
    auto* value = static_cast<QValueAxis*>(chart.chart().axes(Qt::Vertical).front());
    QVERIFY(value->min() <= 20.0 && value->max() >= 25.0);
    QCOMPARE(value->titleText(), u"Naměřená hodnota [°C]"_s);

    auto* save = chart.findChild<QPushButton*>(u"TrendSaveCsv"_s);
    QTest::mouseClick(save, Qt::LeftButton);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), trend.csvBytes());
    QVERIFY(prompts.messages.isEmpty());

    trend.start(100s, u"mA"_s, 3);
    chart.refresh();
    QCOMPARE(chart.segmentCount(), 0);
    QCOMPARE(label("TrendMaximum"), u"Maximum: –"_s);
    QCOMPARE(value->titleText(), u"Naměřená hodnota [mA]"_s);
    QVERIFY(!save->isEnabled());
}

// Half an hour with one long outage and a few single failures; then twenty minutes failing every
// fifth time, more runs than lines.
void TrendChartTest::picture_withGaps() {
    const QString folder = QString::fromUtf8(VELD_SCREENSHOT_DIR);
    QVERIFY(QDir().mkpath(folder));
    for (const bool often : {false, true}) {
        ScriptedPrompts prompts;
        config::Trend trend;
        trend.start(0s, u"°C"_s, 3);
        Values values;
        for (int i = 0; i < 1200; ++i) {
            const bool failed = often ? i < 800 && i % 5 == 4
                                      : (i >= 400 && i < 460) || i == 700 || i == 702 || i == 900;
            values.push_back(failed ? std::nullopt
                                    : std::optional(50.0 + 40.0 * std::sin(i / 120.0) +
                                                    0.8 * std::sin(i * 7.3)));
            trend.add(Tick(static_cast<std::size_t>(i)), values.back());
        }
        ui::TrendChart chart(trend, prompts);
        chart.resize(900, 420);
        chart.refresh();
        QVERIFY(Actual(chart) == Expected(values));
        QCOMPARE(chart.olderPointCount() > 0, often);
        QVERIFY(chart.grab().save(folder + (often ? u"/trend-often.png"_s : u"/trend.png"_s)));
    }
}

QTEST_MAIN(TrendChartTest)
#include "trend_chart_test.moc"
