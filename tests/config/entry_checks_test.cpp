#include "config_fixture.h"

#include <cmath>

namespace veld::config::test {
namespace {

using EntryChecksTest = ModelTest;

// The messages of the entries, their limits and spans are the entry checks scenarios'; here the
// state they leave and the checks no scenario reaches.
TEST_F(EntryChecksTest, unifiedDecimalClassesAndNoLimits) {
    chooseType(u"0...10 V-vstup U/I"_s);
    m().userEdited(f().Linearizace, u"l"_s);
    for (const auto& [end, decimals] :
         {std::pair{u"50"_s, 2}, {u"5"_s, 0}, {u"500"_s, 1}, {u"5000"_s, 0}, {u"-60"_s, 2}}) {
        SCOPED_TRACE(end.toStdString());
        enter(f().Pocatek, u"0"_s);
        enter(f().Konec, end);
        enter(f().Pocatek, u"0"_s);
        EXPECT_EQ(m().state.EndDecimals, decimals);
        EXPECT_EQ(m().state.BeginDecimals, decimals);
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(m().state.BeginOutOfRange || m().state.EndOutOfRange || m().state.SpanTooSmall);
}

// The filter coefficient of a damping, and of one refused: it stays within its bounds.
TEST_F(EntryChecksTest, dampingCoefficientWithinItsBounds) {
    const std::tuple<QString, float, float> rows[] = {
        {u"0.3"_s, 1.0f, 0.0f},  // the formula gives about 1.39: limited to exactly 1
        {u"0.5"_s, 0.2879f, 0.00005f}, {u"30"_s, 0.0025f, 0.00001f},
        {u"31"_s, 0.00242f, 0.00001f}, {u"0.1"_s, 0.002f, 0.0f},  // negative denominator
    };
    for (const auto& [typed, coefficient, tolerance] : rows) {
        enter(f().Tlumeni, typed);
        EXPECT_NEAR(m().state.DampingCoefficient, coefficient, tolerance) << typed.toStdString();
    }
    enter(f().Tlumeni, u"2"_s);
    enter(f().Tlumeni, u"dva"_s);  // no number: the value before stays
    EXPECT_EQ(m().config.Damping, 2.0L);
    EXPECT_EQ(m().state.DampingCoefficient, EntryChecks::DampingCoefficient(2));
}

TEST_F(EntryChecksTest, backConversionUsesTheSensorCurveEvenForFileAndRootDisplays) {
    m().config.SensorCurve = 9;  // Pt100
    for (std::uint8_t display : {9, 14, 15}) {
        m().config.DisplayCurve = display;
        // 138.50 Ohm at 100 degC; a single holds it to about 1e-5.
        EXPECT_NEAR(m().checks().ZPPrepoc(100), 138.5f, 1e-4f) << int(display);
    }
    m().config.SensorCurve = 16;
    EXPECT_EQ(m().checks().ZPPrepoc(12.5L), 12.5f);
    m().config.SensorCurve = 1;  // K: 41.269 mV at 1000 degC
    EXPECT_NEAR(m().checks().ZPPrepoc(1000), 0.041269f, 1e-6f);
}

// Sensor matching: R0 and the coefficients at the edges of their bounds, C only below 0 °C, and
// a characteristic that stops rising.
TEST(CheckPlatinumTest, boundsAtTheirEdges) {
    struct Row {
        int code;
        long double r0, a, b, c, lo;
        QString field;  // empty: accepted
    };
    const long double A = kStandardA, B = kStandardB, C = kStandardC;
    // clang-format off
    const Row rows[] = {
        {9, 105, A, B, C, -200, {}},             {9, 105.01L, A, B, C, -200, u"CidloR0"_s},
        {9, 95, A, B, C, -200, {}},              {9, 94.99L, A, B, C, -200, u"CidloR0"_s},
        {10, 1050, A, B, C, -200, {}},           {10, 100, A, B, C, -200, u"CidloR0"_s},
        {9, 100, A * 1.019L, B, C, 0, {}},       {9, 100, A * 1.021L, B, C, 0, u"CidloA"_s},
        {9, 100, A, B * 1.09L, C, 0, {}},        {9, 100, A, B * 1.11L, C, 0, u"CidloB"_s},
        {9, 100, A, B, C * 1.3L, -1, u"CidloC"_s}, {9, 100, A, B, C * 1.3L, 0, {}},
        {9, 100, A, B, 0, -200, {}},             {9, 100, A, -5e-5L, C, 0, u"CidloA"_s},
    };
    // clang-format on
    for (const Row& r : rows) {
        const auto refusal = CheckPlatinum(r.code, {r.r0, r.a, r.b, r.c}, r.lo, 850);
        EXPECT_EQ(refusal ? refusal->field : QString(), r.field)
            << static_cast<double>(r.r0) << ' ' << static_cast<double>(r.a) << ' '
            << static_cast<double>(r.b) << ' ' << static_cast<double>(r.c);
    }
}

}  // namespace
}  // namespace veld::config::test
