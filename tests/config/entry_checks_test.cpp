#include "config_fixture.h"

#include <cmath>

namespace veld::config::test {
namespace {

using EntryChecksTest = ModelTest;

const QString kLower = u"Dolní hodnota rozsahu musí být v intervalu "_s;
const QString kUpper = u"Horní hodnota rozsahu musí být v intervalu "_s;
const QString kSpan = u"Povolené minimální rozpětí je "_s;
const QString kNoSense = u"Není zadána hodnota snímacího odporu."_s;

// Ends of the range and of the minimum span, for each unit and for the types of the widest
// minimum spans.
TEST_F(EntryChecksTest, rangeLimitsAndMinimumSpanAtTheirEdges) {
    struct Row {
        QString type, begin, end, message;
    };
    const QString pt100 = u"odporový teploměr Pt100"_s;
    // clang-format off
    const Row rows[] = {
        {pt100, u"-200"_s, u"850"_s, {}},
        {pt100, u"-201"_s, {}, kLower + u"-200.000 až 850.000 °C"_s},
        {pt100, u"0"_s, u"850.001"_s, kUpper + u"-200.000 až 850.000 °C"_s},
        {pt100, u"0"_s, u"20"_s, kSpan + u"25.000 °C"_s},
        {pt100, u"0"_s, u"25"_s, {}},
        {u"rozdíl dvou rezistorů"_s, u"-4000"_s, u"4000.5"_s, kUpper + u"-4000.000 až 4000.000 Ohm"_s},
        {u"reostat"_s, u"0"_s, u"19.999"_s, kSpan + u"20.000 Ohm"_s},
        {u"potenciometr relativní"_s, u"95"_s, u"99.999"_s, kSpan + u"5.000 %"_s},
        {u"potenciometr relativní"_s, u"0"_s, u"101"_s, kUpper + u"0.000 až 100.000 %"_s},
        {u"termočlánek B"_s, u"600"_s, u"1820"_s, {}},
        {u"termočlánek B"_s, u"100"_s, u"599.999"_s, kSpan + u"500.000 °C"_s},
        {u"termočlánek K"_s, u"-200"_s, u"1371"_s, kUpper + u"-200.000 až 1370.000 °C"_s},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE((r.type + u" "_s + r.begin + u".."_s + r.end).toStdString());
        chooseType(r.type);
        clearPrompts();
        enter(f().Pocatek, r.begin);
        if (!r.end.isEmpty())
            enter(f().Konec, r.end);
        EXPECT_EQ(prompts.messages, r.message.isEmpty() ? QStringList{} : QStringList{r.message});
        EXPECT_EQ(m().state.BeginOutOfRange, r.message.startsWith(kLower));
        EXPECT_EQ(m().state.EndOutOfRange, r.message.startsWith(kUpper));
        EXPECT_EQ(m().state.SpanTooSmall, r.message.startsWith(kSpan));
        if (r.end.isEmpty()) {
            // A refused begin keeps focus and the typed value.
            EXPECT_EQ(prompts.focused, QStringList{u"Pocatek"_s});
            EXPECT_EQ(m().config.RangeBegin, r.begin.toDouble());
        }
    }
}

// What the user sees after typing into the entries of a type and leaving each, in order.
TEST_F(EntryChecksTest, typedEntriesAndTheirMessages) {
    struct Script {
        QString type;
        std::vector<std::pair<QString, QString>> steps;  // edit, text
        QStringList messages;
        std::optional<QStringList> focused = std::nullopt;
        DecimalSeparator separator = DecimalSeparator::Point;
    };
    const QString u = u"napětí"_s, i = u"proud"_s, di = u"rozdíl dvou proudů"_s;
    const QString rel = u"potenciometr relativní"_s;
    const QString b = u"Pocatek"_s, e = u"Konec"_s, sense = u"SnOdpor"_s, total = u"CelkovyOdpor"_s;
    const QString maxCurrent = u"Maximální hodnota proudu musí být v intervalu 0 až "_s;
    // clang-format off
    const Script scripts[] = {
        // The minimum span of a voltage follows the size of the range.
        {u, {{b, u"0"_s}, {e, u"0.016"_s}}, {}},
        {u, {{b, u"0"_s}, {e, u"0.0029"_s}}, {kSpan + u"0.003 V"_s}},
        {u, {{b, u"0"_s}, {e, u"0.018"_s}}, {kSpan + u"0.020 V"_s}},
        {u, {{b, u"0"_s}, {e, u"0.025"_s}}, {}},
        // The limits follow the divider and the sense resistor.
        {u, {{u"DelPomer"_s, u"3"_s}, {b, u"-0.3"_s}, {e, u"3"_s}}, {}},  // exactly -0.1 D
        {u, {{u"DelPomer"_s, u"3"_s}, {b, u"-0.3"_s}, {e, u"3.5"_s}}, {kUpper + u"-0.300 až 3.000 V"_s}},
        {i, {{sense, u"5"_s}, {b, u"-20"_s}, {e, u"20"_s}}, {}},
        {i, {{sense, u"5"_s}, {b, u"-20"_s}, {e, u"20.5"_s}}, {kUpper + u"-20.000 až 20.000 mA"_s}},
        {i, {{sense, u"5"_s}, {b, u"0"_s}, {e, u"3.9"_s}}, {kSpan + u"4.000 mA"_s}},
        // A new sense resistor checks the end again: 100/20 = 5 mA; zero is refused.
        {i, {{sense, u"10"_s}, {b, u"0"_s}, {e, u"10"_s}, {sense, u"20"_s}}, {kUpper + u"-5.000 až 5.000 mA"_s}},
        {i, {{sense, u"10"_s}, {b, u"0"_s}, {e, u"10"_s}, {sense, u"0"_s}}, {u"Zadana hodnota snímacího odporu nesmí být 0."_s, kNoSense}},
        // Not a number; empty entries are not checked.
        {u"reostat"_s, {{b, u"1o"_s}, {e, u"x"_s}}, {u"Špatně zadaná dolní mez."_s, u"Špatně zadaná horní mez"_s}, QStringList{b, e}},
        {i, {{b, {}}, {e, {}}, {sense, {}}, {u"Tlumeni"_s, {}}}, {}},
        // The total resistance of the relative potentiometer and the maximal current.
        {rel, {{total, u"4000"_s}}, {}},
        {rel, {{total, u"5000"_s}}, {u"Hodnota celkového odporu potenciometru musí být v intervalu 0 až 4000 Ohm"_s}},
        {rel, {{total, u"pět"_s}}, {u"Špatně zadaná hodnota celkového odporu potenciometru."_s}},
        {di, {{sense, u"5"_s}, {total, u"25"_s}}, {}},
        {di, {{sense, u"5"_s}, {total, u"30"_s}}, {maxCurrent + u"25.6 mA"_s}, QStringList{total}},
        {di, {{sense, u"5"_s}, {total, u"30"_s}}, {maxCurrent + u"25,6 mA"_s}, QStringList{total}, DecimalSeparator::Comma},
    };
    // clang-format on
    for (const Script& script : scripts) {
        QString trace = script.type;
        for (const auto& [edit, text] : script.steps)
            trace += u' ' + edit + u'=' + text;
        SCOPED_TRACE(trace.toStdString());
        useSeparator(script.separator);
        clearPrompts();
        chooseType(script.type);
        for (const auto& [edit, text] : script.steps) {
            m().userEdited(edit, text);
            m().userLeft(edit);
        }
        EXPECT_EQ(prompts.messages, script.messages);
        if (script.focused) {
            EXPECT_EQ(prompts.focused, *script.focused);
        }
    }
}

TEST_F(EntryChecksTest, currentWithoutSenseResistorStopsBeforeTheLimits) {
    chooseType(u"rozdíl dvou proudů"_s);
    m().state.BeginOutOfRange = true;  // from an earlier run: must stay
    enter(f().Pocatek, u"1"_s);
    EXPECT_EQ(prompts.messages, QStringList{kNoSense});
    EXPECT_EQ(prompts.focused, QStringList{u"SnOdpor"_s});
    EXPECT_TRUE(m().state.BeginOutOfRange);
    EXPECT_EQ(m().config.RangeBegin, 0.0L);
    enter(f().CelkovyOdpor, u"30"_s);  // refused too, but the value typed is kept
    EXPECT_EQ(m().config.TotalResistance, 30.0L);
}

TEST_F(EntryChecksTest, rangeIsCopiedToTheOutputRangeUnlessTooSmallAtTheEnd) {
    chooseType(u"reostat"_s);
    enter(f().Pocatek, u"100"_s);
    EXPECT_EQ(f().EdLoLimDA.text(), u"100"_s);
    enter(f().Konec, u"110"_s);  // span 10 < 20: KonecExit stops after its message
    EXPECT_TRUE(f().EdHiLimDA.isEmpty());
    enter(f().Pocatek, u"105"_s);               // PocatekExit goes on after the span message
    EXPECT_EQ(f().EdLoLimDA.text(), u"100"_s);  // not overwritten
    enter(f().Konec, u"300"_s);
    EXPECT_EQ(f().EdHiLimDA.text(), u"300"_s);
}

TEST_F(EntryChecksTest, decimalSeparatorBothWays) {
    struct Row {
        DecimalSeparator separator;
        QString typed, shown;
        bool isPoint;
    };
    for (const Row& r : {Row{DecimalSeparator::Comma, u"12.5"_s, u"12,5"_s, false},
                         Row{DecimalSeparator::Point, u"12,5"_s, u"12.5"_s, true}}) {
        SCOPED_TRACE(r.typed.toStdString());
        useSeparator(r.separator);
        chooseType(u"odporový teploměr Pt100"_s);
        enter(f().Pocatek, r.typed);
        EXPECT_EQ(f().Pocatek.text(), r.shown);
        EXPECT_EQ(m().config.RangeBegin, 12.5L);
        EXPECT_EQ(m().checks().UpravaFormatu(u"1.2,3"_s), r.isPoint ? u"1.2.3"_s : u"1,2,3"_s);
        // Messages keep the full stop on either system.
        enter(f().Konec, u"900"_s);
        EXPECT_EQ(prompts.messages.back(), kUpper + u"-200.000 až 850.000 °C"_s);
    }
}

TEST_F(EntryChecksTest, unifiedDecimalClassesAndNoLimits) {
    chooseType(u"0...10 V-vstup U/I"_s);
    m().userEdited(f().Linearizace, u"l"_s);
    for (const auto& [end, decimals] :
         {std::pair{u"50"_s, 2}, {u"5"_s, 0}, {u"500"_s, 1}, {u"5000"_s, 0}, {u"-60"_s, 2}}) {
        SCOPED_TRACE(end.toStdString());
        enter(f().Pocatek, u"0"_s);
        enter(f().Konec, end);
        enter(f().Pocatek, u"0"_s);
        EXPECT_EQ(m().state.EndDecimals, decimals);
        EXPECT_EQ(m().state.BeginDecimals, decimals);
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(m().state.BeginOutOfRange || m().state.EndOutOfRange || m().state.SpanTooSmall);
}

TEST_F(EntryChecksTest, fromFileLimitsComeFromTheDesiredValuesWhenPointsAreLoaded) {
    chooseType(u"reostat"_s);
    f().Linearizace.text = u"ze souboru"_s;  // as a read from the transmitter leaves it
    enter(f().Pocatek, u"-5"_s);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(m().state.BeginOutOfRange);

    chooseFromFile(pointFile(u"dolu.txt"_s, "0 100\n50 40\n100 10\n"));  // runs downwards
    ASSERT_TRUE(m().points.PointsLoaded);
    enter(f().Pocatek, u"10"_s);
    enter(f().Konec, u"11"_s);  // no minimum span with a file
    EXPECT_TRUE(prompts.messages.isEmpty()) << shown();
    enter(f().Konec, u"101"_s);
    EXPECT_EQ(prompts.messages, QStringList{kUpper + u"100.000 až 10.000 "_s});
}

TEST_F(EntryChecksTest, dampingBoundsAndCoefficient) {
    struct Row {
        QString typed;
        bool refused;
        float coefficient;
        float tolerance;  // the coefficient is quoted to four digits
    };
    const Row rows[] = {
        {u"0.3"_s, false, 1.0f, 0.0f},  // the formula gives about 1.39: limited to exactly 1
        {u"0.5"_s, false, 0.2879f, 0.00005f}, {u"30"_s, false, 0.0025f, 0.00001f},
        {u"0.25"_s, true, 1.0f, 0.0f},        {u"31"_s, true, 0.00242f, 0.00001f},
        {u"0.1"_s, true, 0.002f, 0.0f},  // negative denominator: the lower bound
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.typed.toStdString());
        clearPrompts();
        enter(f().Tlumeni, r.typed);
        EXPECT_EQ(prompts.messages, r.refused
                                        ? QStringList{u"Tlumení musí být v rozsahu 0.3...30 s."_s}
                                        : QStringList{});
        EXPECT_NEAR(m().state.DampingCoefficient, r.coefficient, r.tolerance);
    }
    // Not a number keeps the value before.
    enter(f().Tlumeni, u"2"_s);
    clearPrompts();
    enter(f().Tlumeni, u"dva"_s);
    EXPECT_EQ(prompts.messages, QStringList{u"Císlo je špatne definováno."_s});
    EXPECT_EQ(prompts.focused, QStringList{u"Tlumeni"_s});
    EXPECT_EQ(m().config.Damping, 2.0L);
    EXPECT_EQ(m().state.DampingCoefficient, EntryChecks::DampingCoefficient(2));
}

TEST_F(EntryChecksTest, listChoicesMustBeItems) {
    f().VzdStKon.show();
    f().VzdStKon.text = u"blízký studený konec"_s;  // as a read leaves it
    m().userLeft(f().VzdStKon);
    EXPECT_EQ(prompts.messages, QStringList{u"Špatně zadaná volba vzdálenosti studeného konce."_s});
    EXPECT_TRUE(f().VzdStKon.text.isEmpty());
    EXPECT_EQ(prompts.focused, QStringList{u"VzdStKon"_s});
    clearPrompts();
    f().VzdStKon.text = u"externí studený konec"_s;
    m().userLeft(f().VzdStKon);
    m().userEdited(f().Chybproud, u"nadproud"_s);
    m().userLeft(f().Chybproud);
    EXPECT_TRUE(prompts.messages.isEmpty());
    m().userEdited(f().Chybproud, u"nad"_s);
    m().userLeft(f().Chybproud);
    EXPECT_EQ(prompts.messages, QStringList{u"Špatně zadaná volba chybového proudu"_s});
    EXPECT_TRUE(f().Chybproud.text.isEmpty());
}

// Fills the page step by step; each call must report the next missing entry, in order.
TEST_F(EntryChecksTest, completenessInItsOrder) {
    const auto missing = [&]() -> QString {
        clearPrompts();
        m().state.IncompleteInput = false;
        m().checks().Testvyplneni();
        EXPECT_EQ(m().state.IncompleteInput, !prompts.messages.isEmpty());
        return prompts.messages.value(0);
    };
    chooseType(u"rozdíl dvou proudů"_s);
    EXPECT_EQ(missing(), u"Není zadána hodnota měřicího odporu"_s);
    EXPECT_EQ(prompts.focused, QStringList{u"SnOdpor"_s});
    m().userEdited(f().SnOdpor, u"5"_s);
    EXPECT_EQ(missing(), u"Není zadána dolní mez rozsahu"_s);
    m().userEdited(f().Pocatek, u"0"_s);
    EXPECT_EQ(missing(), u"Není zadána horní mez rozsahu"_s);
    m().userEdited(f().Konec, u"10"_s);
    f().Tlumeni.setText(QString());
    EXPECT_EQ(missing(), u"Není zadána časová konstanta tlumení"_s);
    f().Tlumeni.setText(u"1"_s);
    f().Chybproud.text.clear();
    EXPECT_EQ(missing(), u"Není zadána volba chybového proudu"_s);
    f().Chybproud.text = u"podproud"_s;
    EXPECT_EQ(missing(), u"Není zadána maximální hodnota měřených proudů."_s);
    m().userEdited(f().CelkovyOdpor, u"20"_s);
    EXPECT_EQ(missing(), QString());

    chooseType(u"potenciometr"_s);
    EXPECT_EQ(missing(), u"Není zadán způsob připojení čidla"_s);
    EXPECT_EQ(prompts.focused, QStringList{u"PripCidl"_s});
    f().PripCidl.text = u"třívodičově"_s;
    f().Linearizace.text.clear();
    EXPECT_EQ(missing(), u"Není zadán způsob linearizace"_s);

    // The total of each difference type and of the relative potentiometer; a missing entry
    // whose control is hidden gets its message but no focus.
    struct Total {
        QString type, wiring, message;
    };
    for (const Total& t :
         {Total{u"rozdíl dvou napětí"_s, {}, u"Není zadána maximální hodnota měřených napětí."_s},
          Total{u"rozdíl dvou rezistorů"_s,
                {},
                u"Není zadána hodnota maximálního odporu součtu měřených rezistorů."_s},
          Total{u"potenciometr relativní"_s, u"čtyřvodičově"_s,
                u"Není zadán celkový odpor potenciometru."_s}}) {
        chooseType(t.type);
        f().PripCidl.text = t.wiring;
        f().CelkovyOdpor.hide();
        if (t.wiring.isEmpty())
            f().Linearizace.text = u"nelinearizováno"_s;
        f().Pocatek.setText(u"0"_s);
        f().Konec.setText(u"1"_s);
        EXPECT_EQ(missing(), t.message);
        EXPECT_TRUE(prompts.focused.isEmpty());
    }

    // A file linearization read from a transmitter: no file chosen yet, then no unit.
    chooseType(u"reostat"_s);
    f().PripCidl.text = u"třívodičově"_s;
    f().Linearizace.text = u"ze souboru"_s;
    f().Pocatek.setText(u"0"_s);
    f().Konec.setText(u"1"_s);
    EXPECT_EQ(missing(), u"Není vybrán soubor pro linearizaci."_s);
    EXPECT_TRUE(prompts.focused.isEmpty());
    f().OpenDialog1.fileName = u"body.txt"_s;
    f().VolenaJednotka.show();
    f().VolenaJednotka.text.clear();
    EXPECT_EQ(missing(), u"Není zadaná jednotka."_s);
    EXPECT_EQ(prompts.focused, QStringList{u"VolenaJednotka"_s});

    // The check never clears the flag itself.
    f().VolenaJednotka.text = u"%"_s;
    m().checks().Testvyplneni();
    EXPECT_TRUE(m().state.IncompleteInput);
}

TEST_F(EntryChecksTest, backConversionUsesTheSensorCurveEvenForFileAndRootDisplays) {
    m().config.SensorCurve = 9;  // Pt100
    for (std::uint8_t display : {9, 14, 15}) {
        m().config.DisplayCurve = display;
        // 138.50 Ohm at 100 degC; a single holds it to about 1e-5.
        EXPECT_NEAR(m().checks().ZPPrepoc(100), 138.5f, 1e-4f) << int(display);
    }
    m().config.SensorCurve = 16;
    EXPECT_EQ(m().checks().ZPPrepoc(12.5L), 12.5f);
    m().config.SensorCurve = 1;  // K: 41.269 mV at 1000 degC
    EXPECT_NEAR(m().checks().ZPPrepoc(1000), 0.041269f, 1e-6f);
}

}  // namespace
}  // namespace veld::config::test
