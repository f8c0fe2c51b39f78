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
        {-2.5L, "-2.5"},
        {138.5055L, "138.5055"},
        {0.0001L, "0.0001"},
        {-0.00044652683347L, "-0.00044652683347"},
        {0.00001L, "1E-5"},  // below 0.0001 the form turns scientific
        {9.391712847e-5L, "9.391712847E-5"},
        {-1.5e-7L, "-1.5E-7"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {1.0L / 3.0L, "0.333333333333333"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral(c.value), c.text) << c.text;
}

TEST(ParseBoundedReal, singleRangeNumbersOthersOutOfRangeOrNoNumber) {
    using S = BoundedReal::Status;
    struct Case {
        const char* word;
        S status;
        bool unbounded;  // what the window's entries read, ParseReal, takes as a number
    };
    const Case cases[] = {
        {"0", S::Number, true},
        {"+1.5", S::Number, true},
        {"3.4028234e38", S::Number, true},
        {"-1.1754944e-38", S::Number, true},
        {"3.5e38", S::OutOfRange, true},
        {"1e4000", S::OutOfRange, true},
        {"1e-40", S::OutOfRange, true},
        {"1e5000", S::OutOfRange, false},
        {"1e-5000", S::OutOfRange, false},
        {"", S::NotANumber, false},
        {"inf", S::NotANumber, false},
        {"1,5", S::NotANumber, false},
        {"+-1", S::NotANumber, false},
        {"0x10", S::NotANumber, false},
        {"1e-5000x", S::NotANumber, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseBoundedReal(c.word).status, c.status) << c.word;
        EXPECT_EQ(ParseReal(c.word).has_value(), c.unbounded) << c.word;
    }
    EXPECT_EQ(ParseBoundedReal("-2.5e3").value, -2500.0L);
}

TEST(QuoteForMessage, shortEscapedAndValidUtf8) {
    const std::string forty(40, 'a');
    std::string czech;
    for (int i = 0; i < 41; ++i)
        czech += "ř";
    struct Case {
        std::string text;
        std::string quoted;
    };
    // Named, not a temporary: GCC 12 at -O3 warns falsely on "literal" + std::string&&.
    const std::string czechCut = czech.substr(0, 80);
    const Case cases[] = {
        {forty, "\"" + forty + "\""},
        {forty + "b", "\"" + forty + "…\""},
        {std::string("a\0\rb\x7F", 5), "\"a\\x00\\x0Db\\x7F\""},
        {czech, "\"" + czechCut + "…\""},                           // 40 characters, not 40 bytes
        {"\xFF\xC5", "\"\\xFF\\xC5\""},                             // no UTF-8, or cut short
        {"\xC0\xAF\xED\xA0\x80", "\"\\xC0\\xAF\\xED\\xA0\\x80\""},  // overlong, surrogate
        {"C:\\měření\\body.txt", "\"C:\\měření\\body.txt\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QuoteForMessage(c.text), c.quoted) << c.quoted;
    EXPECT_LT(QuoteForMessage(std::string(1 << 20, '\0')).size(), 200u);
}

}  // namespace
}  // namespace veld::lin
