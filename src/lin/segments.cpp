#include "lin/functions.h"

#include "lin/format.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace veld::lin {

Result<SegmentImage> Segments(const std::vector<Point>& points) {
    Result<SegmentImage> result;
    Messages& messages = result.messages;
    const std::size_t count = points.size();
    if (count < 2) {
        messages.push_back(
            "Pro proložení lineárními přímkami jsou potřeba alespoň 2 body, soubor jich má " +
            std::to_string(count) + ".");
        return result;
    }
    if (count > kSegmentCount + 1) {
        messages.emplace_back(
            "Maximální počet bodů pro linearizaci metodou "
            "proložení lineárními přímkami v zadaných bodech je 21.");
        return result;
    }

    // Reversing is part of building the table, not a change of the user's points.
    std::vector<Point> p = points;
    if (p[1].in < p[0].in)
        std::reverse(p.begin(), p.end());

    std::string lastFall;
    for (std::size_t i = 1; i < p.size(); ++i)
        if (p[i].in < p[i - 1].in)
            lastFall = FormatGeneral(p[i - 1].in);
    if (!lastFall.empty())
        messages.push_back("Průběh vstupní křivky není prostý v bodě " + lastFall + "." +
                           "   Vstupní křivka musí mít stále rostoucí charakteristiku !!!");

    // Two neighbours with one input value divide by zero, and a value beyond the single range
    // cannot be stored: either makes the table unusable.
    bool arithmeticError = false;
    auto single = [&arithmeticError](long double v) {
        if (!(std::fabs(v) <= std::numeric_limits<float>::max())) {
            arithmeticError = true;
            return 0.0f;
        }
        return static_cast<float>(v);
    };
    SegmentImage built;
    const std::size_t segments = p.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        SegmentGroup& g = built.groups[i];
        g.x = single(p[i].in);
        g.c3 = 0;
        g.c2 = 0;
        g.c1 = single((p[i + 1].out - p[i].out) / (p[i + 1].in - p[i].in));
        g.c0 = single(p[i].out);
    }
    for (std::size_t k = segments; k < static_cast<std::size_t>(kSegmentCount); ++k)
        built.groups[k] = built.groups[segments - 1];
    built.groups[kSegmentCount] = SegmentGroup{};
    built.groups[kSegmentCount].x = single(p.back().in);
    if (arithmeticError) {
        messages.emplace_back("Nelze provést výpočet linearizace proložením lineárních úseků.");
        return result;
    }
    result.value = built;
    return result;
}

}  // namespace veld::lin
