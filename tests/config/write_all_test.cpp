// The whole write of the input configuration, on the simulated transmitter in virtual time. Each
// expected list is written out step by step as the write is documented; computed values come
// from the mathematics and the encoders the steps name.

#include "config_fixture.h"
#include "request_log.h"

#include "lin/functions.h"
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
QString Reals(int address, std::initializer_list<float> values) {
    return Write(address, model::RealBytes(values));
}
QStringList Plan(const model::WritePlan& plan) {
    QStringList lines;
    for (const model::EepromWrite& w : plan)
        lines.append(Write(w.address, w.bytes));
    return lines;
}
QStringList Preset(std::uint8_t code) {
    return Plan(model::HwPresetWrite(*model::HwPresetSelect(code)));
}
float Signal(int curve, long double t) {
    return static_cast<float>(*lin::Characteristic(curve, t));
}
// Damping 0.5 s (the page's default) and its filter coefficient.
QStringList Damping() {
    return {Reals(363, {0.5f}), Reals(68, {EntryChecks::DampingCoefficient(0.5L)})};
}

// The eight writes of the configuration record, values as the case works them out.
struct Record {
    Bytes codes;  // 400..403
    float sense;
    float overHi, overLo;
    std::uint8_t pvUnit;
    float pvLo, pvHi;
    Bytes curves;  // 408..411
};
QStringList Lines(const Record& r) {
    Bytes input = r.codes;
    for (std::uint8_t b : model::RealBytes({r.sense}))
        input.push_back(b);
    const long double lo = r.pvLo;
    const long double hi = r.pvHi;
    Bytes range{r.pvUnit};
    for (std::uint8_t b : model::RealBytes({r.pvLo, r.pvHi, static_cast<float>((hi - lo) / 5)}))
        range.push_back(b);
    return {Reals(32, {0.0f}),
            Write(400, input),
            Reals(355, {r.overHi, r.overLo}),
            Write(340, range),
            Reals(416, {static_cast<float>(lo - (hi - lo) / 20),
                        static_cast<float>(hi + (hi - lo) / 20)}),
            Write(354, {r.pvUnit}),
            Reals(363, {0.5f}),
            Write(408, r.curves)};
}
// Range items of an input that is no unified signal, the correction, "Reset" and "Continue".
QStringList RangeTail(float begin, float end) {
    return {Reals(1568, {begin, end}), Reals(60, {begin, end}), Reals(120, {0.0f}), u"Reset"_s,
            u"Continue"_s};
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
    void linearization(const QString& text) { m().userEdited(f().Linearizace, text); }
    // "ze souboru" with the points and the method (0 polynomial of degree 3, 1 segments).
    void fromFile(const QByteArray& points, int method) {
        chooseFromFile(pointFile(u"points.txt"_s, points));
        m().userSelected(m().dialog.Zpus_lin, method);
        if (method == LinDialogForm::kMethodPolynomial)
            m().userEdited(m().dialog.stup_p, u"3"_s);
        m().userClicked(m().dialog.OK);
    }
    Outcome write() {
        session().simDevice().ClearCounters();
        m().userClicked(f().Poslat);
        return m().lastOutcome().value_or(Outcome::Completed);
    }
    QStringList requests() { return DescribeLog(session().simDevice().Log()); }
    QStringList scaling(float lo, float hi) {
        const auto constants = *session().simMemory().Read(36, 16);
        const auto c = model::ReadOutputCalibration::Decode(constants, lo, hi);
        return Plan(model::WriteOutputScaling(*c.scaling, lo, hi));
    }
    // Firmware number, signature, "Stop", mode flags, output scaling, damping.
    QStringList head(std::uint8_t flags, float begin, float end) {
        return QStringList{Read(262, 2),  Read(257, 2),         u"Stop"_s,
                           Read(1120, 1), Write(1120, {flags}), Read(36, 16)} +
               scaling(begin, end) + Damping();
    }
};

TEST_F(WriteAllTest, pt100LinearizedFourAndTwoWire) {
    const float limitHi = Signal(9, 120);  // 100 + 100/5, through the sensor
    const float limitLo = Signal(9, -20);
    for (const auto& [wiring, wires, hw] :
         {std::tuple{u"čtyřvodičově"_s, 4, 1}, std::tuple{u"dvouvodičově"_s, 2, 5}}) {
        choose(u"odporový teploměr Pt100"_s, wiring, u"0"_s, u"100"_s);
        ASSERT_EQ(write(), Outcome::Completed) << prompts.messages.join(u'|').toStdString();
        const auto h = static_cast<std::uint8_t>(hw);
        const QStringList expected =
            head(0x80, 0, 100) + Preset(h) +
            QStringList{Reals(28, {1.0f}), Reals(448, {limitHi, limitLo})} +
            Plan(model::WriteSegmentImage(lin::Spline(9, 0, 100)->image)) +
            QStringList{Write(606, {2}), Write(113, {64})} +
            Lines({{1, 3, h, static_cast<std::uint8_t>(wires)},
                   0,
                   120,
                   -20,
                   32,
                   0,
                   100,
                   {32, 9, 9, 2}}) +
            RangeTail(0, 100);
        EXPECT_EQ(requests(), expected);
    }
    EXPECT_EQ(f().Prenos.position, 100);
    EXPECT_EQ(f().Label78.caption, u"23"_s);  // the simulator's firmware number
    EXPECT_TRUE(f().ButMeasPV.enabled && f().Start_Mer.enabled && f().Stop_mer.enabled);
    EXPECT_TRUE(f().Poslat.enabled);
    EXPECT_TRUE(session().simDevice().Measuring());
}

TEST_F(WriteAllTest, pt100UnlinearizedConvertsTheRangeAndItsLimits) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"0"_s, u"100"_s);
    linearization(u"nelinearizováno"_s);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const long double lo = Signal(9, 0);  // the internal range in ohms
    const long double hi = Signal(9, 100);
    const float limitHi = Signal(9, hi + (hi - lo) / 5);  // converted once more
    const float limitLo = Signal(9, lo - (hi - lo) / 5);
    const QStringList expected = head(0x80, 0, 100) + Preset(1) +
                                 QStringList{Reals(28, {1.0f}), Reals(448, {limitHi, limitLo}),
                                             Write(606, {0}), Write(113, {64})} +
                                 Lines({{1, 3, 1, 4},
                                        0,
                                        static_cast<float>(hi + (hi - lo) / 5),
                                        static_cast<float>(lo - (hi - lo) / 5),
                                        37,
                                        static_cast<float>(lo),
                                        static_cast<float>(hi),
                                        {32, 16, 9, 0}}) +
                                 RangeTail(0, 100);
    EXPECT_EQ(requests(), expected);
}

TEST_F(WriteAllTest, thermocoupleKWritesItsTables) {
    choose(u"termočlánek K"_s, {}, u"0"_s, u"1300"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const QStringList expected =
        head(0x80, 0, 1300) + Preset(31) +
        QStringList{Reals(28, {1.0f}), Reals(448, {Signal(1, 1430), Signal(1, -130)})} +
        Plan(model::WriteSegmentImage(lin::Spline(1, 0, 1300)->image)) +
        QStringList{Write(606, {2})} + Plan(model::WriteThermocoupleTables("termočlánek K")) +
        QStringList{Write(113, {64})} +
        Lines({{11, 3, 31, 0}, 0, 1560, -260, 32, 0, 1300, {32, 1, 1, 2}}) + RangeTail(0, 1300);
    EXPECT_EQ(requests(), expected);
}

TEST_F(WriteAllTest, reversedRangeSetsItsFlagAndKeepsBeginFirst) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"100"_s, u"0"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const QStringList expected =
        head(0x80, 100, 0) + Preset(1) +
        QStringList{Reals(28, {1.0f}), Reals(448, {Signal(9, 120), Signal(9, -20)})} +
        Plan(model::WriteSegmentImage(lin::Spline(9, 0, 100)->image)) +
        QStringList{Write(606, {2}), Write(113, {64 + 4})} +
        Lines({{1, 3, 1, 4}, 0, -20, 120, 32, 0, 100, {32, 9, 9, 2}}) + RangeTail(100, 0);
    EXPECT_EQ(requests(), expected);
}

TEST_F(WriteAllTest, voltageWithDividerWritesTheRatioAfterThePreset) {
    chooseType(u"napětí"_s);
    enter(f().DelPomer, u"10"_s);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"5"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    // 5 V through a divider of 10 is 0.5 V: the 0.5 V range.
    const QStringList expected =
        head(0x80, 0, 5) + Preset(52) +
        QStringList{Reals(28, {10.0f}), Reals(448, {6, -1}), Write(606, {0}), Write(113, {64})} +
        Lines({{17, 3, 52, 0}, 0, 6, -1, 58, 0, 5, {58, 16, 16, 0}}) + RangeTail(0, 5);
    EXPECT_EQ(requests(), expected);
    EXPECT_EQ(session().simMemory().RealAt(28), 10.0f);
}

TEST_F(WriteAllTest, currentWritesItsSenseResistorAndRatio) {
    chooseType(u"proud"_s);
    enter(f().SnOdpor, u"5"_s);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"20"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const long double signalMax = 20.0L * 5 / 1000;  // 0.1 V across 5 Ohm
    const QStringList expected =
        head(0x80, 0, 20) + Preset(28) +
        QStringList{Reals(28, {static_cast<float>(20 / signalMax)}), Reals(448, {24, -4}),
                    Write(606, {0}), Write(113, {64})} +
        Lines({{18, 3, 28, 0}, 5, 24, -4, 39, 0, 20, {39, 16, 16, 0}}) + RangeTail(0, 20);
    EXPECT_EQ(requests(), expected);
}

TEST_F(WriteAllTest, unifiedSignalInputs) {
    struct Case {
        QString type;
        std::uint8_t code, hw, unit;
        float begin, end, offset, span;
        bool checkedAfterSpan;
    };
    for (const Case& c : {Case{u"0...10 V-vstup U/I"_s, 22, 49, 58, 0, 10, 0, 10, true},
                          Case{u"0...20 mA-vstup U/I"_s, 23, 50, 39, 0, 20, 0, 20, false},
                          Case{u"4...20 mA-vstup U/I"_s, 24, 51, 39, 4, 20, 4, 16, true}}) {
        useSeparator(DecimalSeparator::Point);  // a fresh program for each
        chooseType(c.type);
        ASSERT_EQ(write(), Outcome::Completed) << c.type.toStdString();
        const long double b = c.begin;
        const long double e = c.end;
        // The decimal class of the begin is worked out before the end is known: 0.
        const QStringList expected = head(0x8C, c.begin, c.end) + Preset(c.hw) +
                                     QStringList{Reals(28, {1.0f}),
                                                 Reals(448, {99999.0f, -19999.0f}),
                                                 Reals(1576, {c.begin, c.end - c.begin}),
                                                 Write(115, {0}),
                                                 Write(606, {0}),
                                                 Write(113, {64})} +
                                     Lines({{c.code, 3, c.hw, 0},
                                            0,
                                            static_cast<float>(e + (e - b) / 5),
                                            static_cast<float>(b - (e - b) / 5),
                                            c.unit,
                                            c.begin,
                                            c.end,
                                            {c.unit, 16, 16, 0}}) +
                                     QStringList{Reals(1536, {0, 1}),
                                                 Reals(1544, {0, 1, 0.2f, 1.25f}),
                                                 Reals(1568, {c.begin, c.end, c.offset, c.span}),
                                                 Reals(60, {c.begin, c.end}),
                                                 Reals(120, {0}),
                                                 u"Reset"_s,
                                                 u"Continue"_s};
        EXPECT_EQ(requests(), expected) << c.type.toStdString();
    }
}

TEST_F(WriteAllTest, fromFileByPolynomialAndBySegments) {
    const QByteArray points = "0 0\n0.25 25\n0.5 50\n0.75 75\n1 100\n";
    std::vector<lin::Point> parsed{{0, 0}, {0.25L, 25}, {0.5L, 50}, {0.75L, 75}, {1, 100}};
    lin::FitOptions options;
    options.step = 1.0L;  // a hundredth of the range
    const auto fit = lin::Fit(parsed, 3, 0, 100, options);
    ASSERT_TRUE(fit);
    for (int method : {LinDialogForm::kMethodPolynomial, LinDialogForm::kMethodSegments}) {
        const bool polynomial = method == LinDialogForm::kMethodPolynomial;
        chooseType(u"napětí"_s);
        fromFile(points, method);
        enter(f().Pocatek, u"0"_s);
        enter(f().Konec, u"100"_s);
        ASSERT_EQ(write(), Outcome::Completed) << prompts.messages.join(u'|').toStdString();
        // The file's end line puts 100 at 1 V: the 1.2 V range. No unit chosen: 251.
        const QStringList table = polynomial
                                      ? Plan(*model::WritePolynomial(fit->upload()))
                                      : Plan(model::WriteSegmentImage(*lin::Segments(parsed)));
        const QStringList expected =
            head(0x80, 0, 100) + Preset(53) +
            QStringList{Reals(28, {1.0f}), Reals(448, {110, -10}), Reals(448, {110, -10})} + table +
            QStringList{Write(606, {static_cast<std::uint8_t>(polynomial ? 1 : 2)}),
                        Write(113, {64})} +
            Lines({{17, 3, 53, 0}, 0, 120, -20, 251, 0, 100, {251, 16, 14, 4}}) + RangeTail(0, 100);
        EXPECT_EQ(requests(), expected) << method;
    }
}

// The hardware code chosen from type, wiring and the size of the signal, or the refusal.
TEST_F(WriteAllTest, hardwareCodes) {
    struct Case {
        QString type, wiring, begin, end;
        std::vector<std::pair<QString, QString>> entries;  // further edits, in order
        int hwCode;                                        // -1: refused, nothing sent
        QString refusal;
    };
    const QString four = u"čtyřvodičově"_s, two = u"dvouvodičově"_s, three = u"třívodičově"_s;
    const QString rel = u"potenciometr relativní"_s;
    const std::vector<Case> cases{
        {u"odporový teploměr Pt100"_s, four, u"0"_s, u"850"_s, {}, 2, {}},
        {u"odporový teploměr Pt100"_s, two, u"0"_s, u"850"_s, {}, 6, {}},
        {u"odporový teploměr Pt1000"_s, four, u"0"_s, u"100"_s, {}, 3, {}},
        {u"reostat"_s, two, u"0"_s, u"3000"_s, {}, 8, {}},
        {u"potenciometr"_s, three, u"0"_s, u"300"_s, {}, 18, {}},
        {u"napětí"_s, {}, u"0"_s, u"1"_s, {}, 53, {}},
        {rel, three, u"0"_s, u"100"_s, {{u"CelkovyOdpor"_s, u"1000"_s}}, 19, {}},
        {rel, four, u"0"_s, u"100"_s, {{u"CelkovyOdpor"_s, u"1000"_s}}, 3, {}},
        {rel, four, u"0"_s, u"100"_s, {{u"CelkovyOdpor"_s, u"5000"_s}}, -1, u"Přebuzen vstup"_s},
        {u"rozdíl dvou rezistorů"_s,
         {},
         u"0"_s,
         u"100"_s,
         {{u"Linearizace"_s, u"nelinearizováno"_s}, {u"CelkovyOdpor"_s, u"150"_s}},
         -1,
         QString::fromStdString(model::HwPresetSelect(41).message())},
    };
    for (const Case& c : cases) {
        choose(c.type, c.wiring, c.begin, c.end);
        for (const auto& [name, text] : c.entries) {
            m().userEdited(name, text);
            m().userLeft(name);
        }
        clearPrompts();
        const Outcome outcome = write();
        const std::string label = (c.type + u' ' + c.end).toStdString();
        if (c.hwCode < 0) {
            EXPECT_EQ(outcome, Outcome::Stopped) << label;
            EXPECT_EQ(prompts.messages, QStringList{c.refusal}) << label;
            EXPECT_TRUE(requests().isEmpty()) << label;
        } else {
            EXPECT_EQ(outcome, Outcome::Completed) << label;
            EXPECT_EQ(session().simMemory().Read(402, 1)->at(0), c.hwCode) << label;
        }
    }
}

TEST_F(WriteAllTest, answerNoSendsOnlyTheFirmwareRead) {
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    prompts.answers.append(false);
    EXPECT_EQ(write(), Outcome::Declined);
    EXPECT_EQ(prompts.questions, QStringList{u"Opravdu se má zapsat konfigurace ?"_s});
    EXPECT_EQ(requests(), QStringList{Read(262, 2)});
    EXPECT_TRUE(f().Poslat.enabled);
}

TEST_F(WriteAllTest, otherDeviceIsNotWritten) {
    ASSERT_TRUE(session().simMemory().Write(258, Bytes{0xE6}));
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.messages.last(), u"Typ převodníku není VELD."_s);
    EXPECT_EQ(requests(), (QStringList{Read(262, 2), Read(257, 2)}));
}

TEST_F(WriteAllTest, failureAfterStopLeavesTheTransmitterStoppedAndPoslatEnabled) {
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    session().simFaults().QueueClean(3);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(requests().mid(2),
              (QStringList{u"Stop"_s, Read(1120, 1), Read(1120, 1), Read(1120, 1)}));
    EXPECT_FALSE(session().simDevice().Measuring());
    EXPECT_TRUE(f().Poslat.enabled);
    EXPECT_FALSE(f().ButMeasPV.enabled);
    EXPECT_EQ(prompts.messages.last(), u"No answer from transmitter !"_s);
}

TEST_F(WriteAllTest, failedWriteWithoutItsOwnCheckStopsAtTheNextCheck) {
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    session().simFaults().QueueClean(7);                    // up to the output scaling
    session().simFaults().Queue(sim::Fault::NoReply(), 3);  // every attempt of the damping
    EXPECT_EQ(write(), Outcome::Stopped);
    const QStringList sent = requests();
    // The coefficient and the preset still go out; the check after the preset stops.
    EXPECT_EQ(sent.mid(10, 1), QStringList{Reals(68, {EntryChecks::DampingCoefficient(0.5L)})});
    EXPECT_EQ(sent.mid(11), Preset(5));
    EXPECT_NE(f().Prenos.position, 100);
}

TEST_F(WriteAllTest, equalInputsOfStraightSegmentsStopBeforeAnythingIsWritten) {
    chooseType(u"napětí"_s);
    fromFile("0 0\n0.5 50\n0.5 60\n1 100\n", LinDialogForm::kMethodSegments);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.messages,
              QStringList{u"Nelze provést výpočet linearizace proložením lineárních úseků."_s});
    EXPECT_EQ(requests(), QStringList{Read(262, 2)});
}

TEST_F(WriteAllTest, outputConstantsAreReplacedOrTheRangeRefused) {
    ASSERT_TRUE(session().simMemory().SetReal(44, 3.0f));  // I1 outside 4..6 mA
    choose(u"odporový teploměr Pt100"_s, u"třívodičově"_s, u"0"_s, u"100"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Completed);
    EXPECT_EQ(prompts.messages, QStringList{u"špatně přečtená konstanta I1 z převodníku"_s});

    linearization(u"nelinearizováno"_s);
    enter(f().Pocatek, u"50"_s);
    enter(f().Konec, u"50"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(requests().last(), Read(36, 16));
    EXPECT_EQ(prompts.messages.size(), 4);  // span twice, I1, and the refusal
    EXPECT_FALSE(session().simDevice().Measuring());
}

TEST_F(WriteAllTest, typingDuringTheWriteChangesNothingWritten) {
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
    EXPECT_EQ(f().Pocatek.text(), u"-50"_s);  // the page keeps what was typed
}

TEST_F(WriteAllTest, firstPressAfterAReadOnlyAsksForThePointFile) {
    chooseType(u"napětí"_s);
    fromFile("0 0\n1 100\n", LinDialogForm::kMethodSegments);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    m().state.LinFileChosen = false;  // as a read leaves it
    const int asked = static_cast<int>(prompts.fileRequests.size());
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.fileRequests.size(), asked + 1);
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(m().state.LinFileChosen);
}

}  // namespace
}  // namespace veld::config::test
