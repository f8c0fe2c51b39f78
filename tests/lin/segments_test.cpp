#include "lin_fixture.h"

namespace veld::lin {
namespace {

class Segments : public testing::LinTest {
protected:
    SegmentImage image;
    bool build(const std::vector<Point>& points) {
        EXPECT_TRUE(store.load(points));
        return math.BuildLineSegments(image);
    }
};

std::vector<Point> rising(int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<long double>(i) * 0.5L, static_cast<long double>(i * i)});
    return points;
}

TEST_F(Segments, twentyOnePointsGiveTwentySegmentsWithoutCopies) {
    ASSERT_TRUE(build(rising(21)));
    EXPECT_TRUE(messages().empty());
    for (std::size_t k = 0; k < 20; ++k) {
        const long double x = static_cast<long double>(k) * 0.5L;
        EXPECT_EQ(image.groups[k].x, static_cast<float>(x));
        EXPECT_EQ(image.groups[k].c3, 0.0f);
        EXPECT_EQ(image.groups[k].c2, 0.0f);
        // (y[k+1] - y[k]) / 0.5 = 2 (2k + 1)
        EXPECT_EQ(image.groups[k].c1, static_cast<float>(2 * (2 * k + 1)));
        EXPECT_EQ(image.groups[k].c0, static_cast<float>(k * k));
    }
    EXPECT_EQ(image.groups[20].x, 10.0f);
}

TEST_F(Segments, shortTablesRepeatTheirLastSegment) {
    ASSERT_TRUE(build(rising(5)));
    for (std::size_t k = 4; k < 20; ++k) {
        EXPECT_EQ(image.groups[k].x, image.groups[3].x);
        EXPECT_EQ(image.groups[k].c1, image.groups[3].c1);
        EXPECT_EQ(image.groups[k].c0, image.groups[3].c0);
    }
    EXPECT_EQ(image.groups[20].x, 2.0f);  // the last point's input
    // Evaluated as the transmitter does, the table passes through the points.
    for (const Point& p : rising(5))
        EXPECT_NEAR(static_cast<double>(EvalSegmentImage(image, p.in)), static_cast<double>(p.out),
                    1e-5);

    // Two points: one segment twenty times.
    ASSERT_TRUE(build({{4, 0}, {20, 100}}));
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(image.groups[k].x, 4.0f);
        EXPECT_EQ(image.groups[k].c1, 6.25f);
        EXPECT_EQ(image.groups[k].c0, 0.0f);
    }
    EXPECT_EQ(image.groups[20].x, 20.0f);
}

TEST_F(Segments, fallingInputsAreReversedFirstAndTheStoreKeepsItsOrder) {
    ASSERT_TRUE(build({{3, 30}, {2, 20}, {1, 10}}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(image.groups[0].x, 1.0f);
    EXPECT_EQ(image.groups[0].c0, 10.0f);
    EXPECT_EQ(image.groups[1].x, 2.0f);
    EXPECT_EQ(image.groups[20].x, 3.0f);
    EXPECT_EQ(store.PointsIn[1], 3.0L);
}

TEST_F(Segments, riseThenFallNamesTheInputBeforeTheLastFallAndStillBuilds) {
    ASSERT_TRUE(build({{1, 0}, {2, 1}, {1.5L, 2}, {3, 3}, {2.5L, 4}}));
    EXPECT_EQ(messages(), std::vector<std::string>{
                              "Průběh vstupní křivky není prostý v bodě 3."
                              "   Vstupní křivka musí mít stále rostoucí charakteristiku !!!"});
    EXPECT_EQ(math.CurveError, 0);
    EXPECT_EQ(image.groups[20].x, 2.5f);
}

TEST_F(Segments, fewerThanTwoPointsAreRefused) {
    image.groups[0].x = 123;
    store.PointCount = 1;
    EXPECT_FALSE(math.BuildLineSegments(image));
    EXPECT_EQ(math.CurveError, 1);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("alespoň 2 body"), std::string::npos);
    EXPECT_EQ(image.groups[0].x, 123.0f);  // untouched
}

TEST_F(Segments, refusalsAndArithmeticErrorsEndTheBuildAndHandOutNothing) {
    const std::string kCannot = "Nelze provést výpočet linearizace proložením lineárních úseků.";
    struct Case {
        const char* what;
        std::vector<Point> points;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"more than 21 points",
         rising(22),
         {"Maximální počet bodů pro linearizaci metodou proložení lineárními přímkami v zadaných "
          "bodech je 21."}},
        {"equal neighbouring inputs", {{1, 0}, {2, 1}, {2, 2}, {3, 3}}, {kCannot}},
        {"a slope beyond the single range", {{0, 0}, {1e-30L, 1e10L}, {1, 2e10L}}, {kCannot}},
        {"an input beyond the single range", {{0, 0}, {1e39L, 1}}, {kCannot}},
        // The falling message comes first: it is given before any slope is computed.
        {"a fall before equal inputs",
         {{1, 0}, {3, 1}, {2, 2}, {2, 3}},
         {"Průběh vstupní křivky není prostý v bodě 3.   Vstupní křivka musí mít stále rostoucí "
          "charakteristiku !!!",
          kCannot}},
    };
    for (const auto& c : cases) {
        recorded.messages.clear();
        image.groups[0].x = 123;
        EXPECT_FALSE(build(c.points)) << c.what;
        EXPECT_EQ(math.CurveError, 1) << c.what;
        EXPECT_EQ(messages(), c.shown) << c.what;
        EXPECT_EQ(image.groups[0].x, 123.0f) << c.what;  // nothing half-built is handed out
    }
}

}  // namespace
}  // namespace veld::lin
