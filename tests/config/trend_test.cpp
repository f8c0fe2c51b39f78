#include "config/trend.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <ostream>

#include "../support/process_limits.h"

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace veld::config {
namespace {

constexpr std::nullopt_t kGap = std::nullopt;

// A trend started at 100 s on the clock, one sample every 1.5 s.
Trend Filled(std::initializer_list<std::optional<double>> values, const QString& unit = u"°C"_s,
             int decimals = 3) {
    Trend trend;
    trend.start(100s, unit, decimals);
    auto t = 100'000'000us;
    for (const auto& v : values) {
        t += 1'500'000us;
        trend.add(t, v);
    }
    return trend;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The labels' statistics are the trend chart's tests; here what is no number.
TEST(TrendTest, whatIsNoNumberIsAGap) {
    const Trend none = Filled(
        {kGap, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()});
    EXPECT_EQ(none.validCount(), 0u);
    EXPECT_EQ(std::tuple(none.minimum(), none.mean(), none.last()),
              std::tuple(std::nullopt, std::nullopt, std::nullopt));
    for (const TrendSample& s : none.samples())
        EXPECT_EQ(s.value, std::nullopt);
}

TEST(TrendTest, csvHasHeaderTimeValueUnitAndEmptyValuesForGaps) {
    const QByteArray header = u"čas [s],hodnota,jednotka\r\n"_s.toUtf8();
    EXPECT_EQ(Filled({100.0, kGap, -0.25}).csvBytes(),
              header + u"1.500,100.000,°C\r\n3.000,,°C\r\n4.500,-0.250,°C\r\n"_s.toUtf8());
    EXPECT_EQ(Filled({1.0}, QString(), 6).csvBytes(), header + "1.500,1.000000,\r\n");
    EXPECT_EQ(Filled({1.0}, u"a,\"b\""_s).csvBytes().split('\n').at(1),
              QByteArray("1.500,1.000,\"a,\"\"b\"\"\"\r"));

    // Where the decimal separator is a comma: what a spreadsheet set so reads in columns.
    Trend comma;
    comma.start(100s, u"a;b"_s, 3, DecimalSeparator::Comma);
    comma.add(101'500ms, -0.25);
    comma.add(103s, kGap);
    EXPECT_EQ(comma.csvBytes(),
              u"\uFEFFčas [s];hodnota;jednotka\r\n1,500;-0,250;\"a;b\"\r\n"
              u"3,000;;\"a;b\"\r\n"_s.toUtf8());
}

#ifndef _WIN32
// The disk fills up, once within the write buffer (it shows only at the flush) and once half-way
// through a long write: the file that was there before must still be whole.
TEST(TrendTest, failedWriteKeepsThePreviousFile) {
    for (const int samples : {2, 2000}) {  // some 60 bytes, some 40 kB
        QTemporaryDir dir;
        const QString path = dir.filePath(u"trend.csv"_s);
        const QByteArray previous = "earlier measurement, longer than the limit\n";
        {
            QFile old(path);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write(previous);
        }
        Trend trend;
        trend.start(0s, u"°C"_s, 3);
        for (int i = 0; i < samples; ++i)
            trend.add(std::chrono::seconds(i), 42.0);

        const TrendSaveResult result =
            testing::WithFileSizeLimit(32, [&] { return trend.saveCsv(path); });
        EXPECT_FALSE(result) << samples;
        EXPECT_TRUE(result.message.contains(path + u"“ se nepodařilo uložit: Chyba c. 27"_s))
            << result.message.toStdString();
        EXPECT_EQ(ReadAll(path), previous);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{u"trend.csv"_s})
            << "no temporary file left behind";
    }
}
#endif

TEST(TrendTest, theButtonAsksForAFileSavesTheCsvAndReportsOnlyFailures) {
    QTemporaryDir dir;
    const Trend trend = Filled({1.0});
    ScriptedPrompts prompts;
    prompts.fileAnswers = {dir.filePath(u"a.csv"_s), dir.filePath(u"chybí/b.csv"_s)};
    EXPECT_EQ(saveTrendCsv(trend, prompts), Outcome::Completed);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(prompts.fileRequests.front().title, u"Uložit CSV"_s);
    EXPECT_EQ(ReadAll(dir.filePath(u"a.csv"_s)), trend.csvBytes());
    EXPECT_EQ(saveTrendCsv(trend, prompts), Outcome::Stopped);  // a missing folder
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(dir.filePath(u"chybí/b.csv"_s)))
        << prompts.messages[0].toStdString();
    EXPECT_EQ(saveTrendCsv(trend, prompts), Outcome::Declined) << "dialog cancelled";
}

}  // namespace
}  // namespace veld::config
