#include "config_fixture.h"

namespace veld::config::test {
namespace {

using ViewEvents = ModelTest;

TEST_F(ViewEvents, oneNotificationPerUserEventAndNoneForIgnoredControls) {
    int calls = 0;
    m().changed = [&] { ++calls; };
    chooseType(u"odporový teploměr Pt100"_s);  // runs several nested handlers
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(m().revision(), 1u);
    m().userEdited(f().Button8, u"x"_s);  // hidden: ignored
    m().userLeft(f().S_Dolmez);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(m().userLeft(u"Pocatek"_s));
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(m().userClicked(u"NeniTakovy"_s));

    // An edit's handler runs for a change from code too, a list's only for the user.
    chooseType(u"napětí"_s);
    f().DelPomer.setText(u"2"_s);  // from code: the change handler converts it
    EXPECT_EQ(m().config.DividerRatio, 2.0L);
    f().Linearizace.text = u"x"_s;  // from code: nothing runs
    EXPECT_TRUE(prompts.messages.isEmpty());
    m().userEdited(f().Linearizace, u"x"_s);  // the user: the handler runs
    EXPECT_EQ(prompts.messages, QStringList{u"špatně zadaný způsob linearizace"_s});
}

// The completion of lists and the edits' lengths are the typing scenario's.
TEST_F(ViewEvents, displaysTakeNoTextAndRunTheRangeBeginsCheck) {
    m().userEdited(f().ZoZmHodn, u"1"_s);  // read-only
    EXPECT_TRUE(f().ZoZmHodn.isEmpty());

    // The measurement displays run the range begin's check.
    chooseType(u"odporový teploměr Pt100"_s);
    m().userEdited(f().Pocatek, u"-300"_s);
    clearPrompts();
    m().userLeft(f().EdReceive);
    m().userLeft(f().EdSend);
    EXPECT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(prompts.focused.value(0), u"Pocatek"_s);
}

}  // namespace
}  // namespace veld::config::test
