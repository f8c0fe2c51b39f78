// Calibration against a reference and the PV correction at 120, on the simulated transmitter.

#include "config_fixture.h"

#include "link/dev_float.h"
#include "model/eeprom_map.h"

namespace veld::config::test {
namespace {

class CalibrationTest : public ModelTest {
protected:
    Calibration& cal() { return m().calibration(); }
    sim::Device& device() { return session().simDevice(); }
    // The whole read first, as the window's calibration buttons are enabled only by it.
    void readAll() {
        ASSERT_EQ(m().readAll().PrecistClick(), Outcome::Completed);
        device().ClearCounters();
        clearPrompts();
    }
};

// The correction scenarios hold what is written and shown; the read keeps the full value, and
// without an answer leaves the correction empty.
TEST_F(CalibrationTest, readCorrectionKeepsTheFullValueOrNone) {
    session().simMemory().SetReal(120, 1.04f);
    EXPECT_EQ(m().calibration().Button1Click(), Outcome::Completed);
    EXPECT_EQ(static_cast<float>(m().config.PvCorrection), 1.04f);
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    EXPECT_EQ(click(f().LabTelNr), Outcome::Stopped);
    EXPECT_TRUE(f().korekcePV.isEmpty());
    EXPECT_EQ(prompts.messages, QStringList{u"No answer from transmitter !"_s});
}

TEST_F(CalibrationTest, refusalCodesAndADeclinedLimitReadNothingBack) {
    readAll();
    for (const auto& [code, message] :
         {std::pair{6, u"Procesní hodnota je mimo povolený rozsah."_s},
          {9, u"Procesní hodnota je příliž velká."_s},
          {10, u"Procesní hodnota je příliž malá."_s},
          {14, u"Příliž malé rozpětí vst. signálu."_s}}) {
        SCOPED_TRACE(code);
        device().SetCalibrationResult(static_cast<link::Byte>(code));
        device().ClearCounters();
        clearPrompts();
        EXPECT_EQ(cal().S_HormezClick(), Outcome::Stopped);
        EXPECT_EQ(prompts.messages, QStringList{message});
        EXPECT_EQ(requests(), QStringList{u"NastFS"_s});
        EXPECT_EQ(f().Konec.text(), u"100"_s);
        EXPECT_EQ(f().Prenos.position, 50);
        EXPECT_TRUE(f().S_Hormez.enabled);
    }

    // The lower limit asks first (the calibration scenario holds the accepted one).
    device().SetCalibrationResult(0);
    device().ClearCounters();
    clearPrompts();
    prompts.questions.clear();
    prompts.answers = {false};
    EXPECT_EQ(cal().S_DolmezClick(), Outcome::Declined);
    EXPECT_EQ(prompts.questions, QStringList{u"Opravdu se má nastavit dolní mez převodníku?"_s});
    EXPECT_TRUE(requests().isEmpty());
    EXPECT_TRUE(f().S_Dolmez.enabled);
}

// The range at 60 in the transmitter's own terms, back into the window's.
TEST_F(CalibrationTest, rangeReadBackRoundsByTypeAndConvertsThroughTheDisplayCurve) {
    sim::MemoryImage& mem = session().simMemory();
    mem.SetReal(60, 0.0123456789f);
    mem.SetReal(64, 1.2345678f);
    chooseType(u"napětí"_s);
    m().config.SensorCurve = 16;
    m().config.DisplayCurve = 16;
    EXPECT_EQ(m().readAll().cteni_mezi(), Outcome::Completed);
    EXPECT_EQ(f().Pocatek.text(), u"0.012346"_s);
    EXPECT_EQ(f().Konec.text(), u"1.234568"_s);

    // An unlinearized Pt100 holds its range in ohms.
    chooseType(u"odporový teploměr Pt100"_s);
    m().config.SensorCurve = 16;
    m().config.DisplayCurve = 9;
    mem.SetReal(60, 100.0f);
    mem.SetReal(64, 138.5f);
    EXPECT_EQ(m().readAll().cteni_mezi(), Outcome::Completed);
    EXPECT_EQ(f().Pocatek.text(), u"0"_s);
    EXPECT_EQ(f().Konec.text(), u"100"_s);

    // A failed read changes nothing.
    session().simFaults().SetPermanent({sim::Fault::NoReply()});
    mem.SetReal(64, 150.0f);
    EXPECT_EQ(m().readAll().cteni_mezi(), Outcome::Stopped);
    EXPECT_EQ(f().Konec.text(), u"100"_s);
    EXPECT_EQ(m().config.RangeEnd, 100.0L);
}

}  // namespace
}  // namespace veld::config::test
