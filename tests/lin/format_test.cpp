#include "lin/format.h"

#include <gtest/gtest.h>

namespace veld::lin {
namespace {

TEST(FormatGeneral, plainAndScientificForms) {
    struct Case {
        long double value;
        const char* text;
    };
    const Case cases[] = {
        {0.0L, "0"},
        {1.0L, "1"},
        {-2.5L, "-2.5"},
        {100.0L, "100"},
        {138.5055L, "138.5055"},
        {0.1L, "0.1"},  // 15 digits hide the binary representation error
        {0.0001L, "0.0001"},
        {-0.00044652683347L, "-0.00044652683347"},
        {0.00001L, "1E-5"},  // below 0.0001 the form turns scientific
        {9.391712847e-5L, "9.391712847E-5"},
        {0.000001L, "1E-6"},
        {-1.5e-7L, "-1.5E-7"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {2e20L, "2E20"},
        {1.0L / 3.0L, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
}

}  // namespace
}  // namespace veld::lin
