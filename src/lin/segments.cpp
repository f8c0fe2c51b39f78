#include "lin/lin_math.h"

#include "lin/format.h"

#include <algorithm>

namespace veld::lin {

bool LinMath::BuildLineSegments(SegmentImage& image) {
    CurveError = 0;
    const int count = Points.PointCount;
    if (count < 2) {
        message("Pro proložení lineárními přímkami jsou potřeba alespoň 2 body, soubor jich má " +
                std::to_string(std::max(count, 0)) + ".");
        CurveError = 1;
        return false;
    }
    if (count > kSegmentCount + 1) {
        message(
            "Maximální počet bodů pro linearizaci metodou "
            "proložení lineárními přímkami v zadaných bodech je 21.");
        CurveError = 1;
        return false;
    }

    // Work on a copy: reversing is part of building the table, not a change of the user's
    // points. `line` keeps each point's number in the file for messages.
    struct Numbered {
        long double x, y;
        int line;
    };
    std::vector<Numbered> p;
    for (int i = 1; i <= count; ++i)
        p.push_back({Points.PointsIn[static_cast<std::size_t>(i)],
                     Points.PointsOut[static_cast<std::size_t>(i)], i});
    if (p[1].x < p[0].x)
        std::reverse(p.begin(), p.end());

    // Two points with one input value would need an infinite slope.
    for (std::size_t i = 1; i < p.size(); ++i) {
        if (p[i].x == p[i - 1].x) {
            message("Body " + std::to_string(std::min(p[i - 1].line, p[i].line)) + " a " +
                    std::to_string(std::max(p[i - 1].line, p[i].line)) +
                    " linearizačního souboru mají stejnou vstupní hodnotu " +
                    FormatGeneral(p[i].x) + ", úsek mezi nimi nelze vytvořit.");
            CurveError = 1;
            return false;
        }
    }

    std::string lastFall;
    for (std::size_t i = 1; i < p.size(); ++i)
        if (p[i].x < p[i - 1].x)
            lastFall = FormatGeneral(p[i - 1].x);
    if (!lastFall.empty())
        message("Průběh vstupní křivky není prostý v bodě " + lastFall + "." +
                "   Vstupní křivka musí mít stále rostoucí charakteristiku !!!");

    SegmentImage built;
    const std::size_t segments = p.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        SegmentGroup& g = built.groups[i];
        g.x = static_cast<float>(p[i].x);
        g.c3 = 0;
        g.c2 = 0;
        g.c1 = static_cast<float>((p[i + 1].y - p[i].y) / (p[i + 1].x - p[i].x));
        g.c0 = static_cast<float>(p[i].y);
    }
    for (std::size_t k = segments; k < static_cast<std::size_t>(kSegmentCount); ++k)
        built.groups[k] = built.groups[segments - 1];
    built.groups[kSegmentCount] = SegmentGroup{};
    built.groups[kSegmentCount].x = static_cast<float>(p.back().x);
    image = built;
    return true;
}

}  // namespace veld::lin
