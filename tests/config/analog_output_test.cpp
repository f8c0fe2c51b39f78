// The analog output range: the entry checks around the save, and what the read leaves alone.

#include "config_fixture.h"

namespace veld::config::test {
namespace {

class AnalogOutputTest : public ModelTest {
protected:
    void SetUp() override {
        // Codes 1000 and 5000 at 4 and 20 mA: Out4mA 1000, gain 40 for a span of 100.
        for (const auto& [address, value] :
             {std::pair{36, 1000.0f}, {40, 5000.0f}, {44, 4.0f}, {48, 20.0f}})
            ASSERT_TRUE(session().simMemory().SetReal(static_cast<std::size_t>(address), value));
        f().Vstup.text = u"odporový teploměr Pt100"_s;
    }
    std::optional<Outcome> press(Control& button) {
        clearPrompts();
        return click(button);
    }
};

// The analog output scenario holds the save and the read; here what goes wrong around them.
TEST_F(AnalogOutputTest, saveKeepsTheLastAcceptedLimitAndRefusesEqualLimits) {
    enter(f().EdLoLimDA, u"0"_s);
    enter(f().EdHiLimDA, u"100"_s);
    // A box without a number keeps the value last accepted.
    m().userEdited(f().EdHiLimDA, u"abc"_s);
    EXPECT_EQ(press(f().Button2), Outcome::Completed);
    EXPECT_EQ(prompts.messages, QStringList{u"Špatně zadaná horní mez"_s});
    EXPECT_EQ(requests().at(1).right(11), u"87 48 00 00"_s);

    // With `Poslat` disabled the bar belongs to nobody here.
    f().Poslat.enabled = false;
    f().Prenos.position = 50;
    enter(f().EdHiLimDA, u"100"_s);
    EXPECT_EQ(press(f().Button2), Outcome::Completed);
    EXPECT_EQ(f().Prenos.position, 50);

    // Equal limits leave no scaling: nothing is written.
    enter(f().EdLoLimDA, u"5"_s);
    enter(f().EdHiLimDA, u"5"_s);
    EXPECT_EQ(press(f().Button2), Outcome::Stopped);
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(requests(), QStringList{u"ReadEEPROM 36 16"_s});
}

// The missing entries before it are the analog output scenario's; the fault current's here.
TEST_F(AnalogOutputTest, missingFaultCurrentStopsBeforeAnythingIsSent) {
    f().Vstup.text = u"napětí"_s;
    f().EdLoLimDA.setText(u"0"_s);
    f().EdHiLimDA.setText(u"1"_s);
    f().Chybproud.text.clear();
    EXPECT_EQ(press(f().Button2), Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Není zadána volba chybového proudu"_s});
    EXPECT_EQ(prompts.focused, QStringList{u"Chybproud"_s});
    EXPECT_TRUE(m().state.IncompleteInput);
    EXPECT_TRUE(requests().isEmpty());
}

TEST_F(AnalogOutputTest, readShowsTheTextsOnly) {
    ASSERT_TRUE(session().simMemory().SetReal(60, 0.0f));
    ASSERT_TRUE(session().simMemory().SetReal(64, 100.0f));
    EXPECT_EQ(press(f().Button3), Outcome::Completed);
    EXPECT_EQ(f().EdHiLimDA.text(), u"100"_s);
    // The texts only: the values follow when the boxes are left or saved.
    EXPECT_EQ(m().analogOutput().OutputRangeHi, 0.0f);
}

}  // namespace
}  // namespace veld::config::test
