#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace veld::cli::test {
namespace {

using namespace Qt::Literals::StringLiterals;

class LinCommandTest : public CliTest {
protected:
    int lin(std::vector<std::string> args) {
        args.insert(args.begin(), "lin");
        return run(args);
    }
    QJsonObject json() const {
        QJsonParseError error{};
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(out.str()), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << out.str();
        return doc.object();
    }
};

// Wherever --json stands, and negative numbers are values, not options.
TEST_F(LinCommandTest, curveAndInversePrintEveryValueInFullPrecision) {
    struct Case {
        std::vector<std::string> args;
        std::vector<double> values;
        double tolerance;
    };
    const Case cases[] = {
        {{"curve", "1", "100", "1000", "--json"}, {4.0953e-3, 41.269e-3}, 0.0005e-3},
        {{"--json", "curve", "9", "-100"}, {60.254}, 0.0005},
        {{"inverse", "9", "138.5", "100", "--json"}, {100.0, 0.0}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[1] + " " + c.args[2]);
        ASSERT_EQ(lin(c.args), kSuccess) << err.str();
        const QJsonArray values = json()[u"values"_s].toArray();
        ASSERT_EQ(values.size(), static_cast<qsizetype>(c.values.size()));
        for (std::size_t i = 0; i < c.values.size(); ++i)
            EXPECT_NEAR(values[static_cast<qsizetype>(i)].toDouble(), c.values[i], c.tolerance);
        EXPECT_TRUE(err.str().empty());
    }
    ASSERT_EQ(lin({"curve", "16", "-2.5", "3"}), kSuccess);
    EXPECT_EQ(out.str(), "-2.5\t-2.5\n3\t3\n");  // text by default: value and result
}

TEST_F(LinCommandTest, splineShowsTheUploadImageAndItsDeviation) {
    ASSERT_EQ(lin({"spline", "1", "-200", "1370", "--json"}), kSuccess) << err.str();
    const QJsonObject o = json();
    const QJsonArray breakpoints = o[u"breakpoints"_s].toArray();
    const QJsonArray segments = o[u"segments"_s].toArray();
    ASSERT_EQ(breakpoints.size(), 21);
    ASSERT_EQ(segments.size(), 20);
    // Breakpoints are K signals in volts: -5.891 mV at -200, 54.807 mV at 1370.
    EXPECT_NEAR(breakpoints[0].toDouble(), -5.891e-3, 0.001e-3);
    EXPECT_NEAR(breakpoints[20].toDouble(), 54.807e-3, 0.001e-3);
    EXPECT_EQ(segments[0].toObject()[u"c0"_s].toDouble(), -200.0);
    EXPECT_EQ(segments[19].toObject()[u"c0"_s].toDouble(), 1291.5);

    EXPECT_GT(o[u"max_deviation"_s].toDouble(), 0.0);
    EXPECT_LE(o[u"rms_deviation"_s].toDouble(), o[u"max_deviation"_s].toDouble());

    ASSERT_EQ(lin({"precise", "9", "0", "25"}), kSuccess) << err.str();
    EXPECT_EQ(out.str().substr(0, 16), "k\tx\tc3\tc2\tc1\tc0\n");
    EXPECT_NE(out.str().find("\nsingle_max_deviation\t"), std::string::npos) << out.str();
}

TEST_F(LinCommandTest, fitPrintsCoefficientsHighestFirst) {
    const auto path = file(u"fit.txt"_s, "0 1\n1 3\n2 5\n3 7\n4 9\n");
    ASSERT_EQ(lin({"fit", path, "3", "1", "9", "--json"}), kSuccess) << err.str();
    const QJsonObject o = json();
    EXPECT_EQ(o[u"degree"_s].toInt(), 3);
    const QJsonArray a = o[u"coefficients"_s].toArray();
    ASSERT_EQ(a.size(), 4);
    // Judged by the values at the points: y = 2x + 1.
    for (double x : {0.0, 1.0, 2.0, 3.0, 4.0}) {
        double p = 0;
        for (const auto& c : a)
            p = p * x + c.toDouble();
        EXPECT_NEAR(p, 2 * x + 1, 1e-5) << x;  // single-precision coefficients
    }
    EXPECT_EQ(err.str(), "Max.odchylka v % =0\n");
    EXPECT_TRUE(o.contains(u"max_percent"_s));
}

TEST_F(LinCommandTest, segmentsPrintTheTableOfStraightLinesInExactSingles) {
    ASSERT_EQ(lin({"segments", file(u"s.txt"_s, "20 100\n4 0\n"), "--json"}), kSuccess);
    QJsonObject o = json();
    const QJsonArray breakpoints = o[u"breakpoints"_s].toArray();
    ASSERT_EQ(breakpoints.size(), 21);
    EXPECT_EQ(breakpoints[0].toDouble(), 4.0);
    EXPECT_EQ(breakpoints[20].toDouble(), 20.0);
    EXPECT_EQ(o[u"segments"_s].toArray()[19].toObject()[u"c1"_s].toDouble(), 6.25);

    // 0.1 is not a single: the table carries 0.100000001490116..., and so must the output.
    ASSERT_EQ(lin({"segments", file(u"e.txt"_s, "0.1 0\n1 0.3\n"), "--json"}), kSuccess);
    EXPECT_EQ(out.str().substr(0, 36), "{\"breakpoints\":[0.10000000149011612,");
    o = json();
    EXPECT_EQ(o[u"breakpoints"_s].toArray()[0].toDouble(), static_cast<double>(0.1f));
    EXPECT_EQ(o[u"segments"_s].toArray()[0].toObject()[u"c0"_s].toDouble(), 0.0);
}

}  // namespace
}  // namespace veld::cli::test
