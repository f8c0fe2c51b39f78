// The whole read beyond the read scenarios: a failure half-way, and the ten-digit numbers.

#include "config_fixture.h"

#include "config/text_util.h"

namespace veld::config::test {
namespace {

using ReadAllTest = ModelTest;

TEST_F(ReadAllTest, failedReadStopsWhereItWas) {
    sim::MemoryImage& mem = session().simMemory();
    ASSERT_TRUE(mem.Write(400, std::vector<link::Byte>{1, 2, 1, 3}));  // a Pt100, linearized
    ASSERT_TRUE(mem.Write(408, std::vector<link::Byte>{32, 9, 9, 2}));
    mem.SetReal(32, 0.5f);
    session().simFaults().QueueClean(2);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(click(f().Precist), Outcome::Stopped);
    EXPECT_EQ(f().Prenos.position, 33);
    EXPECT_EQ(f().korekcePV.text(), u"0.50000"_s);
    EXPECT_TRUE(f().Precist.enabled);
    EXPECT_FALSE(f().ButMeasPV.enabled);
    EXPECT_EQ(prompts.messages, QStringList{u"No answer from transmitter !"_s});
}

TEST(FormatGeneralDigits, tenDigits) {
    EXPECT_EQ(FormatGeneralDigits(0.7f, 10, DecimalSeparator::Point), u"0.6999999881"_s);
    EXPECT_EQ(FormatGeneralDigits(-1234.5678f, 10, DecimalSeparator::Comma), u"-1234,567749"_s);
    EXPECT_EQ(FormatGeneralDigits(12345678901.0L, 10, DecimalSeparator::Point), u"1.23456789E10"_s);
    EXPECT_EQ(FormatGeneralDigits(0.00001L, 10, DecimalSeparator::Point), u"1E-5"_s);
}

}  // namespace
}  // namespace veld::config::test
