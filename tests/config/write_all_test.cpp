// The whole write beyond the scenarios (the whole writes, hardware codes, narrowed limits and
// refusals): the precise table, and what stops a write on the way.

#include "config_fixture.h"

#include <chrono>

namespace veld::config::test {
namespace {

using namespace std::chrono_literals;

class WriteAllTest : public ModelTest {
protected:
    // The user's choices on the page, in the order a user makes them.
    void choose(const QString& type, const QString& wiring, const QString& begin,
                const QString& end) {
        chooseType(type);
        if (!wiring.isEmpty())
            m().userEdited(f().PripCidl, wiring);
        enter(f().Pocatek, begin);
        enter(f().Konec, end);
    }
    Outcome write() { return click(f().Poslat).value_or(Outcome::Completed); }
};

// The precise table changes the segment image's bytes and nothing else; it is offered only where
// there is a built-in characteristic.
TEST_F(WriteAllTest, preciseLinearizationChangesOnlyTheSegmentImage) {
    choose(u"termočlánek K"_s, {}, u"0"_s, u"1300"_s);
    ASSERT_EQ(write(), Outcome::Completed) << shown();
    const QStringList spline = requests();
    m().userToggled(f().PresnaLin, true);
    ASSERT_EQ(write(), Outcome::Completed) << shown();
    const QStringList precise = requests();
    ASSERT_EQ(precise.size(), spline.size());
    int differ = 0;
    for (qsizetype i = 0; i < spline.size(); ++i) {
        if (spline[i] != precise[i]) {
            ++differ;
            EXPECT_EQ(spline[i].section(u' ', 0, 2), precise[i].section(u' ', 0, 2));
        }
    }
    EXPECT_GT(differ, 0);
    chooseType(u"napětí"_s);
    EXPECT_FALSE(f().PresnaLin.visible);
}

// "druhá odmocnina" builds no table: it writes the spline that the last write built, also when
// that write was declined after building it.
TEST_F(WriteAllTest, squareRootWritesTheSplineTheLastWriteBuilt) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"0"_s, u"100"_s);
    prompts.answers.append(false);
    ASSERT_EQ(write(), Outcome::Declined);
    choose(u"napětí"_s, {}, u"0"_s, u"1"_s);
    f().Linearizace.text = u"druhá odmocnina"_s;  // only a read or a file brings it
    ASSERT_EQ(write(), Outcome::Completed) << shown();
    // The first and the last row of the Pt100 0..100 table, as the linearized write sends them.
    const QStringList sent = requests();
    EXPECT_TRUE(sent.contains(
        u"WriteEEPROM 608 20 87 48 00 00 73 1A 98 A4 76 26 76 A8 82 23 CA 45 00 00 00 00"_s))
        << sent.join(u'\n').toStdString();
    EXPECT_TRUE(sent.contains(u"WriteEEPROM 1008 4 88 0A 80 00"_s));
}

TEST_F(WriteAllTest, typingDuringTheWriteIsRefusedAndChangesNothingWritten) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"0"_s, u"100"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const QStringList undisturbed = requests();
    for (auto at : {100ms, 700ms, 2500ms}) {
        clock.schedule(at, [this] {
            enter(f().Pocatek, u"-50"_s);
            enter(f().Tlumeni, u"5"_s);
            enter(f().korekcePV, u"1.5"_s);
            m().userEdited(f().PripCidl, u"dvouvodičově"_s);
        });
    }
    ASSERT_EQ(write(), Outcome::Completed);
    EXPECT_EQ(requests(), undisturbed);
    // The page still shows what was written.
    EXPECT_EQ(f().Pocatek.text(), u"0"_s);
    EXPECT_EQ(f().PripCidl.text, u"čtyřvodičově"_s);
    EXPECT_EQ(shown(), "");
}

}  // namespace
}  // namespace veld::config::test
