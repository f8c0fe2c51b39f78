#include "model/input_types.h"

#include <gtest/gtest.h>

namespace veld::model {
namespace {

TEST(InputTypes, listShowsNBeforeLButBothKeepTheTransmittersCodes) {
    const auto list = InputListCodes();
    ASSERT_EQ(list.size(), 19u);
    EXPECT_EQ(list[10], 13);
    EXPECT_EQ(list[11], 12);
    EXPECT_EQ(FindInputType("termočlánek L")->code, 12);
    EXPECT_EQ(FindInputType("Termočlánek K"), nullptr);  // exact case
    EXPECT_EQ(FindInputTypeByCode(25), nullptr);
}

}  // namespace
}  // namespace veld::model
