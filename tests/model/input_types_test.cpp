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

TEST(InputTypes, listHoldsNineteenTypesWithoutTheFiveOthers) {
    const auto list = InputListCodes();
    ASSERT_EQ(list.size(), 19u);
    std::set<int> inList(list.begin(), list.end());
    for (const auto& t : InputTypes())
        EXPECT_EQ(t.inList, inList.count(t.code) == 1) << t.text;
    // L and N keep the transmitter's codes although the list shows N first.
    EXPECT_EQ(list[10], 13);
    EXPECT_EQ(list[11], 12);
    EXPECT_EQ(FindInputType("termočlánek L")->code, 12);
}

TEST(CodeTables, everyCodeAndTextOnceBothWays) {
    for (const auto table : {WiringTexts(), FaultCurrentTexts(), UnitChoices()}) {
        std::set<int> codes;
        for (const auto& e : table) {
            EXPECT_TRUE(codes.insert(e.code).second) << e.text;
            EXPECT_EQ(CodeOf(table, e.text), e.code);
            EXPECT_EQ(TextOf(table, e.code), e.text);
        }
        EXPECT_EQ(CodeOf(table, ""), 0);
        EXPECT_TRUE(TextOf(table, 0).empty());
    }
    // Two codes read as "linearizováno"; the text gives the first.
    EXPECT_EQ(TextOf(LinModeTexts(), 2), TextOf(LinModeTexts(), 1));
    EXPECT_EQ(CodeOf(FaultCurrentTexts(), "Vyřazen"), 0);  // exact case
}

}  // namespace
}  // namespace veld::model
