// The whole write of the input configuration on the simulated transmitter, step by step; computed
// values come from the mathematics and the encoders the steps name.

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
QStringList Segments(int curve, long double lo, long double hi) {
    return Plan(model::WriteSegmentImage(lin::Spline(curve, lo, hi)->image));
}

// The eight writes of the configuration record, values as the case works them out.
QStringList Lines(Bytes input, float sense, float overHi, float overLo, std::uint8_t pvUnit,
                  float pvLo, float pvHi, const Bytes& curves) {
    for (std::uint8_t b : model::RealBytes({sense}))
        input.push_back(b);
    const long double lo = pvLo;
    const long double hi = pvHi;
    Bytes range{pvUnit};
    for (std::uint8_t b : model::RealBytes({pvLo, pvHi, static_cast<float>((hi - lo) / 5)}))
        range.push_back(b);
    return {Reals(32, {0.0f}),
            Write(400, input),
            Reals(355, {overHi, overLo}),
            Write(340, range),
            Reals(416, {static_cast<float>(lo - (hi - lo) / 20),
                        static_cast<float>(hi + (hi - lo) / 20)}),
            Write(354, {pvUnit}),
            Reals(363, {0.5f}),
            Write(408, curves)};
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
    // "ze souboru" with the points and the method (0 polynomial of degree 3, 1 segments).
    void fromFile(const QByteArray& points, int method) {
        chooseFromFile(pointFile(u"points.txt"_s, points));
        m().userSelected(m().dialog.Zpus_lin, method);
        if (method == LinDialogForm::kMethodPolynomial)
            m().userEdited(m().dialog.stup_p, u"3"_s);
        m().userClicked(m().dialog.OK);
    }
    Outcome write() { return click(f().Poslat).value_or(Outcome::Completed); }
    // Firmware number, signature, "Stop", mode flags, output scaling, damping 0.5 s.
    QStringList head(std::uint8_t flags, float lo, float hi) {
        const auto constants = *session().simMemory().Read(36, 16);
        const auto c = model::ReadOutputCalibration::Decode(constants, lo, hi);
        return QStringList{Read(262, 2),  Read(257, 2),         u"Stop"_s,
                           Read(1120, 1), Write(1120, {flags}), Read(36, 16)} +
               Plan(model::WriteOutputScaling(*c.scaling, lo, hi)) +
               QStringList{Reals(363, {0.5f}), Reals(68, {EntryChecks::DampingCoefficient(0.5L)})};
    }
    // An input that is no unified signal: the preset, the ratio at 28, the limits and tables,
    // the linearization kind, the output flags, the record, the range, "Reset" and "Continue".
    QStringList standard(float begin, float end, std::uint8_t hw, float ratio,
                         const QStringList& limitsAndTable, std::uint8_t kind,
                         const QStringList& thermocouple, std::uint8_t outputFlags,
                         const QStringList& record) {
        return head(0x80, begin, end) + Preset(hw) + QStringList{Reals(28, {ratio})} +
               limitsAndTable + QStringList{Write(606, {kind})} + thermocouple +
               QStringList{Write(113, {outputFlags})} + record +
               QStringList{Reals(1568, {begin, end}), Reals(60, {begin, end}), Reals(120, {0.0f}),
                           u"Reset"_s, u"Continue"_s};
    }
};

TEST_F(WriteAllTest, inputsWithAPresetWriteTheDocumentedSequence) {
    struct Case {
        QString type, wiring, side, sideText;
        float begin, end;
        std::uint8_t hw, code, wires;
        float ratio, sense;
        int curve;                     // 16: no linearization table
        long double limitHi, limitLo;  // before the curve
        float overHi, overLo;
        std::uint8_t unit, outputFlags;
    };
    const QString pt100 = u"odporový teploměr Pt100"_s, k = u"termočlánek K"_s;
    // clang-format off
    const Case cases[] = {
        {pt100, u"čtyřvodičově"_s, {}, {}, 0, 100, 1, 1, 4, 1, 0, 9, 120, -20, 120, -20, 32, 64},
        {pt100, u"dvouvodičově"_s, {}, {}, 0, 100, 5, 1, 2, 1, 0, 9, 120, -20, 120, -20, 32, 64},
        // A reversed range sets its flag and keeps the begin first.
        {pt100, u"čtyřvodičově"_s, {}, {}, 100, 0, 1, 1, 4, 1, 0, 9, 120, -20, -20, 120, 32, 64 + 4},
        {k, {}, {}, {}, 0, 1300, 31, 11, 0, 1, 0, 1, 1430, -130, 1560, -260, 32, 64},
        // 5 V through a divider of 10 is 0.5 V: the 0.5 V range; the ratio after the preset.
        {u"napětí"_s, {}, u"DelPomer"_s, u"10"_s, 0, 5, 52, 17, 0, 10, 0, 16, 6, -1, 6, -1, 58, 64},
        // 20 mA across 5 Ohm is 0.1 V.
        {u"proud"_s, {}, u"SnOdpor"_s, u"5"_s, 0, 20, 28, 18, 0, 200, 5, 16, 24, -4, 24, -4, 39, 64},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE((c.type + u' ' + c.wiring + u' ' + QString::number(c.begin)).toStdString());
        useSeparator(DecimalSeparator::Point);
        chooseType(c.type);
        if (!c.wiring.isEmpty())
            m().userEdited(f().PripCidl, c.wiring);
        if (!c.side.isEmpty()) {
            m().userEdited(c.side, c.sideText);
            m().userLeft(c.side);
        }
        enter(f().Pocatek, QString::number(c.begin));
        enter(f().Konec, QString::number(c.end));
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        const bool linearized = c.curve != 16;
        const float lo = std::min(c.begin, c.end), hi = std::max(c.begin, c.end);
        QStringList limits{
            linearized
                ? Reals(448, {Signal(c.curve, c.limitHi), Signal(c.curve, c.limitLo)})
                : Reals(448, {static_cast<float>(c.limitHi), static_cast<float>(c.limitLo)})};
        if (linearized)
            limits += Segments(c.curve, lo, hi);
        const auto curve = static_cast<std::uint8_t>(c.curve);
        const auto kind = static_cast<std::uint8_t>(linearized ? 2 : 0);
        EXPECT_EQ(requests(),
                  standard(c.begin, c.end, c.hw, c.ratio, limits, kind,
                           c.type == k ? Plan(model::WriteThermocoupleTables("termočlánek K"))
                                       : QStringList{},
                           c.outputFlags,
                           Lines({c.code, 3, c.hw, c.wires}, c.sense, c.overHi, c.overLo, c.unit,
                                 lo, hi, {c.unit, curve, curve, kind})));
    }
    EXPECT_EQ(session().simMemory().RealAt(28), 200.0f);
    EXPECT_EQ(f().Prenos.position, 100);
    EXPECT_EQ(f().Label78.caption, u"23"_s);  // the simulator's firmware number
    EXPECT_TRUE(f().ButMeasPV.enabled && f().Start_Mer.enabled && f().Stop_mer.enabled);
    EXPECT_TRUE(f().Poslat.enabled);
    EXPECT_TRUE(session().simDevice().Measuring());
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
        const QStringList spline = Segments(c.curve, c.lo, c.hi);
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

TEST_F(WriteAllTest, pt100UnlinearizedConvertsTheRangeAndItsLimits) {
    choose(u"odporový teploměr Pt100"_s, u"čtyřvodičově"_s, u"0"_s, u"100"_s);
    m().userEdited(f().Linearizace, u"nelinearizováno"_s);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    ASSERT_EQ(write(), Outcome::Completed);
    const long double lo = Signal(9, 0);  // the internal range in ohms
    const long double hi = Signal(9, 100);
    const float limitHi = Signal(9, hi + (hi - lo) / 5);  // converted once more
    const float limitLo = Signal(9, lo - (hi - lo) / 5);
    const auto over = [&](int sign) {
        return static_cast<float>((sign > 0 ? hi : lo) + sign * (hi - lo) / 5);
    };
    EXPECT_EQ(requests(),
              standard(0, 100, 1, 1, {Reals(448, {limitHi, limitLo})}, 0, {}, 64,
                       Lines({1, 3, 1, 4}, 0, over(1), over(-1), 37, static_cast<float>(lo),
                             static_cast<float>(hi), {32, 16, 9, 0})));
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

TEST_F(WriteAllTest, unifiedSignalInputs) {
    struct Case {
        QString type;
        std::uint8_t code, hw, unit;
        float begin, end, offset, span;
    };
    for (const Case& c : {Case{u"0...10 V-vstup U/I"_s, 22, 49, 58, 0, 10, 0, 10},
                          Case{u"0...20 mA-vstup U/I"_s, 23, 50, 39, 0, 20, 0, 20},
                          Case{u"4...20 mA-vstup U/I"_s, 24, 51, 39, 4, 20, 4, 16}}) {
        SCOPED_TRACE(c.type.toStdString());
        useSeparator(DecimalSeparator::Point);  // a fresh program for each
        chooseType(c.type);
        ASSERT_EQ(write(), Outcome::Completed);
        const long double b = c.begin;
        const long double e = c.end;
        // The decimal class of the begin is worked out before the end is known: 0.
        const QStringList expected =
            head(0x8C, c.begin, c.end) + Preset(c.hw) +
            QStringList{Reals(28, {1.0f}),
                        Reals(448, {99999.0f, -19999.0f}),
                        Reals(1576, {c.begin, c.end - c.begin}),
                        Write(115, {0}),
                        Write(606, {0}),
                        Write(113, {64})} +
            Lines({c.code, 3, c.hw, 0}, 0, static_cast<float>(e + (e - b) / 5),
                  static_cast<float>(b - (e - b) / 5), c.unit, c.begin, c.end,
                  {c.unit, 16, 16, 0}) +
            QStringList{Reals(1536, {0, 1}),
                        Reals(1544, {0, 1, 0.2f, 1.25f}),
                        Reals(1568, {c.begin, c.end, c.offset, c.span}),
                        Reals(60, {c.begin, c.end}),
                        Reals(120, {0}),
                        u"Reset"_s,
                        u"Continue"_s};
        EXPECT_EQ(requests(), expected);
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
        ASSERT_EQ(write(), Outcome::Completed) << shown();
        // The file's end line puts 100 at 1 V: the 1.2 V range. No unit chosen: 251.
        const QStringList table = polynomial
                                      ? Plan(*model::WritePolynomial(fit->upload()))
                                      : Plan(model::WriteSegmentImage(*lin::Segments(parsed)));
        EXPECT_EQ(requests(),
                  standard(0, 100, 53, 1,
                           QStringList{Reals(448, {110, -10}), Reals(448, {110, -10})} + table,
                           polynomial ? 1 : 2, {}, 64,
                           Lines({17, 3, 53, 0}, 0, 120, -20, 251, 0, 100, {251, 16, 14, 4})))
            << method;
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
        {u"odporový teploměr Pt1000"_s, four, u"100"_s, {}, 3, {}},
        {u"reostat"_s, two, u"3000"_s, {}, 8, {}},
        {u"potenciometr"_s, three, u"300"_s, {}, 18, {}},
        {u"napětí"_s, {}, u"1"_s, {}, 53, {}},
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
    EXPECT_EQ(sent.mid(10, 1), QStringList{Reals(68, {EntryChecks::DampingCoefficient(0.5L)})});
    EXPECT_EQ(sent.mid(11), Preset(5));
    EXPECT_NE(f().Prenos.position, 100);
}

TEST_F(WriteAllTest, pointFileProblemsStopBeforeAnythingIsWritten) {
    chooseType(u"napětí"_s);
    fromFile("0 0\n0.5 50\n0.5 60\n1 100\n", LinDialogForm::kMethodSegments);
    enter(f().Pocatek, u"0"_s);
    enter(f().Konec, u"100"_s);
    clearPrompts();
    EXPECT_EQ(write(), Outcome::Stopped);
    EXPECT_EQ(prompts.messages,
              QStringList{u"Nelze provést výpočet linearizace proložením lineárních úseků."_s});
    EXPECT_EQ(requests(), QStringList{Read(262, 2)});

    // The first press after a read only asks for the point file.
    fromFile("0 0\n1 100\n", LinDialogForm::kMethodSegments);
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
