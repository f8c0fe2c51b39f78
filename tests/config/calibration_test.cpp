// The range read back after a calibration; the calibration and correction scenarios hold the
// calibrations, their refusals and the correction.

#include "config_fixture.h"

namespace veld::config::test {
namespace {

using CalibrationTest = ModelTest;

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
