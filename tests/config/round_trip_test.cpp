// A write, then a read by a fresh program from the same transmitter memory: every input type
// shows what was written, or is refused before anything reaches the transmitter.

#include "config_fixture.h"

#include "model/hw_presets.h"
#include "model/input_types.h"

#include <vector>

namespace veld::config::test {
namespace {

struct Case {
    QString type;
    QString wiring;      // empty: the type has no connection choice
    QString begin, end;  // empty: the type fixes its range
    QString linearization;
    QString damping;
    QString faultCurrent;
    std::vector<std::pair<QString, QString>> sides = {};  // side values the check asks for
    QByteArray points = {};                               // "ze souboru": the point file
    bool refused = false;
};

// Two range texts name the same stored single.
bool SameSingle(const QString& a, const QString& b) {
    bool okA = false, okB = false;
    const float x = static_cast<float>(a.toDouble(&okA));
    const float y = static_cast<float>(b.toDouble(&okB));
    return okA && okB && x == y;
}

class RoundTripTest : public ModelTest {
protected:
    void set(const Case& c) {
        chooseType(c.type);
        if (!c.wiring.isEmpty())
            m().userEdited(f().PripCidl, c.wiring);
        for (const auto& [name, text] : c.sides) {
            m().userEdited(name, text);
            m().userLeft(name);
        }
        if (!c.points.isEmpty()) {
            chooseFromFile(pointFile(u"points.txt"_s, c.points));
            m().userSelected(m().dialog.Zpus_lin, LinDialogForm::kMethodSegments);
            m().userClicked(m().dialog.OK);
        } else {
            m().userEdited(f().Linearizace, c.linearization);
        }
        if (!c.begin.isEmpty()) {
            enter(f().Pocatek, c.begin);
            enter(f().Konec, c.end);
        }
        enter(f().Tlumeni, c.damping);
        m().userEdited(f().Chybproud, c.faultCurrent);
    }
    bool anythingWritten() {
        for (const QString& line : DescribeLog(session().simDevice().Log()))
            if (!line.startsWith(u"Read"_s))
                return true;
        return false;
    }
};

QStringList PresetRefusals() {
    QStringList texts;
    for (int code = 41; code <= 48; ++code)
        texts.append(QString::fromStdString(
            model::HwPresetSelect(static_cast<std::uint8_t>(code)).message()));
    return texts;
}

TEST_F(RoundTripTest, everyTypeReadsBackWhatWasWritten) {
    const QString two = u"dvouvodičově"_s, three = u"třívodičově"_s, four = u"čtyřvodičově"_s;
    const QString lin = u"linearizováno"_s, plain = u"nelinearizováno"_s;
    const QString over = u"nadproud"_s, under = u"podproud"_s, off = u"vyřazen"_s;
    const QString total = u"CelkovyOdpor"_s;
    const QString pt = u"odporový teploměr "_s, tc = u"termočlánek "_s;
    const QByteArray points = "0 0\n0.25 25\n0.5 50\n0.75 75\n1 100\n";
    // clang-format off
    const std::vector<Case> cases{
        {pt + u"Pt100"_s, four, u"0"_s, u"100"_s, lin, u"0.5"_s, under},
        {pt + u"Pt1000"_s, three, u"-50"_s, u"150.5"_s, plain, u"2"_s, over},
        {pt + u"Ni100"_s, two, u"0"_s, u"200"_s, lin, u"1.5"_s, off},
        {pt + u"Ni1000"_s, four, u"100"_s, u"-20"_s, lin, u"3"_s, under},
        {u"reostat"_s, two, u"0"_s, u"1000"_s, plain, u"1"_s, over},
        {u"potenciometr"_s, three, u"0"_s, u"300"_s, plain, u"0.5"_s, off},
        {u"potenciometr relativní"_s, four, u"0"_s, u"100"_s, plain, u"2"_s, under, {{total, u"1000"_s}}},
        {tc + u"B"_s, {}, u"600"_s, u"1800"_s, lin, u"0.5"_s, over},
        {tc + u"E"_s, {}, u"0"_s, u"800"_s, plain, u"1"_s, under},
        {tc + u"J"_s, {}, u"1000"_s, u"0"_s, lin, u"0.5"_s, off},
        {tc + u"K"_s, {}, u"0"_s, u"1300"_s, lin, u"4"_s, under},
        {tc + u"L"_s, {}, u"0.7"_s, u"800"_s, lin, u"0.5"_s, over},
        {tc + u"N"_s, {}, u"-200"_s, u"1200"_s, plain, u"0.5"_s, under},
        {tc + u"R"_s, {}, u"0"_s, u"1600"_s, lin, u"0.5"_s, off},
        {tc + u"S"_s, {}, u"100"_s, u"1700"_s, lin, u"2.5"_s, under},
        {tc + u"T"_s, {}, u"-200"_s, u"400"_s, lin, u"0.5"_s, over},
        {u"napětí"_s, {}, u"0"_s, u"5"_s, plain, u"1"_s, under, {{u"DelPomer"_s, u"10"_s}}},
        {u"proud"_s, {}, u"0"_s, u"20"_s, plain, u"0.5"_s, over, {{u"SnOdpor"_s, u"5"_s}}},
        {u"rozdíl dvou rezistorů"_s, {}, u"0"_s, u"100"_s, plain, u"0.5"_s, under, {{total, u"150"_s}}, {}, true},
        {u"rozdíl dvou napětí"_s, {}, u"0"_s, u"0.1"_s, plain, u"0.5"_s, under, {{u"DelPomer"_s, u"1"_s}, {total, u"0.1"_s}}, {}, true},
        {u"rozdíl dvou proudů"_s, {}, u"0"_s, u"20"_s, plain, u"0.5"_s, under, {{u"SnOdpor"_s, u"5"_s}, {total, u"20"_s}}, {}, true},
        {u"0...10 V-vstup U/I"_s, {}, {}, {}, plain, u"1"_s, over},
        {u"0...20 mA-vstup U/I"_s, {}, {}, {}, plain, u"0.5"_s, under},
        {u"4...20 mA-vstup U/I"_s, {}, {}, {}, plain, u"2"_s, off},
    };
    // clang-format on
    // "ze souboru", once more on a type that offers it.
    std::vector<Case> all = cases;
    all.push_back({u"napětí"_s, {}, u"0"_s, u"100"_s, u"ze souboru"_s, u"1"_s, off, {}, points});
    ASSERT_EQ(cases.size(), model::InputTypes().size());

    for (const Case& c : all) {
        SCOPED_TRACE(c.type.toStdString() + " " + c.linearization.toStdString());
        useSeparator(DecimalSeparator::Point);
        clearPrompts();
        set(c);
        const QString begin = c.begin.isEmpty() ? f().Pocatek.text() : c.begin;
        const QString end = c.begin.isEmpty() ? f().Konec.text() : c.end;
        const std::vector<link::Byte> before(session().simMemory().Bytes().begin(),
                                             session().simMemory().Bytes().end());
        const auto written = click(f().Poslat);
        if (c.refused) {
            EXPECT_EQ(written, Outcome::Stopped);
            ASSERT_EQ(prompts.messages.size(), 1) << shown();
            EXPECT_TRUE(PresetRefusals().contains(prompts.messages.front()))
                << prompts.messages.front().toStdString();
            EXPECT_FALSE(anythingWritten());
            EXPECT_TRUE(std::ranges::equal(before, session().simMemory().Bytes()));
            continue;
        }
        ASSERT_EQ(written, Outcome::Completed) << shown();
        const std::vector<link::Byte> memory(session().simMemory().Bytes().begin(),
                                             session().simMemory().Bytes().end());

        useSeparator(DecimalSeparator::Point);  // a fresh program on the same memory
        ASSERT_TRUE(session().simMemory().Write(0, memory));
        clearPrompts();
        ASSERT_EQ(click(f().Precist), Outcome::Completed) << shown();
        EXPECT_EQ(f().Vstup.text, c.type);
        EXPECT_EQ(f().PripCidl.visible ? f().PripCidl.text : QString(), c.wiring);
        EXPECT_TRUE(SameSingle(f().Pocatek.text(), begin)) << f().Pocatek.text().toStdString();
        EXPECT_TRUE(SameSingle(f().Konec.text(), end)) << f().Konec.text().toStdString();
        EXPECT_EQ(f().Linearizace.text, c.linearization);
        EXPECT_TRUE(SameSingle(f().Tlumeni.text(), c.damping)) << f().Tlumeni.text().toStdString();
        EXPECT_EQ(f().Chybproud.text, c.faultCurrent);
        // The divider and the sense resistor come back; the transmitter holds no total.
        for (const auto& [name, text] : c.sides) {
            if (name == total) {
                EXPECT_TRUE(f().CelkovyOdpor.isEmpty());
            } else {
                const Edit& side = name == u"DelPomer"_s ? f().DelPomer : f().SnOdpor;
                EXPECT_TRUE(SameSingle(side.text(), text)) << side.text().toStdString();
            }
        }
    }
}

}  // namespace
}  // namespace veld::config::test
