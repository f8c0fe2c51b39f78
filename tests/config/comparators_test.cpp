// The limit comparators of the page "Relé": presence test, confirmations, the bytes written.

#include "config_fixture.h"

#include "model/eeprom_map.h"

namespace veld::config::test {
namespace {

namespace map = model::eeprom;

const QString kRestart = u" Po potvrzení a zápisu nutno vypnout a zapnout napájení."_s;

class ComparatorsTest : public ModelTest {
protected:
    ComparatorGroup& group(int k) { return *f().Komparator[static_cast<std::size_t>(k - 1)]; }
    void poke(std::uint16_t address, std::initializer_list<link::Byte> bytes) {
        ASSERT_TRUE(session().simMemory().Write(address, std::vector<link::Byte>(bytes)));
    }
    link::Byte peek(std::uint16_t address) {
        return session().simMemory().Read(address, 1).value().at(0);
    }
    // The user fills comparator k's four edits, leaving each.
    void fill(int k, const QString& on, const QString& off, const QString& onDelay,
              const QString& offDelay) {
        ComparatorGroup& g = group(k);
        enter(g.EMezsep, on);
        enter(g.EMezroz, off);
        enter(g.EZpoSep, onDelay);
        enter(g.EZpoRoz, offDelay);
    }
    Outcome save(int k) {
        clearPrompts();
        prompts.questions.clear();
        const auto outcome = click(group(k).Ulozkomp);
        EXPECT_TRUE(group(k).Ulozkomp.enabled);
        return outcome.value_or(Outcome::Stopped);
    }
};

TEST(ComparatorPresence, outputOneIsBitSevenOfModeFlagsTheOthersTheEquipmentByte) {
    struct Case {
        int k;
        std::uint8_t modeFlags, equipment;
        bool present;
    };
    for (const Case& c :
         {Case{1, 0x80, 0x00, true}, Case{1, 0x7F, 0x07, false}, Case{2, 0x00, 0x01, true},
          Case{3, 0x80, 0x05, false}, Case{4, 0x00, 0x03, false}, Case{4, 0x00, 0x07, true}}) {
        EXPECT_EQ(Comparators::OutputPresent(c.k, c.modeFlags, c.equipment), c.present)
            << "output " << c.k;
    }
}

TEST_F(ComparatorsTest, comparatorFourMissingIsRefusedAndUnticked) {
    poke(map::kEquipment.address, {0x03});
    fill(4, u"10"_s, u"5"_s, u"0"_s, u"0"_s);
    m().userToggled(group(4).PovolKompar, true);
    EXPECT_EQ(save(4), Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Připojený převodník neobsahuje spínací výstup 4"_s});
    EXPECT_FALSE(group(4).PovolKompar.checked);
    EXPECT_EQ(requests(), QStringList{u"ReadEEPROM 1120 2"_s});

    poke(map::kEquipment.address, {0x07});
    m().userToggled(group(4).PovolKompar, true);
    EXPECT_EQ(save(4), Outcome::Completed);
    EXPECT_EQ(prompts.questions,
              QStringList{u"Opravdu se má zapsat konfigurace Relé 4?"_s + kRestart});
    EXPECT_EQ(requests().size(), 6);
}

// The comparator scenario holds the switch-off itself; declining it sends nothing.
TEST_F(ComparatorsTest, switchingOffDeclinedSendsNothing) {
    fill(3, u"1"_s, u"2"_s, u"3"_s, u"4"_s);
    prompts.answers = {false};
    EXPECT_EQ(save(3), Outcome::Declined);
    EXPECT_EQ(prompts.questions,
              QStringList{u"Opravdu se má vypnout mezní komparátor 3?"_s + kRestart});
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_EQ(f().Prenos.position, 100);
}

TEST_F(ComparatorsTest, readShowsLimitsDelaysAndDecodesTheModeByte) {
    ASSERT_TRUE(session().simMemory().SetReal(1040, 12.5f));
    ASSERT_TRUE(session().simMemory().SetReal(1044, -3.25f));
    poke(1072, {7});
    poke(1076, {200});
    for (const auto& [mode, ticked, text] :
         {std::tuple{0x03, true, u"OKNO"_s}, std::tuple{0x00, false, u"HYSTEREZE"_s},
          std::tuple{0xFD, true, u"HYSTEREZE"_s}}) {
        poke(1080, {static_cast<link::Byte>(mode)});
        EXPECT_EQ(click(group(1).Preckomp), Outcome::Completed);
        EXPECT_EQ(group(1).PovolKompar.checked, ticked) << mode;
        EXPECT_EQ(group(1).RezimRele.text, text) << mode;
    }
    EXPECT_EQ((QStringList{group(1).EMezsep.text(), group(1).EMezroz.text(),
                           group(1).EZpoSep.text(), group(1).EZpoRoz.text()}),
              (QStringList{u"12.50000"_s, u"-3.25000"_s, u"7"_s, u"200"_s}));
    EXPECT_EQ(m().comparators().values(1).SwitchOffDelay, 200);
    EXPECT_TRUE(group(1).Preckomp.enabled);
}

TEST_F(ComparatorsTest, fractionalDelayIsWrittenWholeAndOneOutsideTheRangeIsNotWritten) {
    fill(1, u"10"_s, u"5"_s, u"2,7"_s, u"0"_s);
    EXPECT_EQ(group(1).EZpoSep.text(), u"2.7"_s);
    EXPECT_TRUE(prompts.messages.isEmpty());
    m().userToggled(group(1).PovolKompar, true);
    EXPECT_EQ(save(1), Outcome::Completed);
    EXPECT_EQ(requests().at(1), u"WriteEEPROM 1072 1 02"_s);

    clearPrompts();
    enter(group(1).EZpoSep, u"256"_s);
    EXPECT_EQ(prompts.messages, QStringList{u"Povolená mez pro zpoždění sepnutí je 0 až 255 s"_s});
    EXPECT_EQ(save(1), Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Povolená mez pro zpoždění sepnutí je 0 až 255 s"_s});
    EXPECT_EQ(prompts.focused, QStringList{u"EZpoSep1"_s});
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_EQ(peek(1072), 2);
}

TEST_F(ComparatorsTest, exitChecksNameTheComparatorWhereTheTextsDo) {
    enter(group(2).EMezsep, u"7.5"_s);
    enter(group(2).EMezroz, u"7,5"_s);
    EXPECT_EQ(prompts.messages,
              QStringList{u"Meze sepnutí a rozepnutí komparátoru nesmí být zcela shodné"_s});
    EXPECT_EQ(prompts.focused, QStringList{u"EMezroz2"_s});

    clearPrompts();
    enter(group(2).EMezroz, u"x"_s);
    enter(group(2).EZpoSep, u"-1"_s);
    enter(group(2).EZpoRoz, u"abc"_s);
    EXPECT_EQ(prompts.messages,
              (QStringList{u"špatně zadaná mez rozepnutí komparátoru 2"_s,
                           u"Meze sepnutí a rozepnutí komparátoru nesmí být zcela shodné"_s,
                           u"Povolená mez pro zpoždění sepnutí je 0 až 255 s"_s,
                           u"špatně zadaná mez zpoždění rozepnutí"_s}));
    EXPECT_EQ(prompts.focused.at(2), u"Ezposep2"_s);

    // An empty edit stops the write with its message.
    fill(3, u"1"_s, QString(), u"0"_s, u"0"_s);
    EXPECT_EQ(save(3), Outcome::Stopped);
    EXPECT_EQ(prompts.messages, QStringList{u"Není zadána mez rozepnutí komparátoru 3"_s});
    EXPECT_EQ(prompts.focused, QStringList{u"EMezroz3"_s});
    EXPECT_TRUE(requests().isEmpty());
}

}  // namespace
}  // namespace veld::config::test
