#include "model/uploads.h"

#include <gtest/gtest.h>

#include <bit>

#include "hex.h"
#include "link/dev_float.h"

namespace veld::model {
namespace {

using testing::Hex;

struct CalibrationCase {
    const char* name;
    float i1, i2, lo, hi;
    std::vector<std::string_view> warnings;
    float out4mA, gain;
};

TEST(ReadOutputCalibration, replacesBadCurrentsWithFourAndTwentyMilliamperes) {
    // Codes 1000 and 17000: 16000 steps between the two currents. Each current alone and the
    // window's ends are in analog_output_constants.scn.
    const CalibrationCase cases[] = {
        {"in window", 4.0f, 20.0f, 0, 100, {}, 1000, 160},
        {"reversed range", 4.0f, 20.0f, 100, 0, {}, 1000, -160},
        {"stored in amperes", 0.004f, 0.02f, 0, 100, {kBadI1, kBadI2}, 1000, 160},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto cal =
            ReadOutputCalibration::Decode(RealBytes({1000, 17000, c.i1, c.i2}), c.lo, c.hi);
        EXPECT_EQ(cal.warnings, c.warnings);
        ASSERT_TRUE(cal.scaling.ok()) << cal.scaling.message();
        EXPECT_EQ(cal.scaling->Out4mA, c.out4mA);
        EXPECT_EQ(cal.scaling->OutGain, c.gain);
    }
}

TEST(ReadOutputCalibration, refusesWhatWouldDivideByZero) {
    const auto equalEnds = ReadOutputCalibration::Decode(RealBytes({1000, 17000, 4, 20}), 50, 50);
    ASSERT_FALSE(equalEnds.scaling.ok());
    EXPECT_EQ(equalEnds.scaling.message(),
              "Počátek a konec rozsahu jsou shodné, nastavení analogového výstupu nelze "
              "vypočítat.");

    // The warning is still reported before the refusal.
    const auto both = ReadOutputCalibration::Decode(RealBytes({1000, 17000, 0, 20}), 1, 1);
    EXPECT_EQ(both.warnings, std::vector<std::string_view>{kBadI1});
    EXPECT_FALSE(both.scaling.ok());

    EXPECT_FALSE(ReadOutputCalibration::Decode(Hex("8A 7A 00 00"), 0, 100).scaling.ok());
}

// The byte-exact plan of a polynomial is in the scenarios; here its limits.
TEST(WritePolynomial, degreeOneToNine) {
    EXPECT_FALSE(WritePolynomial({}).ok());
    const std::vector<float> degree9(10, 1.0f), degree10(11, 1.0f);
    ASSERT_TRUE(WritePolynomial(degree9).ok());
    EXPECT_EQ(WritePolynomial(degree9)->back().address, 164);  // ends before 171
    EXPECT_FALSE(WritePolynomial(degree10).ok());
}

struct Spline {
    std::vector<long double> s, c3, c2, c1, c0;
    explicit Spline(int n) {
        for (int k = 0; k <= n; ++k) {
            s.push_back(10.0L * k);
            c3.push_back(k + 0.5L);
            c2.push_back(k + 0.25L);
            c1.push_back(-k);
            c0.push_back(100.0L * k);
        }
    }
    SplineSegments segments(int count) const { return {count, s, c3, c2, c1, c0}; }
};

TEST(PrepareSegmentImage, fillsCountPlusOneBreakpointsOrLeavesTheImageAndSaysWhy) {
    lin::SegmentImage image;
    image.groups[20].c0 = 7.0f;
    EXPECT_EQ(PrepareSegmentImage(Spline(20).segments(20), image), std::nullopt);
    EXPECT_EQ(image.groups[20].x, 200.0f);  // the 21st breakpoint
    EXPECT_EQ(image.groups[20].c0, 7.0f);   // group 20 carries no segment

    const lin::SegmentImage before = image;
    for (int count : {0, -1, 21})
        EXPECT_EQ(PrepareSegmentImage(Spline(21).segments(count), image),
                  "Nepřípustný počet intervalů pro linearizační funkci.")
            << count;
    // Fewer values than the count names: refused, nothing read beyond them.
    EXPECT_NE(PrepareSegmentImage(Spline(5).segments(6), image), std::nullopt);
    EXPECT_EQ(image.groups[0].x, before.groups[0].x);
    EXPECT_EQ(image.groups[20].x, before.groups[20].x);
}

// The flags for each fault current are in output_flags.scn.
TEST(WriteOutputFlags, refusesAnUnknownFaultCurrent) {
    for (std::uint8_t bad : {0, 4}) {
        const auto plan = WriteOutputFlags(bad, false);
        ASSERT_FALSE(plan.ok());
        EXPECT_EQ(plan.message(), "Špatně zadaná volba chybového proudu");
    }
}

TEST(WriteThermocoupleTables, everyPatternIsSentBitForBit) {
    std::uint32_t sum = 0;
    std::size_t count = 0;
    for (const auto& table : ThermocoupleTables()) {
        const auto sent = WriteThermocoupleTables(table.inputType).back().bytes;
        for (std::size_t i = 0; i + 3 < sent.size(); i += 4, ++count)
            sum += std::bit_cast<std::uint32_t>(
                link::DecodeDevFloat({sent[i], sent[i + 1], sent[i + 2], sent[i + 3]}));
    }
    // The 48 patterns of the documented tables and their sum modulo 2^32.
    EXPECT_EQ(count, 48u);
    EXPECT_EQ(sum, 0xD4F3C681u);
}

}  // namespace
}  // namespace veld::model
