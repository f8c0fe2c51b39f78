// The point-file reader on arbitrary bytes: never more than 100 points, only values the
// transmitter's reals can hold, and a refusal says why in a short message without raw control
// bytes.

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "lin/functions.h"
#include "lin/point_file.h"

using namespace veld;

namespace {

// The message quotes at most about 40 characters of the file; the fixed texts around the quote
// are well below this.
constexpr std::size_t kMaxMessageBytes = 400;

bool ValidUtf8(const std::string& s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// Zero, or a magnitude a normal single holds.
bool Single(long double v) {
    return v == 0 || (std::fabs(v) >= FLT_MIN && std::fabs(v) <= FLT_MAX);
}

bool Finite(float v) {
    return std::isfinite(v);
}

// What an accepted file goes on to: the fit over the range of its desired values (the degree
// picked by the file's length) and the straight segments. A result they give is usable.
void CheckMathematics(const std::vector<lin::Point>& points, std::size_t size) {
    const auto [low, high] = std::minmax_element(
        points.begin(), points.end(), [](const auto& a, const auto& b) { return a.out < b.out; });
    const int degree = 1 + static_cast<int>(size % 10);
    const auto fit = lin::Fit(points, degree, low->out, high->out);
    if (fit) {
        for (int i = 0; i <= fit->degree; ++i)
            FUZZ_CHECK(std::isfinite(fit->coefficients[static_cast<std::size_t>(i)]),
                       "a fit that succeeds has finite coefficients");
        FUZZ_CHECK(std::isfinite(fit->maxDeviation), "a fit that succeeds has a deviation");
    }
    const auto segments = lin::Segments(points);
    if (segments) {
        for (const lin::SegmentGroup& g : segments->groups)
            FUZZ_CHECK(Finite(g.x) && Finite(g.c0) && Finite(g.c1) && Finite(g.c2) && Finite(g.c3),
                       "segments that succeed are finite singles");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const lin::PointFileResult r = lin::ReadPointFile(in);
    FUZZ_CHECK(r.points.size() <= static_cast<std::size_t>(lin::kMaxPoints),
               "never more than 100 points");
    if (r.ok) {
        FUZZ_CHECK(r.points.size() >= 2, "an accepted file has two points at least");
        FUZZ_CHECK(r.message.empty(), "an accepted file shows no message");
        for (const lin::Point& p : r.points)
            FUZZ_CHECK(Single(p.in) && Single(p.out), "accepted values fit single precision");
        lin::PointStore store;
        FUZZ_CHECK(store.load(r.points), "an accepted file loads into the point store");
        CheckMathematics(r.points, size);
        return 0;
    }
    FUZZ_CHECK(!r.message.empty(), "a refused file says why");
    FUZZ_CHECK(r.message.size() <= kMaxMessageBytes, "a message quotes a short part of the file");
    FUZZ_CHECK(r.message.find('\0') == std::string::npos, "no raw NUL in a message");
    FUZZ_CHECK(r.message.find('\r') == std::string::npos, "no raw CR in a message");
    FUZZ_CHECK(r.message.find('\n') == std::string::npos, "no raw line feed in a message");
    FUZZ_CHECK(ValidUtf8(r.message), "a message is valid UTF-8");
    // Only a file with too many points keeps the first 100, for the caller to see.
    FUZZ_CHECK(r.points.empty() || r.points.size() == static_cast<std::size_t>(lin::kMaxPoints),
               "a refused file yields no points");
    FUZZ_CHECK(r.badLine >= 0, "the line number is a line");
    return 0;
}
