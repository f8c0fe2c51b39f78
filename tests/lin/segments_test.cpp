#include "lin/functions.h"

#include <gtest/gtest.h>

namespace veld::lin {
namespace {

std::vector<Point> rising(int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<long double>(i) * 0.5L, static_cast<long double>(i * i)});
    return points;
}

TEST(Segments, twentyOnePointsGiveTwentySegmentsWithoutCopies) {
    const auto r = Segments(rising(21));
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.messages.empty());
    for (std::size_t k = 0; k < 20; ++k) {
        const SegmentGroup& g = r->groups[k];
        EXPECT_EQ(g.x, static_cast<float>(static_cast<long double>(k) * 0.5L));
        EXPECT_EQ(g.c3, 0.0f);
        EXPECT_EQ(g.c2, 0.0f);
        // (y[k+1] - y[k]) / 0.5 = 2 (2k + 1)
        EXPECT_EQ(g.c1, static_cast<float>(2 * (2 * k + 1)));
        EXPECT_EQ(g.c0, static_cast<float>(k * k));
    }
    EXPECT_EQ(r->groups[20].x, 10.0f);
}

TEST(Segments, shortTablesRepeatTheirLastSegment) {
    const auto five = Segments(rising(5));
    ASSERT_TRUE(five);
    for (std::size_t k = 4; k < 20; ++k) {
        EXPECT_EQ(five->groups[k].x, five->groups[3].x);
        EXPECT_EQ(five->groups[k].c1, five->groups[3].c1);
        EXPECT_EQ(five->groups[k].c0, five->groups[3].c0);
    }
    EXPECT_EQ(five->groups[20].x, 2.0f);  // the last point's input
    // Evaluated as the transmitter does, the table passes through the points.
    for (const Point& p : rising(5))
        EXPECT_NEAR(static_cast<double>(EvalSegmentImage(*five, p.in)), static_cast<double>(p.out),
                    1e-5);

    // Two points: one segment twenty times.
    const auto two = Segments({{4, 0}, {20, 100}});
    ASSERT_TRUE(two);
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(two->groups[k].x, 4.0f);
        EXPECT_EQ(two->groups[k].c1, 6.25f);
        EXPECT_EQ(two->groups[k].c0, 0.0f);
    }
    EXPECT_EQ(two->groups[20].x, 20.0f);
}

TEST(Segments, fallingInputsAreReversedFirst) {
    const auto r = Segments({{3, 30}, {2, 20}, {1, 10}});
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r->groups[0].x, 1.0f);
    EXPECT_EQ(r->groups[0].c0, 10.0f);
    EXPECT_EQ(r->groups[1].x, 2.0f);
    EXPECT_EQ(r->groups[20].x, 3.0f);
}

TEST(Segments, riseThenFallNamesTheInputBeforeTheLastFallAndStillBuilds) {
    const auto r = Segments({{1, 0}, {2, 1}, {1.5L, 2}, {3, 3}, {2.5L, 4}});
    ASSERT_TRUE(r);
    EXPECT_EQ(r.messages,
              Messages{"Průběh vstupní křivky není prostý v bodě 3."
                       "   Vstupní křivka musí mít stále rostoucí charakteristiku !!!"});
    EXPECT_EQ(r->groups[20].x, 2.5f);
}

TEST(Segments, refusalsAndArithmeticErrorsGiveNoTable) {
    const std::string kCannot = "Nelze provést výpočet linearizace proložením lineárních úseků.";
    struct Case {
        const char* what;
        std::vector<Point> points;
        Messages shown;
    };
    const Case cases[] = {
        {"one point",
         {{1, 2}},
         {"Pro proložení lineárními přímkami jsou potřeba alespoň 2 body, soubor jich má 1."}},
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
        const auto r = Segments(c.points);
        EXPECT_FALSE(r) << c.what;
        EXPECT_EQ(r.messages, c.shown) << c.what;
    }
}

}  // namespace
}  // namespace veld::lin
