#include "config_fixture.h"

#include "model/code_tables.h"

namespace veld::config::test {
namespace {

using InputRulesTest = ModelTest;

const QStringList kFull{u"linearizováno"_s, u"nelinearizováno"_s, u"ze souboru"_s};
const QStringList kPlain{u"nelinearizováno"_s, u"ze souboru"_s};
const QStringList kAllWires{u"dvouvodičově"_s, u"třívodičově"_s, u"čtyřvodičově"_s};
const QStringList kThreeFour{u"třívodičově"_s, u"čtyřvodičově"_s};

// An edit or list and its label: whether each is shown.
std::pair<bool, bool> Shown(const Control& control, const Control& label) {
    return {control.visible, label.visible};
}
std::pair<bool, bool> Both(bool shown) {
    return {shown, shown};
}

TEST_F(InputRulesTest, unifiedSignalTypesFixTheirRange) {
    struct Row {
        QString type, begin, end, unit;
        float low, high, offset, span;
    };
    // clang-format off
    const Row rows[] = {
        {u"0...10 V-vstup U/I"_s, u"0"_s, u"10"_s, u"V"_s, 0, 10, 0, 10},
        {u"0...20 mA-vstup U/I"_s, u"0"_s, u"20"_s, u"mA"_s, 0, 20, 0, 20},
        {u"4...20 mA-vstup U/I"_s, u"4"_s, u"20"_s, u"mA"_s, 4, 20, 4, 16},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type.toStdString());
        chooseType(r.type);
        EXPECT_EQ((QStringList{f().Pocatek.text(), f().Konec.text()}),
                  (QStringList{r.begin, r.end}));
        EXPECT_FALSE(f().Pocatek.enabled || f().Konec.enabled || f().PripCidl.visible);
        EXPECT_EQ((QStringList{f().Label8.caption, f().Label26.caption,
                               f().Komparator[3]->unitMezroz.caption}),
                  QStringList(3, r.unit));
        EXPECT_EQ(f().Linearizace.items, kPlain);
        EXPECT_EQ(f().Linearizace.text, u"nelinearizováno"_s);
        EXPECT_TRUE(f().Linearizace.visible && f().Linearizace.enabled);
        EXPECT_EQ((std::vector<float>{m().state.SignalLow, m().state.SignalHigh,
                                      m().state.SignalOffset, m().state.SignalSpan}),
                  (std::vector<float>{r.low, r.high, r.offset, r.span}));
    }
    EXPECT_EQ(m().config.UnitCode, model::kUnitMilliAmp);
}

TEST_F(InputRulesTest, linearizationShortcutsAndTheRangeCaption) {
    chooseType(u"termočlánek J"_s);
    m().userEdited(f().Linearizace, u"N"_s);
    EXPECT_EQ(f().Linearizace.text, u"nelinearizováno"_s);
    m().userEdited(f().Linearizace, u"L"_s);
    EXPECT_EQ(f().Linearizace.text, u"linearizováno"_s);
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah"_s);
    EXPECT_TRUE(prompts.messages.isEmpty());
    m().userEdited(f().Linearizace, u"q"_s);
    EXPECT_TRUE(f().Linearizace.text.isEmpty());
    EXPECT_EQ(prompts.messages, QStringList{u"špatně zadaný způsob linearizace"_s});

    // A linearized unified range is editable and returns to the fixed one without.
    chooseType(u"0...20 mA-vstup U/I"_s);
    m().userEdited(f().Linearizace, u"l"_s);
    EXPECT_EQ(f().Linearizace.text, u"linearizováno"_s);
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah po linearizaci"_s);
    EXPECT_TRUE(f().Pocatek.enabled && f().Konec.enabled);
    m().userEdited(f().Pocatek, u"5"_s);
    m().userEdited(f().Linearizace, u"n"_s);
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah"_s);
    EXPECT_FALSE(f().Pocatek.enabled);
    EXPECT_EQ((QStringList{f().Pocatek.text(), f().Konec.text()}), (QStringList{u"0"_s, u"20"_s}));

    // The square root arrives from a transfer, then the handler runs.
    f().Linearizace.text = u"druhá odmocnina"_s;
    m().rules().LinearizaceChange();
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah po úpravě"_s);
    EXPECT_TRUE(f().Pocatek.enabled);
    EXPECT_FALSE(f().S_Dolmez.enabled || f().S_Hormez.enabled || f().Label18.enabled);
    chooseType(u"napětí"_s);
    f().Linearizace.text = u"druhá odmocnina"_s;
    m().rules().LinearizaceChange();
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah"_s);
}

TEST_F(InputRulesTest, eachKindSetsConnectionLinearizationUnitAndSideGroups) {
    struct Row {
        QString type;
        QStringList wires;  // empty: connection hidden
        QStringList linItems;
        QString lin, unit;
        std::uint8_t unitCode;
        bool pv, divider, sense, total;
    };
    // clang-format off
    const Row rows[] = {
        {u"odporový teploměr Pt100"_s, kAllWires, kFull, u"linearizováno"_s, u"°C"_s, 32, true, false, false, false},
        {u"reostat"_s, kAllWires, kPlain, u"nelinearizováno"_s, u"Ohm"_s, 37, false, false, false, false},
        {u"potenciometr"_s, kThreeFour, kPlain, u"nelinearizováno"_s, u"Ohm"_s, 37, false, false, false, false},
        {u"potenciometr relativní"_s, kThreeFour /* left by the row before */, kPlain, u"nelinearizováno"_s, u"%"_s, 57, false, false, false, true},
        {u"termočlánek K"_s, {}, kFull, u"linearizováno"_s, u"°C"_s, 32, false, false, false, false},
        {u"napětí"_s, {}, kPlain, u"nelinearizováno"_s, u"V"_s, 58, false, true, false, false},
        {u"proud"_s, {}, kPlain, u"nelinearizováno"_s, u"mA"_s, 39, false, false, true, false},
        {u"rozdíl dvou proudů"_s, {}, kPlain, u"nelinearizováno"_s, u"mA"_s, 39, false, false, true, true},
        {u"rozdíl dvou napětí"_s, {}, {}, QString(), u"V"_s, 58, false, true, false, true},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type.toStdString());
        f().Linearizace.items.clear();  // to see which types leave the items alone
        chooseType(r.type);
        EXPECT_EQ(m().state.InputTypeText, r.type);
        EXPECT_EQ(Shown(f().PripCidl, f().Label3), Both(!r.wires.isEmpty()));
        if (!r.wires.isEmpty()) {
            EXPECT_EQ(f().PripCidl.items, r.wires);
        }
        EXPECT_TRUE(f().PripCidl.text.isEmpty());
        EXPECT_EQ(f().Linearizace.items, r.linItems);
        EXPECT_EQ(f().Linearizace.text, r.lin);
        EXPECT_TRUE(f().Pocatek.enabled && f().Konec.enabled);
        EXPECT_TRUE(f().Pocatek.isEmpty() && f().Konec.isEmpty());
        EXPECT_EQ(f().Label9.caption, r.unit);
        EXPECT_EQ(f().VolenaJednotka.text, r.unit);
        EXPECT_EQ(m().config.UnitCode, r.unitCode);
        EXPECT_EQ(Shown(f().korekcePV, f().Label1), Both(r.pv));
        EXPECT_EQ(Shown(f().DelPomer, f().Label10), Both(r.divider));
        EXPECT_EQ(Shown(f().SnOdpor, f().Label31), Both(r.sense));
        EXPECT_EQ(f().CelkovyOdpor.visible, r.total);
        EXPECT_FALSE(f().VzdStKon.visible || f().VolenaJednotka.visible || f().S_Dolmez.visible);
        EXPECT_TRUE(f().S_Dolmez.enabled);
    }
}

TEST_F(InputRulesTest, relativePotentiometerIsAFullType) {
    chooseType(u"potenciometr relativní"_s);
    EXPECT_EQ(f().DelPomer.text(), u"100"_s);
    EXPECT_EQ(m().config.DividerRatio, 100.0L);
    EXPECT_EQ(f().Jcelkodpor.caption, u"Ohm"_s);  // the total resistance stays in Ohm
    EXPECT_EQ(f().PripCidl.items, kAllWires);     // those of the window as created
    m().userEdited(f().PripCidl, u"d"_s);         // two wires are refused for "potenciometr" only
    EXPECT_EQ(f().PripCidl.text, u"dvouvodičově"_s);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(InputRulesTest, typeChangeResetsSideFields) {
    chooseType(u"proud"_s);
    m().userEdited(f().SnOdpor, u"5"_s);
    m().userEdited(f().Pocatek, u"1"_s);
    f().VzdStKon.show();
    chooseType(u"napětí"_s);
    EXPECT_FALSE(f().SnOdpor.visible || f().Label31.visible || f().Label32.visible);
    EXPECT_TRUE(f().SnOdpor.isEmpty());
    EXPECT_EQ(m().config.SenseResistance, 5.0L);  // an emptied edit keeps the value
    EXPECT_TRUE(f().DelPomer.visible && f().Label11.visible);
    EXPECT_EQ(f().DelPomer.text(), u"1"_s);
    EXPECT_EQ(m().config.DividerRatio, 1.0L);
    EXPECT_TRUE(f().Pocatek.isEmpty());
    EXPECT_FALSE(f().VzdStKon.visible);
    EXPECT_TRUE(f().VzdStKon.text.isEmpty());

    m().userEdited(f().DelPomer, u"4"_s);
    m().config.PvCorrection = 3;
    f().Prenos.position = 50;
    chooseType(u"odporový teploměr Pt100"_s);
    EXPECT_EQ(m().config.DividerRatio, 1.0L);
    EXPECT_EQ(m().config.PvCorrection, 0.0L);
    EXPECT_EQ(f().korekcePV.text(), u"0"_s);
    EXPECT_EQ(f().Prenos.position, 0);
}

TEST_F(InputRulesTest, unknownTypeTextIsEmptiedAndNothingEnabled) {
    chooseType(u"odporový"_s);
    EXPECT_TRUE(f().Vstup.text.isEmpty());
    EXPECT_FALSE(f().Pocatek.enabled || f().Konec.enabled || f().Linearizace.enabled);
    EXPECT_FALSE(f().Label4.enabled || f().Label8.enabled);
    EXPECT_FALSE(f().PripCidl.visible);
    EXPECT_TRUE(prompts.messages.isEmpty());

    chooseType(u"reostat"_s);
    chooseType(u"REOSTAT"_s);
    EXPECT_TRUE(f().Vstup.text.isEmpty());
    EXPECT_FALSE(f().Pocatek.enabled);
    EXPECT_TRUE(f().Linearizace.text.isEmpty());
    EXPECT_EQ(m().state.InputTypeText, u"reostat"_s);  // the last accepted one
}

TEST_F(InputRulesTest, connectionShortcutsAndPotentiometerRule) {
    struct Row {
        QString type, typed, result;
        bool refused;
    };
    // clang-format off
    const Row rows[] = {
        {u"reostat"_s, u"t"_s, u"třívodičově"_s, false},   {u"reostat"_s, u"D"_s, u"dvouvodičově"_s, false},
        {u"reostat"_s, u"č"_s, u"čtyřvodičově"_s, false},  {u"reostat"_s, u"C"_s, u"čtyřvodičově"_s, false},
        {u"potenciometr"_s, u"d"_s, QString(), true},      {u"potenciometr"_s, u"T"_s, u"třívodičově"_s, false},
        {u"odporový teploměr Pt100"_s, u"x"_s, QString(), true},
        {u"odporový teploměr Pt100"_s, u"dvouvodičově"_s, u"dvouvodičově"_s, false},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE((r.type + u" / "_s + r.typed).toStdString());
        chooseType(r.type);
        clearPrompts();
        m().userEdited(f().PripCidl, r.typed);
        EXPECT_EQ(f().PripCidl.text, r.result);
        if (r.refused) {
            EXPECT_EQ(prompts.messages, QStringList{u"špatně zadaný způsob připojení čidla"_s});
            EXPECT_EQ(prompts.focused, QStringList{u"PripCidl"_s});
        } else {
            EXPECT_TRUE(prompts.messages.isEmpty());
        }
    }
}

TEST_F(InputRulesTest, chosenUnitShortcuts) {
    struct Row {
        QString typed, text, labels;
        std::uint8_t code;
    };
    // clang-format off
    const Row rows[] = {
        {u"°"_s, u"°C"_s, u"°C"_s, 32}, {u"o"_s, u"Ohm"_s, u"Ohm"_s, 37}, {u"v"_s, u"V"_s, u"V"_s, 58},
        {u"M"_s, u"mA"_s, u"mA"_s, 39}, {u"%"_s, u"%"_s, u"%"_s, 57},     {u"b"_s, u"Bez jednotky"_s, QString(), 251},
    };
    // clang-format on
    chooseType(u"reostat"_s);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        f().VolenaJednotka.show();
        m().userEdited(f().VolenaJednotka, r.typed);
        EXPECT_EQ(f().VolenaJednotka.text, r.text);
        EXPECT_EQ(m().config.UnitCode, r.code);
        EXPECT_EQ(f().Label8.caption, r.labels);
        EXPECT_EQ(f().Komparator[0]->unitMezsep.caption, r.labels);
    }
    clearPrompts();
    m().userEdited(f().VolenaJednotka, u"x"_s);
    EXPECT_TRUE(f().VolenaJednotka.text.isEmpty());
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(prompts.focused, QStringList{u"VolenaJednotka"_s});
}

TEST_F(InputRulesTest, sideValuesConvertWithTheSystemSeparatorOnEveryChange) {
    struct Row {
        DecimalSeparator sep;
        QString typed;
        bool accepted;  // else refused with the message and the edit emptied
        long double value;
    };
    // The other separator is no number until leaving the edit normalizes it.
    const Row rows[] = {
        {DecimalSeparator::Point, u"12.5"_s, true, 12.5L},
        {DecimalSeparator::Point, u"12,5"_s, false, 0},
        {DecimalSeparator::Comma, u"12,5"_s, true, 12.5L},
        {DecimalSeparator::Comma, u"12.5"_s, false, 0},
        {DecimalSeparator::Point, u"abc"_s, false, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        useSeparator(r.sep);
        chooseType(u"proud"_s);
        m().userEdited(f().SnOdpor, u"7"_s);
        m().userEdited(f().SnOdpor, r.typed);
        EXPECT_EQ(f().SnOdpor.isEmpty(), !r.accepted);
        EXPECT_EQ(m().config.SenseResistance, r.accepted ? r.value : 7.0L);
        EXPECT_EQ(
            prompts.messages,
            r.accepted ? QStringList{} : QStringList{u"Špatně zadaná hodnota snímacího odporu."_s});

        chooseType(u"napětí"_s);
        clearPrompts();
        m().userEdited(f().DelPomer, r.typed);
        EXPECT_EQ(f().DelPomer.isEmpty(), !r.accepted);
        EXPECT_EQ(m().config.DividerRatio, r.accepted ? r.value : 1.0L);
        EXPECT_EQ(prompts.messages, r.accepted
                                        ? QStringList{}
                                        : QStringList{u"špatně zadaná hodnota dělícího poměru"_s});
        clearPrompts();
    }
}

TEST_F(InputRulesTest, fromFileCancelledRestoresThePresetUnlessAFileWasChosenBefore) {
    chooseType(u"termočlánek K"_s);
    chooseFromFile(QString());
    ASSERT_EQ(prompts.fileRequests.size(), 1);
    EXPECT_EQ(prompts.fileRequests.front().title, u"Linearizační soubor"_s);
    EXPECT_EQ(f().Linearizace.text, u"linearizováno"_s);
    EXPECT_EQ(f().Linearizace.items, kFull);
    EXPECT_FALSE(f().VolenaJednotka.visible);
    EXPECT_EQ(f().Label8.caption, u"°C"_s);
    EXPECT_TRUE(m().state.LinFileChosen);
    EXPECT_FALSE(m().points.PointsLoaded || m().dialog.visible);

    chooseFromFile(pointFile(u"a.txt"_s, linearPoints(5)));
    ASSERT_TRUE(m().points.PointsLoaded);
    m().userClicked(m().dialog.OK);
    m().userEdited(f().Linearizace, u"l"_s);
    chooseFromFile(QString());
    EXPECT_EQ(f().Linearizace.text, u"ze souboru"_s);
    EXPECT_TRUE(f().VolenaJednotka.visible);
    EXPECT_EQ(f().VolenaJednotka.text, u"Bez jednotky"_s);
    EXPECT_TRUE(f().Label8.caption.isEmpty() && f().Label23.caption.isEmpty());
    EXPECT_TRUE(m().state.UnitText.isEmpty());
    EXPECT_EQ(f().Label4.caption, u"Měřicí rozsah po linearizaci"_s);
    EXPECT_TRUE(f().Pocatek.enabled && f().Pocatek.isEmpty());
    EXPECT_EQ(m().points.PointCount, 5);
}

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

TEST_F(InputRulesTest, malformedPointFileIsReportedAndUsesNoPoint) {
    chooseType(u"reostat"_s);
    chooseFromFile(pointFile(u"zly.txt"_s, "0 0\n1,5 2\n3 4\n"));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages.front().contains(u"řádku 2"_s))
        << prompts.messages.front().toStdString();
    EXPECT_FALSE(m().points.PointsLoaded || m().dialog.visible);
    EXPECT_EQ(m().points.PointCount, 0);
    EXPECT_TRUE(f().OpenDialog1.fileName.isEmpty());
    EXPECT_EQ(f().Linearizace.text, u"nelinearizováno"_s);
}

}  // namespace
}  // namespace veld::config::test
