#include "lin/segment_image.h"

namespace veld::lin {

long double EvalSegmentImage(const SegmentImage& image, long double input) {
    std::size_t k = 0;
    while (k + 1 < static_cast<std::size_t>(kSegmentCount) && input >= image.groups[k + 1].x)
        ++k;
    const SegmentGroup& g = image.groups[k];
    const long double d = input - static_cast<long double>(g.x);
    return static_cast<long double>(g.c0) +
           d * (static_cast<long double>(g.c1) +
                d * (static_cast<long double>(g.c2) + d * static_cast<long double>(g.c3)));
}

float EvalSegmentImageSingle(const SegmentImage& image, float input) {
    std::size_t k = 0;
    while (k + 1 < static_cast<std::size_t>(kSegmentCount) && input >= image.groups[k + 1].x)
        ++k;
    const SegmentGroup& g = image.groups[k];
    const float d = input - g.x;
    return g.c0 + d * (g.c1 + d * (g.c2 + d * g.c3));
}

}  // namespace veld::lin
