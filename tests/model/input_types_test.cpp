#include "model/input_types.h"
#include "model/code_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace veld::model {
namespace {

TEST(InputTypes, everyCodeOnceAndTextRoundTrips) {
    ASSERT_EQ(InputTypes().size(), 24u);
    std::set<std::string_view> texts;
    for (int code = 1; code <= 24; ++code) {
        const InputTypeInfo* t = FindInputTypeByCode(code);
        ASSERT_NE(t, nullptr) << code;
        EXPECT_EQ(t->code, code);
        EXPECT_EQ(FindInputType(t->text), t) << t->text;
        texts.insert(t->text);
    }
    EXPECT_EQ(texts.size(), 24u);
    EXPECT_EQ(FindInputTypeByCode(0), nullptr);
    EXPECT_EQ(FindInputTypeByCode(25), nullptr);
    EXPECT_EQ(FindInputType("Termočlánek K"), nullptr);  // exact case
    EXPECT_EQ(FindInputType("termočlánek K "), nullptr);
}

TEST(InputTypes, lAndNKeepTheirTransmitterCodes) {
    EXPECT_EQ(FindInputType("termočlánek L")->code, 12);
    EXPECT_EQ(FindInputType("termočlánek N")->code, 13);
    EXPECT_EQ(FindInputType("potenciometr")->code, 6);
}

TEST(InputTypes, listHoldsNineteenTypesWithoutTheFiveOthers) {
    const auto list = InputListCodes();
    ASSERT_EQ(list.size(), 19u);
    std::set<int> inList(list.begin(), list.end());
    for (const auto& t : InputTypes())
        EXPECT_EQ(t.inList, inList.count(t.code) == 1) << t.text;
    for (int code : {7, 18, 19, 20, 21})
        EXPECT_FALSE(FindInputTypeByCode(code)->inList);
    EXPECT_EQ(FindInputTypeByCode(list.front())->text, "odporový teploměr Pt100");
    EXPECT_EQ(FindInputTypeByCode(list.back())->text, "napětí");
}

TEST(InputTypes, unitsMatchTheirCodes) {
    for (const auto& t : InputTypes()) {
        EXPECT_EQ(TextOf(UnitChoices(), t.unitCode), t.unitText) << t.text;
    }
}

TEST(InputTypes, unifiedSignalsCarryTheirFixedScale) {
    struct Row {
        int code;
        std::string_view begin, end;
        float low, high, offset, span;
    };
    for (const Row& r : {Row{22, "0", "10", 0, 10, 0, 10}, Row{23, "0", "20", 0, 20, 0, 20},
                         Row{24, "4", "20", 4, 20, 4, 16}}) {
        const InputTypeInfo* t = FindInputTypeByCode(r.code);
        ASSERT_TRUE(t->unified.has_value());
        EXPECT_TRUE(IsUnified(t));
        EXPECT_EQ(t->limits.rule, LimitRule::None);
        EXPECT_EQ(t->unified->beginText, r.begin);
        EXPECT_EQ(t->unified->endText, r.end);
        EXPECT_EQ(t->unified->low, r.low);
        EXPECT_EQ(t->unified->high, r.high);
        EXPECT_EQ(t->unified->offset, r.offset);
        EXPECT_EQ(t->unified->span, r.span);
    }
    for (const auto& t : InputTypes()) {
        if (t.code < 22) {
            EXPECT_FALSE(t.unified.has_value()) << t.text;
        }
    }
}

TEST(InputTypes, sensorCurvesOfTheSensors) {
    // clang-format off
    const std::pair<std::string_view, int> rows[] = {
        {"odporový teploměr Pt100", 9}, {"odporový teploměr Ni1000", 12}, {"termočlánek B", 7}, {"termočlánek E", 4},
        {"termočlánek J", 3},           {"termočlánek K", 1},             {"termočlánek N", 0}, {"termočlánek L", 8},
        {"termočlánek R", 5},           {"termočlánek S", 6},             {"termočlánek T", 2}, {"napětí", 16},
    };
    // clang-format on
    for (const auto& [text, curve] : rows)
        EXPECT_EQ(FindInputType(text)->sensorCurve, curve) << text;
}

TEST(CodeTables, textsAndCodesBothWays) {
    EXPECT_EQ(CodeOf(WiringTexts(), "třívodičově"), 3);
    EXPECT_EQ(TextOf(WiringTexts(), 4), "čtyřvodičově");
    EXPECT_EQ(CodeOf(FaultCurrentTexts(), "vyřazen"), 3);
    EXPECT_EQ(CodeOf(FaultCurrentTexts(), "Vyřazen"), 0);
    EXPECT_EQ(TextOf(LinModeTexts(), 2), "linearizováno");
    EXPECT_EQ(TextOf(LinModeTexts(), 3), "druhá odmocnina");
    EXPECT_EQ(CodeOf(UnitChoices(), "Bez jednotky"), kUnitNone);
    EXPECT_TRUE(TextOf(UnitChoices(), 99).empty());
}

}  // namespace
}  // namespace veld::model
