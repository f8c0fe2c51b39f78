#include "config_fixture.h"

namespace veld::config::test {
namespace {

using InputRulesTest = ModelTest;

// The page's rules for each type, its shortcuts, its side values and a cancelled file choice are
// the scenarios'; here the points a file brings.
TEST_F(InputRulesTest, fromFileShowsThePointsInTheDialog) {
    chooseType(u"0...10 V-vstup U/I"_s);
    const QString path = pointFile(u"body.txt"_s, "0 -1.5\n2.25 7\n10 100\n");
    chooseFromFile(path);
    EXPECT_TRUE(m().dialog.visible);
    EXPECT_EQ(f().OpenDialog1.fileName, path);
    EXPECT_EQ(m().points.PointCount, 3);
    const StringGrid& g = m().dialog.StringGrid1;
    EXPECT_EQ(g.cell(0, 0), u"Naměřená vstupní hodnota"_s);
    EXPECT_EQ(g.cell(1, 0), u"Požadovaná hodnota po linearizaci"_s);
    EXPECT_EQ(g.cell(0, 2), u"2.25"_s);
    EXPECT_EQ(g.cell(1, 1), u"-1.5"_s);
    EXPECT_TRUE(g.cell(0, 4).isEmpty());
    EXPECT_TRUE(f().Pocatek.enabled);  // a unified range becomes editable too

    useSeparator(DecimalSeparator::Comma);
    chooseType(u"reostat"_s);
    chooseFromFile(pointFile(u"c.txt"_s, "0.5 1\n2 3.75\n"));
    EXPECT_EQ(m().dialog.StringGrid1.cell(0, 1), u"0,5"_s);
    EXPECT_EQ(m().dialog.StringGrid1.cell(1, 2), u"3,75"_s);
}

}  // namespace
}  // namespace veld::config::test
