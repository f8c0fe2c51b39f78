#include "config_fixture.h"

#include <set>

namespace veld::config::test {
namespace {

TEST(MainForm, everyControlHasItsOwnName) {
    MainForm form;
    std::set<QString> names;
    for (const Control* c : form.controls()) {
        EXPECT_FALSE(c->name.isEmpty());
        EXPECT_TRUE(names.insert(c->name).second) << c->name.toStdString();
        EXPECT_EQ(form.find(c->name), c);
    }
    EXPECT_EQ(form.find(u"Nic"_s), nullptr);
    // Comparator 2's delay edits keep their irregular names; the unit labels their numbers.
    EXPECT_TRUE(form.findAs<Edit>(u"Ezposep2"_s) && form.findAs<Edit>(u"Ezporoz2"_s));
    EXPECT_TRUE(form.findAs<Edit>(u"EZpoSep3"_s) && !form.find(u"EZpoSep2"_s));
    EXPECT_EQ(form.Komparator[2]->unitMezroz.name, u"Label57"_s);
}

TEST(MainForm, theOtherProfileChangesCaptionFoldersAndInformation) {
    MainForm f;
    f.applyProfile(BrandingProfile::LMX);
    EXPECT_EQ(f.caption, u"Ovládací program LORIMAX - VELD"_s);
    EXPECT_EQ(f.OpenDialog1.initialDirectory, u"C:\\LORIMAX_VELD\\linearizace"_s);
    EXPECT_EQ(f.SaveDialog2.initialDirectory, u"C:\\LORIMAX_VELD\\konfigurace"_s);
    EXPECT_FALSE(f.Label5.visible || f.ImageTV.visible || !f.Label5.caption.isEmpty());
    EXPECT_TRUE(f.ImageLMX.visible && f.Firma.visible);
    EXPECT_EQ(f.Firma.caption, u"LORIMAX"_s);
    EXPECT_TRUE(f.LabMobNr.caption.startsWith(u"GSM: "_s));
    for (const Label* l :
         {&f.LabFirmPlace, &f.LabFirmName1, &f.LabAdrFirmPlace1, &f.LabPostCodeCity1, &f.LabWork})
        EXPECT_TRUE(l->caption.isEmpty()) << l->name.toStdString();
}

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

TEST_F(ViewEvents, aTypedFirstCharacterCompletesToItsItemAndTextIsCutToTheEditsLength) {
    m().userEdited(f().Vstup, u"R"_s);
    EXPECT_EQ(f().Vstup.text, u"reostat"_s);
    EXPECT_TRUE(f().Pocatek.enabled);
    m().userEdited(f().Chybproud, u"p"_s);
    EXPECT_EQ(f().Chybproud.text, u"podproud"_s);
    m().userEdited(f().Vstup, u"reo"_s);  // longer texts stay as typed
    EXPECT_TRUE(f().Vstup.text.isEmpty());
    m().userEdited(f().EditUzPozn, QString(70, u'a'));
    EXPECT_EQ(f().EditUzPozn.text().size(), 60);
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
