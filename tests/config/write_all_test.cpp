// The whole write of the input configuration beyond the sequences tests/scenarios holds: hardware
// codes, precise linearization, narrowed limits, and everything that stops or refuses a write.

#include "config_fixture.h"

#include "lin/functions.h"
#include "lin/precise_table.h"
#include "model/hw_presets.h"
#include "model/uploads.h"

#include <chrono>

namespace veld::config::test {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

QString Read(int address, int count) {
    return u"ReadEEPROM %1 %2"_s.arg(address).arg(count);
}
QString Write(int address, const Bytes& bytes) {
    QString line = u"WriteEEPROM %1 %2"_s.arg(address).arg(bytes.size());
    for (std::uint8_t b : bytes)
        line += u" %1"_s.arg(b, 2, 16, QLatin1Char('0')).toUpper();
    return line;
}
QStringList Plan(const model::WritePlan& plan) {
    QStringList lines;
    for (const model::EepromWrite& w : plan)
        lines.append(Write(w.address, w.bytes));
    return lines;
}

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
    // "ze souboru" with the points, by segments.
    void fromFile(const QByteArray& points) {
        chooseFromFile(pointFile(u"points.txt"_s, points));
        m().userSelected(m().dialog.Zpus_lin, LinDialogForm::kMethodSegments);
        m().userClicked(m().dialog.OK);
    }
    Outcome write() { return click(f().Poslat).value_or(Outcome::Completed); }
};

// What no scenario holds: a reversed range, the other unified signals.
TEST_F(WriteAllTest, reversedRangeAndUnifiedSignalsInMemory) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"100"_s, u"0"_s);
    ASSERT_EQ(write(), Outcome::Completed) << shown();
    // The flag is set and the begin stays first.
    EXPECT_EQ(session().simMemory().Read(113, 1)->at(0), 64 + 4);
    EXPECT_EQ(session().simMemory().RealAt(1568), 100.0f);
    EXPECT_EQ(session().simMemory().RealAt(355), -20.0f);
    struct Case {
        QString type;
        std::uint8_t code, hw, unit;
        float end;
    };
    for (const Case& c : {Case{u"0...10 V-vstup U/I"_s, 22, 49, 58, 10},
                          Case{u"0...20 mA-vstup U/I"_s, 23, 50, 39, 20}}) {
        SCOPED_TRACE(c.type.toStdString());
        chooseType(c.type);
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        EXPECT_EQ(*session().simMemory().Read(400, 4), (Bytes{c.code, 3, c.hw, 0}));
        EXPECT_EQ(session().simMemory().Read(354, 1)->at(0), c.unit);
        EXPECT_EQ(session().simMemory().RealAt(1572), c.end);
    }
}

TEST_F(WriteAllTest, preciseLinearizationChangesOnlyTheSegmentImage) {
    struct Case {
        QString type, wiring;
        int curve;
        long double lo, hi;
    };
    const Case cases[] = {{u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, 9, -200, 850},
                          {u"termočlánek K"_s, {}, 1, 0, 1300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type.toStdString());
        useSeparator(DecimalSeparator::Point);
        choose(c.type, c.wiring, QString::number(static_cast<double>(c.lo)),
               QString::number(static_cast<double>(c.hi)));
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        QStringList expected = requests();
        const QStringList spline =
            Plan(model::WriteSegmentImage(lin::Spline(c.curve, c.lo, c.hi)->image));
        const QStringList precise =
            Plan(model::WriteSegmentImage(lin::PreciseTable(c.curve, c.lo, c.hi)->image));
        ASSERT_NE(spline, precise);
        const auto at = expected.indexOf(spline.front());
        ASSERT_GE(at, 0);
        for (qsizetype i = 0; i < spline.size(); ++i)
            expected[at + i] = precise[i];

        ASSERT_TRUE(f().PresnaLin.visible);
        m().userToggled(f().PresnaLin, true);
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        EXPECT_EQ(requests(), expected);
        EXPECT_EQ(Plan(model::WriteSegmentImage(m().writeAll().segmentImage())), precise);
    }
    // Not offered where there is no built-in characteristic.
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
    const QStringList table = Plan(model::WriteSegmentImage(lin::Spline(9, 0, 100)->image));
    const QStringList sent = requests();
    ASSERT_TRUE(sent.contains(table.front())) << sent.join(u'\n').toStdString();
    EXPECT_EQ(sent.mid(sent.indexOf(table.front()), table.size()), table);
}

// The characteristic takes the primary variable as the transmitter holds it, a single: the
// limits' last bits show whether the argument was narrowed first.
TEST_F(WriteAllTest, inputLimitsEvaluateTheCharacteristicAtASingle) {
    struct Case {
        QString type, wiring, lin, begin, end, limits;
    };
    const QString pt100 = u"odporový teploměr Pt100"_s, k = u"termočlánek K"_s;
    for (const Case& c : {
             Case{pt100, u"čtyřvodičově"_s, u"linearizováno"_s, u"0"_s, u"27"_s,
                  u"87 61 33 C1 87 43 C6 A4"_s},
             Case{k, {}, u"nelinearizováno"_s, u"0"_s, u"1300"_s, u"6E 26 94 74 6B DE 18 C9"_s},
             Case{k, {}, u"nelinearizováno"_s, u"0"_s, u"100"_s, u"6A 50 4D 21 68 8A DD F7"_s},
         }) {
        SCOPED_TRACE((c.type + u' ' + c.end).toStdString());
        session().simDevice().ClearCounters();
        choose(c.type, c.wiring, c.begin, c.end);
        m().userEdited(f().Linearizace, c.lin);
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        EXPECT_TRUE(requests().contains(u"WriteEEPROM 448 8 "_s + c.limits))
            << requests().join(u'\n').toStdString();
    }
}

// The hardware code chosen from type, wiring and the size of the signal, or the refusal.
TEST_F(WriteAllTest, hardwareCodes) {
    struct Case {
        QString type, wiring, end;
        std::vector<std::pair<QString, QString>> entries;  // further edits, in order
        int hwCode;                                        // -1: refused, nothing sent
        QString refusal;
    };
    const QString four = u"čtyřvodičově"_s, two = u"dvouvodičově"_s, three = u"třívodičově"_s;
    const QString rel = u"potenciometr relativní"_s, total = u"CelkovyOdpor"_s;
    // clang-format off
    const std::vector<Case> cases{
        {u"odporový teploměr Pt100"_s, four, u"850"_s, {}, 2, {}},
        {u"odporový teploměr Pt100"_s, two, u"850"_s, {}, 6, {}},
        {u"odporový teploměr Pt100"_s, two, u"100"_s, {}, 5, {}},
        {u"odporový teploměr Pt1000"_s, four, u"100"_s, {}, 3, {}},
        {u"reostat"_s, two, u"3000"_s, {}, 8, {}},
        {u"potenciometr"_s, three, u"300"_s, {}, 18, {}},
        {u"napětí"_s, {}, u"1"_s, {}, 53, {}},
        {u"napětí"_s, {}, u"0.5"_s, {}, 52, {}},  // a range's own limit still fits it
        {rel, three, u"100"_s, {{total, u"1000"_s}}, 19, {}},
        {rel, four, u"100"_s, {{total, u"1000"_s}}, 3, {}},
        {rel, four, u"100"_s, {{total, u"5000"_s}}, -1, u"Přebuzen vstup"_s},
        {u"rozdíl dvou rezistorů"_s, {}, u"100"_s,
         {{u"Linearizace"_s, u"nelinearizováno"_s}, {total, u"150"_s}}, -1,
         QString::fromStdString(model::HwPresetSelect(41).message())},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE((c.type + u' ' + c.end).toStdString());
        choose(c.type, c.wiring, u"0"_s, c.end);
        for (const auto& [name, text] : c.entries) {
            m().userEdited(name, text);
            m().userLeft(name);
        }
        clearPrompts();
        const Outcome outcome = write();
        if (c.hwCode < 0) {
            EXPECT_EQ(outcome, Outcome::Stopped);
            EXPECT_EQ(prompts.messages, QStringList{c.refusal});
            EXPECT_TRUE(requests().isEmpty());
        } else {
            EXPECT_EQ(outcome, Outcome::Completed);
            EXPECT_EQ(session().simMemory().Read(402, 1)->at(0), c.hwCode);
        }
    }
}

// What stops a write, and what has reached the transmitter by then.
TEST_F(WriteAllTest, stoppedWrites) {
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    prompts.answers.append(false);
    EXPECT_EQ(write(), Outcome::Declined);
    EXPECT_EQ(prompts.questions, QStringList{u"Opravdu se má zapsat konfigurace ?"_s});
    EXPECT_EQ(requests(), QStringList{Read(262, 2)});
    EXPECT_TRUE(f().Poslat.enabled);

    // A failure after "Stop" leaves the transmitter stopped.
    session().simFaults().QueueClean(3);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(requests().mid(2),
              (QStringList{u"Stop"_s, Read(1120, 1), Read(1120, 1), Read(1120, 1)}));
    EXPECT_FALSE(session().simDevice().Measuring());
    EXPECT_TRUE(f().Poslat.enabled);
    EXPECT_FALSE(f().ButMeasPV.enabled);
    EXPECT_EQ(prompts.messages.last(), u"No answer from transmitter !"_s);

    useSeparator(DecimalSeparator::Point);
    ASSERT_TRUE(session().simMemory().Write(258, Bytes{0xE6}));
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.messages.last(), u"Typ převodníku není VELD."_s);
    EXPECT_EQ(requests(), (QStringList{Read(262, 2), Read(257, 2)}));
}

// A damping or correction its check refused is not written, nor the value before it instead.
TEST_F(WriteAllTest, refusedEntriesStopBeforeAnythingIsSent) {
    for (const auto& [damping, correction] :
         {std::pair{u"1e9"_s, u"0"_s}, {u"-1"_s, u"0"_s}, {u"0.5"_s, u"x"_s}, {u"0.5"_s, u""_s}}) {
        choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
        enter(f().Tlumeni, damping);
        enter(f().korekcePV, correction);
        EXPECT_EQ(write(), Outcome::Stopped) << damping.toStdString();
        EXPECT_TRUE(requests().isEmpty()) << correction.toStdString();
    }
}

TEST_F(WriteAllTest, failedWriteWithoutItsOwnCheckStopsAtTheNextCheck) {
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    session().simFaults().QueueClean(7);                    // up to the output scaling
    session().simFaults().Queue(sim::Fault::NoReply(), 3);  // every attempt of the damping
    EXPECT_EQ(write(), Outcome::Stopped);
    const QStringList sent = requests();
    // The coefficient and the preset still go out; the check after the preset stops.
    EXPECT_EQ(sent.mid(10, 1), QStringList{u"WriteEEPROM 68 4 7F 13 6C 59"_s});
    EXPECT_EQ(sent.mid(11), Plan(model::HwPresetWrite(*model::HwPresetSelect(5))));
    EXPECT_NE(f().Prenos.position, 100);
}

TEST_F(WriteAllTest, pointFileProblemsStopBeforeAnythingIsWritten) {
    chooseType(u"napětí"_s);
    fromFile("0 0\n0.5 50\n0.5 60\n1 100\n");
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.messages,
              QStringList{u"Nelze provést výpočet linearizace proložením lineárních úseků."_s});
    EXPECT_EQ(requests(), QStringList{Read(262, 2)});

    // The first press after a read only asks for the point file.
    fromFile("0 0\n1 100\n");
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    m().state.LinFileChosen = false;  // as a read leaves it
    const auto asked = prompts.fileRequests.size();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.fileRequests.size(), asked + 1);
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(m().state.LinFileChosen);
}

TEST_F(WriteAllTest, outputConstantsAreReplacedOrTheRangeRefused) {
    ASSERT_TRUE(session().simMemory().SetReal(44, 3.0f));  // I1 outside 4..6 mA
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Completed);
    EXPECT_EQ(prompts.messages, QStringList{u"špatně přečtená konstanta I1 z převodníku"_s});

    m().userEdited(f().Linearizace, u"nelinearizováno"_s);
    enter(f().Pocatek, u"50"_s);
    enter(f().Konec, u"50"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(requests().last(), Read(36, 16));
    EXPECT_EQ(prompts.messages.size(), 4);  // span twice, I1, and the refusal
    EXPECT_FALSE(session().simDevice().Measuring());
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
