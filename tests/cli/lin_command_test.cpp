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
};

// The computations are the lin tests'; here what is printed of them, worked out by hand.
// Wherever --json stands, and negative numbers are values, not options.
TEST_F(LinCommandTest, printsValuesAndTablesInFullPrecision) {
    // A table of one straight line through (x, 0): its segment repeated, the end breakpoint last.
    const auto oneLine = [](const std::string& x, const std::string& c1, const std::string& end) {
        std::string breakpoints, segments;
        for (int k = 0; k < 20; ++k) {
            breakpoints += x + ",";
            segments +=
                (k ? ",{\"c0\":0,\"c1\":" : "{\"c0\":0,\"c1\":") + c1 + ",\"c2\":0,\"c3\":0}";
        }
        return "{\"breakpoints\":[" + breakpoints + end + "],\"segments\":[" + segments + "]}\n";
    };
    std::string text = "k\tx\tc3\tc2\tc1\tc0\n";
    for (int k = 0; k < 20; ++k)
        text += std::to_string(k) + "\t4\t0\t0\t6.25\t0\n";
    const std::string falling = file(u"s.txt"_s, "20 100\n4 0\n");
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        // Pt100 at -100 °C: 100 (1 - 100 A + 10^4 B + 2 10^8 C) ohms, exactly.
        {{"curve", "9", "100", "-100", "--json"}, "{\"values\":[138.5,60.25413]}\n"},
        {{"--json", "inverse", "9", "138.5", "100"}, "{\"values\":[100,0]}\n"},
        {{"curve", "16", "-2.5", "3"}, "-2.5\t-2.5\n3\t3\n"},  // text by default: value, result
        {{"segments", falling}, text + "20\t20\n"},
        {{"segments", falling, "--json"}, oneLine("4", "6.25", "20")},
        // 0.1 is not a single: the table carries 0.100000001490116..., and so must the output.
        {{"--json", "segments", file(u"e.txt"_s, "0.1 0\n1 0.3\n")},
         oneLine("0.10000000149011612", "0.3333333432674408", "1")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        ASSERT_EQ(lin(c.args), kSuccess) << err.str();
        EXPECT_EQ(out.str(), c.out);
        EXPECT_TRUE(err.str().empty());
    }
}

TEST_F(LinCommandTest, splineShowsItsDeviation_fitItsCoefficientsHighestFirst) {
    ASSERT_EQ(lin({"spline", "9", "0", "100", "--json"}), kSuccess) << err.str();
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(out.str())).object();
    const QJsonArray breakpoints = o[u"breakpoints"_s].toArray();
    const QJsonArray segments = o[u"segments"_s].toArray();
    ASSERT_EQ(breakpoints.size(), 21);
    ASSERT_EQ(segments.size(), 20);
    EXPECT_EQ(breakpoints[20].toDouble(), 138.5);
    EXPECT_EQ(segments[19].toObject()[u"c0"_s].toDouble(), 95.0);  // the node at 95 °C
    EXPECT_GT(o[u"max_deviation"_s].toDouble(), 0.0);
    EXPECT_LE(o[u"rms_deviation"_s].toDouble(), o[u"max_deviation"_s].toDouble());

    ASSERT_EQ(lin({"precise", "9", "0", "25"}), kSuccess) << err.str();
    EXPECT_EQ(out.str().substr(0, 16), "k\tx\tc3\tc2\tc1\tc0\n");
    EXPECT_NE(out.str().find("\nsingle_max_deviation\t"), std::string::npos) << out.str();

    // y = 2x + 1, exactly; the deviation's line goes to standard error.
    const auto points = file(u"fit.txt"_s, "0 1\n1 3\n2 5\n3 7\n4 9\n");
    ASSERT_EQ(lin({"fit", points, "1", "1", "9", "--json"}), kSuccess) << err.str();
    EXPECT_EQ(out.str().rfind("{\"coefficients\":[2,1],\"degree\":1,\"max_deviation\":", 0), 0u)
        << out.str();
    EXPECT_NE(out.str().find("\"max_percent\":"), std::string::npos);
    EXPECT_EQ(err.str(), "Max.odchylka v % =0\n");
}

}  // namespace
}  // namespace veld::cli::test
