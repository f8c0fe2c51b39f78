// Measurement of the primary variable continuously on the 1.5 s tick; the single measurement is
// the measurement scenarios', its decimals too.

#include "config_fixture.h"

#include "model/eeprom_map.h"

namespace veld::config::test {
namespace {

using namespace std::chrono_literals;

class MeasurementTest : public ModelTest {
protected:
    void SetUp() override {
        // As after a complete read.
        for (Button* b : {&f().ButMeasPV, &f().Start_Mer, &f().Stop_mer})
            b->enabled = true;
        ASSERT_TRUE(session().simMemory().Write(model::eeprom::kUnitCode.address,
                                                std::vector<link::Byte>{32}));
        session().simDevice().SetProcessValue(100.0f);
    }
    // "ReadPV" requests received, every attempt counted.
    std::size_t readPvRequests() { return session().simDevice().Count("ReadPV"); }
    void noReply(std::size_t attempts) {
        session().simFaults().Queue(sim::Fault::NoReply(), attempts);
    }
    // Runs `action` from the event loop at the given time.
    void at(link::Micros when, std::function<void()> action) {
        clock.schedule(when - clock.now(), std::move(action));
    }
    const Trend& trend() { return m().measurement().trend(); }
};

TEST_F(MeasurementTest, continuousMeasuresAtOnceThenOnTicksAndLosesTicksDuringAMeasurement) {
    m().userClicked(f().Start_Mer);
    EXPECT_EQ(trend().samples().size(), 1u);
    EXPECT_TRUE(f().Timer3.enabled);

    // The measurement at the 1.5 s tick waits through two unanswered attempts (about 2.5 s):
    // the 3.0 s tick comes while it runs and is lost; the 4.5 s tick measures.
    noReply(2);
    clock.advance(4400ms);
    EXPECT_EQ(trend().samples().size(), 2u);
    EXPECT_EQ(readPvRequests(), 4u);

    // Stop during the 4.5 s measurement: it completes and none follows.
    at(4510ms, [this] { m().userClicked(f().Stop_mer); });
    clock.advance(10s);
    EXPECT_EQ(readPvRequests(), 5u);
    EXPECT_FALSE(f().Timer3.enabled);
    EXPECT_FALSE(m().measurement().continuousRunning());
    EXPECT_EQ(f().ZoZmHodn.text(), u"100.000"_s);
    EXPECT_EQ(trend().samples().size(), 3u);
    EXPECT_EQ(trend().validCount(), 3u);

    // The whole program goes while a tick stays scheduled: it does nothing.
    m().userClicked(f().Start_Mer);
    useSeparator(DecimalSeparator::Point);
    clock.advance(5s);
    EXPECT_EQ(readPvRequests(), 0u);
}

TEST_F(MeasurementTest, tickDuringAnotherOperationWaitsUntilItHasEnded) {
    m().userClicked(f().Start_Mer);
    // The comparator read (four transactions) runs across the 1.5 s tick.
    at(1400ms, [this] { m().userClicked(f().Komparator[0]->Preckomp); });
    clock.advance(2500ms);
    m().userClicked(f().Stop_mer);
    EXPECT_EQ(requests(),
              (QStringList{u"ReadPV"_s, u"ReadEEPROM 1040 4"_s, u"ReadEEPROM 1044 4"_s,
                           u"ReadEEPROM 1072 8"_s, u"ReadEEPROM 1080 1"_s, u"ReadPV"_s}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

}  // namespace
}  // namespace veld::config::test
