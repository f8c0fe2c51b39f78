#include "config/main_form.h"

#include "config/text_util.h"
#include "model/code_tables.h"
#include "model/input_types.h"
#include "model/record_codec.h"

#include <initializer_list>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

QString numbered(const QString& stem, int k) {
    return stem + QString::number(k);
}

QString unitLabelName(int k, bool on) {
    // The unit labels beside the comparator limits carry the numbers of the form file.
    static const char16_t* const kOn[] = {u"Label22", u"Label37", u"Label56", u"Label66"};
    static const char16_t* const kOff[] = {u"Label24", u"Label38", u"Label57", u"Label67"};
    return QString::fromUtf16(on ? kOn[k - 1] : kOff[k - 1]);
}

void hideAll(std::initializer_list<Control*> list) {
    for (Control* c : list)
        c->hide();
}

}  // namespace

ComparatorGroup::ComparatorGroup(int k)
    : heading(numbered(u"LabKompar"_s, k), numbered(u"Mezní komparátor "_s, k)),
      PovolKompar(numbered(u"PovolKompar"_s, k), numbered(u"Povolení mezního komparátoru "_s, k)),
      labMezsep(numbered(u"LabMezsep"_s, k), u"Mez sepnutí"_s),
      EMezsep(numbered(u"EMezsep"_s, k)),
      unitMezsep(unitLabelName(k, true)),
      labMezroz(numbered(u"LabMezroz"_s, k), u"Mez rozepnutí"_s),
      EMezroz(numbered(u"EMezroz"_s, k)),
      unitMezroz(unitLabelName(k, false)),
      labZpozdeni(numbered(u"LabZpozdeni"_s, k), u"Zpoždění"_s),
      labZpoSep(numbered(u"LabZpoSep"_s, k), u"sepnutí"_s),
      EZpoSep(k == 2 ? u"Ezposep2"_s : numbered(u"EZpoSep"_s, k), u"0"_s),
      unitZpoSep(numbered(u"LabZpoSepJednotka"_s, k), u"s"_s),
      labZpoRoz(numbered(u"LabZpoRoz"_s, k), u"rozepnutí"_s),
      EZpoRoz(k == 2 ? u"Ezporoz2"_s : numbered(u"EZpoRoz"_s, k), u"0"_s),
      unitZpoRoz(numbered(u"LabZpoRozJednotka"_s, k), u"s"_s),
      labRezim(numbered(u"LabRezim"_s, k), numbered(u"Režim relé "_s, k)),
      RezimRele(numbered(u"RezimRele"_s, k), {q(model::kRelayHysteresis), q(model::kRelayWindow)},
                q(model::kRelayHysteresis)),
      Preckomp(numbered(u"Preckomp"_s, k), u"Přečíst"_s),
      Ulozkomp(numbered(u"Ulozkomp"_s, k), u"Uložit"_s) {}

MainForm::MainForm()
    : caption(u" Konfigurační program TERVOS - VELD"_s),
      Konfigurace(u"Konfigurace"_s, u"Konfigurace"_s),
      LabVstup(u"LabVstup"_s, u"Vstup"_s),
      Vstup(u"Vstup"_s),
      Label3(u"Label3"_s, u"Připojení čidla"_s),
      PripCidl(u"PripCidl"_s, ItemsOf(model::WiringTexts())),
      Label4(u"Label4"_s, u"Měřicí vstupní rozsah"_s),
      Label6(u"Label6"_s, u"Počátek"_s),
      Pocatek(u"Pocatek"_s),
      Label8(u"Label8"_s),
      Label7(u"Label7"_s, u"Konec"_s),
      Konec(u"Konec"_s),
      Label9(u"Label9"_s),
      Label15(u"Label15"_s, u"Linearizace"_s),
      Linearizace(u"Linearizace"_s,
                  {q(model::kLinBuiltIn), q(model::kLinNone), q(model::kLinFromFile)}),
      PresnaLin(u"PresnaLin"_s, u"Přesná linearizace"_s),
      ButCidlo(u"ButCidlo"_s, u"Přizpůsobení čidlu…"_s),
      LabOdchylka(u"LabOdchylka"_s),
      LabTlumeni(u"LabTlumeni"_s, u"Tlumení"_s),
      Tlumeni(u"Tlumeni"_s, u"0.5"_s),
      LabTlumeniJednotka(u"LabTlumeniJednotka"_s, u"s"_s),
      LabChybproud1(u"LabChybproud1"_s, u"Chyb. hlášení při poruše čidla"_s),
      LabChybproud2(u"LabChybproud2"_s, u"(u analog. výstupu)"_s),
      Chybproud(u"Chybproud"_s, ItemsOf(model::FaultCurrentTexts()),
                q(model::TextOf(model::FaultCurrentTexts(), model::kFaultCurrentOff))),
      Label31(u"Label31"_s, u"Snímací odpor při měř. proudu"_s),
      SnOdpor(u"SnOdpor"_s),
      Label32(u"Label32"_s, u"Ohm"_s),
      OVzdStKon(u"OVzdStKon"_s, u"Vzdálenost studeného konce termočlánku"_s),
      VzdStKon(u"VzdStKon"_s, {q(model::kColdJunctionInternal), q(model::kColdJunctionExternal)},
               q(model::kColdJunctionInternal)),
      Label10(u"Label10"_s, u"Zeslabení přídavným děličem napětí"_s),
      DelPomer(u"DelPomer"_s, u"1"_s),
      Label11(u"Label11"_s, u"krát"_s),
      Vol_Jednotka(u"Vol_Jednotka"_s, u"Jednotka"_s),
      VolenaJednotka(u"VolenaJednotka"_s, ItemsOf(model::UnitChoices())),
      Pcelkodpor(u"Pcelkodpor"_s, q(model::kPotentiometerTotalCaption)),
      CelkovyOdpor(u"CelkovyOdpor"_s),
      Jcelkodpor(u"Jcelkodpor"_s, u"Ohm"_s),
      Label1(u"Label1"_s, u"Korekce primární veličiny"_s),
      korekcePV(u"korekcePV"_s),
      Label30(u"Label30"_s, u"°C"_s),
      Button8(u"Button8"_s, u"&Uložit korekci"_s),
      Button1(u"Button1"_s, u"&Přečíst korekci"_s),
      Bevel3(u"Bevel3"_s),
      Label18(u"Label18"_s, u"Nastavení s referencí"_s),
      S_Dolmez(u"S_Dolmez"_s, u"Nastavení dolní meze"_s),
      S_Hormez(u"S_Hormez"_s, u"Nastavení horní meze"_s),
      Poslat(u"Poslat"_s, u"&Uložit vše do převodníku"_s),
      Precist(u"Precist"_s, u"&Přečíst z převodníku"_s),
      LabKonfSoubor(u"LabKonfSoubor"_s, u"Konfigurace ze souboru"_s),
      ctisoub(u"ctisoub"_s, u"Přečíst"_s),
      Ulosoub(u"Ulosoub"_s, u"Uložit"_s),
      LabUzPozn(u"LabUzPozn"_s, u"Uživatelská poznámka"_s),
      EditUzPozn(u"EditUzPozn"_s),
      Prec_Pozn(u"Prec_Pozn"_s, u"Přečíst"_s),
      Uloz_Pozn(u"Uloz_Pozn"_s, u"Uložit"_s),
      ButtonTV(u"ButtonTV"_s, u"TV"_s),
      ButtonLMX(u"ButtonLMX"_s, u"LMX"_s),
      Label77(u"Label77"_s, u"č. firmware"_s),
      Label78(u"Label78"_s, u"0"_s),
      Label80(u"Label80"_s, u"verze 9.1"_s),
      Label19(u"Label19"_s, u"Přenos"_s),
      ZPocPrij(u"ZPocPrij"_s, u"0"_s),
      Label5(u"Label5"_s, u"Výrobce s.r.o. 2026"_s),
      Firma(u"Firma"_s, u"LORIMAX"_s),
      ImageTV(u"ImageTV"_s, u"logo-tv"_s),
      LabVystRozsah(u"LabVystRozsah"_s, u"Měřicí výstupní rozsah"_s),
      LabLoLimDA(u"LabLoLimDA"_s, u"Počátek"_s),
      EdLoLimDA(u"EdLoLimDA"_s),
      Label23(u"Label23"_s, u"    "_s),
      LabHiLimDA(u"LabHiLimDA"_s, u"Konec"_s),
      EdHiLimDA(u"EdHiLimDA"_s),
      Label26(u"Label26"_s, u"    "_s),
      LabJenAnalog(u"LabJenAnalog"_s, u"Nastavení jen analogového  výstupu"_s),
      Button2(u"Button2"_s, u"&Uložit do převodníku"_s),
      Button3(u"Button3"_s, u"&Přečíst z převodníku"_s),
      SetCom(
          u"SetCom"_s, u"Nast COM"_s,
          {u"COM1"_s, u"COM2"_s, u"COM3"_s, u"COM4"_s, u"COM5"_s, u"COM6"_s, u"COM7"_s, u"COM8"_s},
          0),
      LabDalsiPorty(u"LabDalsiPorty"_s, u"Další porty"_s),
      DalsiPorty(u"DalsiPorty"_s),
      RychlyPrenos(u"RychlyPrenos"_s, u"Rychlý přenos"_s),
      NajitPrevodnik(u"NajitPrevodnik"_s, u"Najít převodník"_s),
      LabFirmPlace(u"LabFirmPlace"_s, u"Sídlo firmy"_s),
      LabFirmName1(u"LabFirmName1"_s),
      LabAdrFirmPlace1(u"LabAdrFirmPlace1"_s),
      LabPostCodeCity1(u"LabPostCodeCity1"_s),
      LabWork(u"LabWork"_s, u"Provozovna"_s),
      LabFirmName2(u"LabFirmName2"_s),
      LabAdrFirmPlace2(u"LabAdrFirmPlace2"_s),
      LabPostCodeCity2(u"LabPostCodeCity2"_s),
      LabTelNr(u"LabTelNr"_s),
      LabFaxNr(u"LabFaxNr"_s),
      LabMobNr(u"LabMobNr"_s),
      LabEmail(u"LabEmail"_s),
      LabWWWPage(u"LabWWWPage"_s),
      ImageLMX(u"ImageLMX"_s, u"logo-lmx"_s),
      LabHlavniVelicina(u"LabHlavniVelicina"_s, u"Hlavní měřená veličina "_s),
      ButMeasPV(u"ButMeasPV"_s, u"Změřit"_s),
      LabNamerenaHodnota(u"LabNamerenaHodnota"_s, u"Naměřená hodnota"_s),
      ZoZmHodn(u"ZoZmHodn"_s),
      LabKontinualni(u"LabKontinualni"_s, u"Kontinuální měření"_s),
      Start_Mer(u"Start_Mer"_s, u"Start měření"_s),
      Stop_mer(u"Stop_mer"_s, u"Stop"_s),
      LabOdeslano(u"LabOdeslano"_s, u"Odesláno"_s),
      EdSend(u"EdSend"_s),
      LabPrijato(u"LabPrijato"_s, u"Přijato"_s),
      EdReceive(u"EdReceive"_s),
      LabZaloha(u"LabZaloha"_s, u"Záloha převodníku"_s),
      Zalohovat(u"Zalohovat"_s, u"Zálohovat do souboru…"_s),
      Obnovit(u"Obnovit"_s, u"Obnovit ze zálohy…"_s),
      Porovnat(u"Porovnat"_s, u"Porovnat s převodníkem…"_s),
      LabZapis(u"LabZapis"_s, u"Při zápisu celé konfigurace"_s),
      ZalohaPredZapisem(u"ZalohaPredZapisem"_s, u"Zálohovat před každým zápisem"_s),
      LabSlozkaZaloh(u"LabSlozkaZaloh"_s, u"Složka záloh"_s),
      SlozkaZaloh(u"SlozkaZaloh"_s),
      VybratSlozku(u"VybratSlozku"_s, u"Vybrat…"_s),
      OveritZapis(u"OveritZapis"_s, u"Ověřit zápis"_s) {
    for (int k = 1; k <= 4; ++k)
        Komparator[static_cast<std::size_t>(k - 1)] = std::make_unique<ComparatorGroup>(k);

    // Initial states of the page "Konfigurace vstupu".
    Vstup.dropDownCount = 21;
    Vstup.items.clear();
    for (const std::uint8_t code : model::InputListCodes())
        Vstup.items.append(q(model::FindInputTypeByCode(code)->text));
    hideAll({&Label3,     &PripCidl,     &Label31,     &SnOdpor,  &Label32,      &OVzdStKon,
             &VzdStKon,   &Label10,      &DelPomer,    &Label11,  &Vol_Jednotka, &VolenaJednotka,
             &Pcelkodpor, &CelkovyOdpor, &Jcelkodpor,  &Label1,   &korekcePV,    &Label30,
             &Button8,    &Button1,      &S_Dolmez,    &S_Hormez, &Label18,      &Label78,
             &ZPocPrij,   &PresnaLin,    &LabOdchylka, &ButCidlo});
    for (Control* c : std::initializer_list<Control*>{&Pocatek, &Konec, &Linearizace, &Label4,
                                                      &Label6, &Label7, &Label8, &Label15, &Bevel3})
        c->enabled = false;
    EditUzPozn.maxLength = 60;

    // Page "Měření": the measurement buttons wait for a first complete read or write.
    ButMeasPV.enabled = false;
    Start_Mer.enabled = false;
    Stop_mer.enabled = false;
    ZoZmHodn.readOnly = true;

    OpenDialog1 = {u"OpenDialog1"_s,
                   u"Linearizační soubor"_s,
                   u"*.txt|*.txt|*.*|*.*"_s,
                   u"\\tervos_VELD\\linearizace"_s,
                   {},
                   false,
                   {}};
    SaveDialog2 = {u"SaveDialog2"_s,
                   {},
                   u"*.txt|*.txt|*.*|*.*"_s,
                   u"\\tervos_VELD\\konfigurace"_s,
                   u"txt"_s,
                   true,
                   {}};
    OpenDialog2 = {u"OpenDialog2"_s, {}, {}, u"\\tervos_VELD\\konfigurace"_s, {}, false, {}};

    place(TabSheet1,
          {&Konfigurace,   &LabVstup,      &Vstup,          &Label3,      &PripCidl,
           &Label4,        &Label6,        &Pocatek,        &Label8,      &Label7,
           &Konec,         &Label9,        &Label15,        &Linearizace, &PresnaLin,
           &ButCidlo,      &LabOdchylka,   &LabTlumeni,     &Tlumeni,     &LabTlumeniJednotka,
           &LabChybproud1, &LabChybproud2, &Chybproud,      &Label31,     &SnOdpor,
           &Label32,       &OVzdStKon,     &VzdStKon,       &Label10,     &DelPomer,
           &Label11,       &Vol_Jednotka,  &VolenaJednotka, &Pcelkodpor,  &CelkovyOdpor,
           &Jcelkodpor,    &Label1,        &korekcePV,      &Label30,     &Button8,
           &Button1,       &Bevel3,        &Label18,        &S_Dolmez,    &S_Hormez,
           &Poslat,        &Precist,       &LabKonfSoubor,  &ctisoub,     &Ulosoub,
           &LabUzPozn,     &EditUzPozn,    &Prec_Pozn,      &Uloz_Pozn,   &ButtonTV,
           &ButtonLMX,     &Label77,       &Label78,        &Label80,     &Label19,
           &ZPocPrij,      &Label5,        &Firma,          &ImageTV});
    for (auto& g : Komparator)
        place(TabSheet2, {&g->heading, &g->PovolKompar, &g->labMezsep, &g->EMezsep, &g->unitMezsep,
                          &g->labMezroz, &g->EMezroz, &g->unitMezroz, &g->labZpozdeni,
                          &g->labZpoSep, &g->EZpoSep, &g->unitZpoSep, &g->labZpoRoz, &g->EZpoRoz,
                          &g->unitZpoRoz, &g->labRezim, &g->RezimRele, &g->Preckomp, &g->Ulozkomp});
    place(TabSheet3, {&LabVystRozsah, &LabLoLimDA, &EdLoLimDA, &Label23, &LabHiLimDA, &EdHiLimDA,
                      &Label26, &LabJenAnalog, &Button2, &Button3});
    place(TabSheet5, {&SetCom, &LabDalsiPorty, &DalsiPorty, &RychlyPrenos, &NajitPrevodnik});
    place(TabSheet6, {&LabFirmPlace, &LabFirmName1, &LabAdrFirmPlace1, &LabPostCodeCity1, &LabWork,
                      &LabFirmName2, &LabAdrFirmPlace2, &LabPostCodeCity2, &LabTelNr, &LabFaxNr,
                      &LabMobNr, &LabEmail, &LabWWWPage, &ImageLMX});
    place(TabSheet4,
          {&LabHlavniVelicina, &ButMeasPV, &LabNamerenaHodnota, &ZoZmHodn, &LabKontinualni,
           &Start_Mer, &Stop_mer, &LabOdeslano, &EdSend, &LabPrijato, &EdReceive});
    place(TabSheet7, {&LabZaloha, &Zalohovat, &Obnovit, &Porovnat, &LabZapis, &ZalohaPredZapisem,
                      &LabSlozkaZaloh, &SlozkaZaloh, &VybratSlozku, &OveritZapis});
    SlozkaZaloh.readOnly = true;
    all_.push_back(&Prenos);
    all_.push_back(&Transfer1);

    // Start-up: profile TV is the one the window wears; the profile buttons are never offered.
    profileTvFlag = true;
    if (profileTvFlag)
        applyProfile(BrandingProfile::TV);
    if (profileLmxFlag)
        applyProfile(BrandingProfile::LMX);
    ButtonTV.hide();
    ButtonLMX.hide();
}

void MainForm::setFirmwareNumber(std::uint8_t stored) {
    firmwareNumber = *model::DecodeFirmwareNumber(std::span(&stored, 1));
    Label78.caption = QString::number(firmwareNumber);
    Label78.show();
}

void MainForm::place(TabSheet& page, std::initializer_list<Control*> list) {
    if (page.children.empty())
        all_.push_back(&page);
    for (Control* c : list) {
        page.children.push_back(c);
        all_.push_back(c);
    }
}

Control* MainForm::find(const QString& controlName) const {
    for (Control* c : all_)
        if (c->name == controlName)
            return c;
    return nullptr;
}

std::array<Label*, 12> MainForm::UnitLabels() {
    return {&Label8,
            &Label9,
            &Label23,
            &Label26,
            &Komparator[0]->unitMezsep,
            &Komparator[0]->unitMezroz,
            &Komparator[1]->unitMezsep,
            &Komparator[1]->unitMezroz,
            &Komparator[2]->unitMezsep,
            &Komparator[2]->unitMezroz,
            &Komparator[3]->unitMezsep,
            &Komparator[3]->unitMezroz};
}

std::array<Label*, 13> MainForm::InfoLabels() {
    return {&LabFirmPlace, &LabFirmName1,     &LabAdrFirmPlace1, &LabPostCodeCity1, &LabWork,
            &LabFirmName2, &LabAdrFirmPlace2, &LabPostCodeCity2, &LabTelNr,         &LabFaxNr,
            &LabMobNr,     &LabEmail,         &LabWWWPage};
}

ProfileTexts ProfileOf(BrandingProfile profile) {
    if (profile == BrandingProfile::TV)
        return {u"Ovládací program TERVOS - VELD"_s, u"C:\\TERVOS_VELD\\linearizace"_s,
                u"C:\\TERVOS_VELD\\konfigurace"_s};
    return {u"Ovládací program LORIMAX - VELD"_s, u"C:\\LORIMAX_VELD\\linearizace"_s,
            u"C:\\LORIMAX_VELD\\konfigurace"_s};
}

void MainForm::applyProfile(BrandingProfile profile) {
    const ProfileTexts texts = ProfileOf(profile);
    caption = texts.caption;
    OpenDialog1.initialDirectory = texts.linDirectory;
    OpenDialog2.initialDirectory = texts.configDirectory;
    SaveDialog2.initialDirectory = texts.configDirectory;
    // Contact details are placeholders of this program's own.
    if (profile == BrandingProfile::TV) {
        Label5.visible = true;
        ImageTV.visible = true;
        ImageLMX.visible = false;
        Firma.visible = false;
        LabFirmPlace.caption = u"Sídlo firmy"_s;
        LabFirmName1.caption = u"Výrobce s.r.o."_s;
        LabAdrFirmPlace1.caption = u"Ulice 1"_s;
        LabPostCodeCity1.caption = u"000 00 Město"_s;
        LabWork.caption = u"Provozovna"_s;
        LabFirmName2.caption = u"Výrobce s.r.o."_s;
        LabAdrFirmPlace2.caption = u"Dílenská 2"_s;
        LabPostCodeCity2.caption = u"000 00 Město"_s;
        LabTelNr.caption = u"Tel.: +420 000 000 000"_s;
        LabFaxNr.caption = u"Fax: +420 000 000 001"_s;
        LabMobNr.caption.clear();
        LabEmail.caption = u"info@vyrobce.example"_s;
        LabWWWPage.caption = u"www.vyrobce.example"_s;
    } else {
        Label5.caption.clear();
        Label5.visible = false;
        ImageTV.visible = false;
        ImageLMX.visible = true;
        Firma.visible = true;
        LabFirmPlace.caption.clear();
        LabFirmName1.caption.clear();
        LabAdrFirmPlace1.caption.clear();
        LabPostCodeCity1.caption.clear();
        LabWork.caption.clear();
        LabFirmName2.caption = u"Druhý výrobce s.r.o."_s;
        LabAdrFirmPlace2.caption = u"Ulice 3"_s;
        LabPostCodeCity2.caption = u"000 00 Obec"_s;
        LabTelNr.caption = u"Tel.: +420 000 000 010"_s;
        LabFaxNr.caption = u"Fax: +420 000 000 011"_s;
        LabMobNr.caption = u"GSM: +420 000 000 012"_s;
        LabEmail.caption = u"info@druhy-vyrobce.example"_s;
        LabWWWPage.caption = u"www.druhy-vyrobce.example"_s;
    }
}

}  // namespace veld::config
