// The ten-digit numbers of a read; the read scenarios hold the reads themselves.

#include "config_fixture.h"

#include "config/text_util.h"

namespace veld::config::test {
namespace {

TEST(FormatGeneralDigits, tenDigits) {
    EXPECT_EQ(FormatGeneralDigits(0.7f, 10, DecimalSeparator::Point), u"0.6999999881"_s);
    EXPECT_EQ(FormatGeneralDigits(-1234.5678f, 10, DecimalSeparator::Comma), u"-1234,567749"_s);
    EXPECT_EQ(FormatGeneralDigits(12345678901.0L, 10, DecimalSeparator::Point), u"1.23456789E10"_s);
    EXPECT_EQ(FormatGeneralDigits(0.00001L, 10, DecimalSeparator::Point), u"1E-5"_s);
}

}  // namespace
}  // namespace veld::config::test
