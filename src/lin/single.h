#pragma once

#include <cfloat>
#include <limits>

namespace veld::lin {

// The transmitter keeps every real as a single. Narrowing beyond the single's range gives an
// infinity rather than undefined behaviour.
inline float ToSingle(long double v) {
    if (v > FLT_MAX)
        return std::numeric_limits<float>::infinity();
    if (v < -FLT_MAX)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(v);
}

}  // namespace veld::lin
