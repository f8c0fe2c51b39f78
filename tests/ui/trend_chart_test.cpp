// The trend chart through its real widgets, offscreen.

#include "ui/trend_chart.h"
#include "common/prompts.h"
#include "config/trend.h"

#include <QtCharts>
#include <QtTest>
#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;
using namespace veld;

namespace {

using Values = std::vector<std::optional<double>>;

// The lengths of the runs of valid samples drawn as lines, in time order (a reused series keeps
// its place in the chart's list), and the number of samples drawn as dots.
std::pair<std::vector<int>, int> Drawn(ui::TrendChart& chart) {
    std::vector<QLineSeries*> lines;
    for (QAbstractSeries* s : chart.chart().series())
        if (s->type() == QAbstractSeries::SeriesTypeLine)
            lines.push_back(static_cast<QLineSeries*>(s));
    std::sort(lines.begin(), lines.end(),
              [](QLineSeries* a, QLineSeries* b) { return a->at(0).x() < b->at(0).x(); });
    std::vector<int> lengths;
    for (QLineSeries* s : lines)
        lengths.push_back(static_cast<int>(s->count()));
    return {lengths, chart.olderPointCount()};
}

}  // namespace

class TrendChartTest : public QObject {
    Q_OBJECT
private slots:
    void segmentsFollowTheRunsBetweenGaps_data() {
        QTest::addColumn<Values>("values");
        QTest::addColumn<std::vector<int>>("lines");
        QTest::addColumn<int>("older");
        const auto gap = std::nullopt;
        QTest::newRow("gaps inside and at both ends")
            << Values{gap, 1.0, 2.0, gap, 3.0, gap, gap, 4.0, 5.0, gap} << std::vector<int>{2, 1, 2}
            << 0;
        QTest::newRow("only gaps") << Values{gap, gap} << std::vector<int>{} << 0;
        // 250 runs of 1, 2 and 3 samples: the newest 100 are lines, the 300 samples
        // before them dots.
        Values often;
        std::vector<int> newest;
        for (int i = 0; i < 250; ++i) {
            for (int k = 0; k <= i % 3; ++k)
                often.push_back(i + k * 0.1);
            often.push_back(gap);
            if (i >= 150)
                newest.push_back(i % 3 + 1);
        }
        QTest::newRow("fails often") << often << newest << 300;
    }

    // One by one as the ticks come and all at once as after a late refresh: the
    // same picture.
    void segmentsFollowTheRunsBetweenGaps() {
        QFETCH(Values, values);
        QFETCH(std::vector<int>, lines);
        QFETCH(int, older);
        ScriptedPrompts prompts;
        config::Trend trend;
        trend.start(0s, u"°C"_s, 3);
        ui::TrendChart live(trend, prompts);
        for (std::size_t i = 0; i < values.size(); ++i) {
            trend.add(1500ms * static_cast<int>(i + 1), values[i]);
            live.refresh();
        }
        ui::TrendChart late(trend, prompts);
        late.refresh();
        QCOMPARE(live.segmentCount(), static_cast<int>(lines.size()));
        QVERIFY(Drawn(live) == std::pair(lines, older));
        QVERIFY(Drawn(late) == std::pair(lines, older));
    }

    void labelsShowTheStatistics_saveWritesTheCsv_startClears() {
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

        auto* save = chart.findChild<QPushButton*>(u"TrendSaveCsv"_s);
        QTest::mouseClick(save, Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), trend.csvBytes());

        trend.start(100s, u"mA"_s, 3);
        chart.refresh();
        QCOMPARE(label("TrendMaximum"), u"Maximum: –"_s);
        QCOMPARE(value->titleText(), u"Naměřená hodnota [mA]"_s);
        QVERIFY(!save->isEnabled());
    }
};

QTEST_MAIN(TrendChartTest)
#include "trend_chart_test.moc"
