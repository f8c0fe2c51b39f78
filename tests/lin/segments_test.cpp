#include "lin/functions.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace veld::lin {
namespace {

std::vector<Point> rising(int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<long double>(i) * 0.5L, static_cast<long double>(i * i)});
    return points;
}

TEST(Segments, shortTablesRepeatTheirLastSegment_fallingInputsAreReversed) {
    struct Case {
        std::vector<Point> points;
        std::size_t segments;  // distinct ones; the last repeated up to 20
    };
    const Case cases[] = {{rising(21), 20},
                          {rising(5), 4},
                          {{{4, 0}, {20, 100}}, 1},
                          {{{3, 30}, {2, 20}, {1, 10}}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.segments);
        const auto r = Segments(c.points);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r.messages.empty());
        std::vector<Point> sorted = c.points;
        if (sorted[0].in > sorted[1].in)
            std::reverse(sorted.begin(), sorted.end());
        for (std::size_t k = 0; k < 20; ++k) {
            const std::size_t n = std::min(k, c.segments - 1);
            const SegmentGroup& g = r->groups[k];
            EXPECT_EQ(g.x, static_cast<float>(sorted[n].in)) << k;
            EXPECT_EQ(g.c3, 0.0f);
            EXPECT_EQ(g.c2, 0.0f);
            EXPECT_EQ(g.c1, static_cast<float>((sorted[n + 1].out - sorted[n].out) /
                                               (sorted[n + 1].in - sorted[n].in)))
                << k;
            EXPECT_EQ(g.c0, static_cast<float>(sorted[n].out)) << k;
        }
        EXPECT_EQ(r->groups[20].x, static_cast<float>(sorted.back().in));
        // Evaluated as the transmitter does, the table passes through the points.
        for (const Point& p : sorted)
            EXPECT_NEAR(static_cast<double>(EvalSegmentImage(*r, p.in)), static_cast<double>(p.out),
                        1e-5);
    }
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
